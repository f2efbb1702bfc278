#include "command_context.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "platform/audio_device.h"

namespace vantor::cli {

std::unique_ptr<CMusicDatabase> CommandContext::OpenDatabase(StoreAccess access, std::string& error) {
    auto database = std::make_unique<CMusicDatabase>();
    // Another vantor process may be changing the database; the user learns
    // why nothing happens.
    database->SetWaitReport([](const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); });
    if (!database->Open(config.GetProgramDirectory(), access)) {
        error = database->GetOpenError();
        return nullptr;
    }
    if (const int32_t damaged = database->GetDamagedCount(); damaged > 0)
        std::fprintf(stderr, "warning: %d damaged entr%s of the music database left out (vantor db compact drops %s)\n",
                     damaged, damaged == 1 ? "y" : "ies", damaged == 1 ? "it" : "them");
    return database;
}

CMusicDatabase& CommandContext::Database() {
    if (!m_database || m_database->IsReadOnly()) {
        std::string error;
        m_database = OpenDatabase(StoreAccess::ReadWrite, error);
        if (!m_database) throw CommandFailure(error);
    }
    return *m_database;
}

CMusicDatabase& CommandContext::ReadDatabase() {
    if (!m_database) {
        std::string error;
        m_database = OpenDatabase(StoreAccess::ReadWrite, error);
        if (!m_database) m_database = OpenDatabase(StoreAccess::ReadOnly, error);
        if (!m_database) throw CommandFailure(error);
    }
    return *m_database;
}

CEffectManagerImpl& CommandContext::Effects() {
    if (!m_effects) {
        m_effects = std::make_unique<CEffectManagerImpl>();
        // Relative directories are taken inside the program directory, like every program file.
        std::string directory = config.GetEffectsDirectory();
        if (!directory.empty() && directory[0] != '/') directory = config.ProgramPath(directory);
        m_effects->LoadEffectLibraries(directory);
    }
    return *m_effects;
}

CRecentTitleList& CommandContext::RecentTitles() {
    if (!m_recent) {
        m_recent = std::make_unique<CRecentTitleList>();
        m_recent->Load(config.ProgramPath("RECENT.lst"));
        m_recent->SetLimit(config.GetMaxLatestTitles());
    }
    return *m_recent;
}

int CommandContext::Refused(const Refusal& refusal) {
    ui.ShowRefusal(refusal);
    return 1;
}

void OnRun(CLI::App* command, CommandContext& context, std::function<int()> action) {
    command->callback([&context, action = std::move(action)] { context.action = action; });
}

const CLI::Validator& DecimalInteger() {
    static const CLI::Validator validator(
        [](std::string& text) -> std::string {
            size_t digits = text.size() > 1 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
            if (digits == text.size()) return "\"" + text + "\" is not a whole number";
            for (size_t i = digits; i < text.size(); ++i)
                if (text[i] < '0' || text[i] > '9') return "\"" + text + "\" is not a whole number";
            // Leading zeros would make the parser read octal.
            const size_t first = text.find_first_not_of('0', digits);
            text = text.substr(0, digits) + (first == std::string::npos ? "0" : text.substr(first));
            return {};
        },
        "", "decimal integer");
    return validator;
}

bool ParseSwitch(const std::string& text) { return text == "1" || text == "yes" || text == "true" || text == "on"; }

const CLI::Validator kSwitch = CLI::IsMember({"1", "0", "yes", "no", "true", "false", "on", "off"});

std::string DeviceIdHex(const DeviceId& id) {
    std::string text;
    char hex[3];
    for (uint8_t b : id) {
        std::snprintf(hex, sizeof hex, "%02x", b);
        text += hex;
    }
    return text;
}

DeviceId ParseDeviceId(const std::string& text, bool allowNull) {
    const char* expected = allowNull ? "a device is null, default or 32 hexadecimal digits"
                                     : "a device is \"default\" or 32 hexadecimal digits";
    if (allowNull && text == "null") return NullDeviceId();
    DeviceId id{};
    if (text == "default") return id;
    if (text.size() != 32 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw UsageError(expected);
    for (size_t i = 0; i < 16; ++i) id[i] = static_cast<uint8_t>(std::stoul(text.substr(2 * i, 2), nullptr, 16));
    return id;
}

uint32_t SecondsToFrames(double seconds, int32_t sampleRate) {
    const double frames = std::trunc(seconds * sampleRate);
    if (!(frames >= 0)) throw UsageError("times are seconds from the start of the set");
    if (frames > 4294967295.0) throw UsageError("time beyond the end of any set");
    return static_cast<uint32_t>(frames);
}

std::string AbsolutePath(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

RefPtr<CSongProfile> FindStoredSong(CMusicDatabase& database, const std::string& keyOrFile) {
    if (RefPtr<CSongProfile> song = database.GetSong(keyOrFile)) return song;
    return database.GetSong(AbsolutePath(keyOrFile));
}

std::vector<RefPtr<CSongProfile>> FindStoredSongs(CMusicDatabase& database, const std::vector<std::string>& keys,
                                                  bool& missing) {
    std::vector<RefPtr<CSongProfile>> songs;
    for (const std::string& key : keys) {
        if (RefPtr<CSongProfile> song = FindStoredSong(database, key)) {
            songs.push_back(std::move(song));
        } else {
            std::fprintf(stderr, "no song with the key %s\n", key.c_str());
            missing = true;
        }
    }
    return songs;
}

}  // namespace vantor::cli

// A program directory whose song store and category file were damaged: the
// input is a list of edits (bytes set, files cut short, key entries pointed
// at one another or resized) made to a small, valid store. The database is
// opened on it, then a song is added, a stored song changed and the store
// compacted; after each step, and once more from a fresh opening, every
// song readable at the start must read back with the same profile bytes
// (the changed song with its new ones).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "database/music_database.h"
#include "model/set_file.h"
#include "model/value_io.h"
#include "platform/file_io.h"

namespace {

using namespace vantor;

const char* const kFiles[] = {"SONGS.DB", "SONGS.KYS", "Mix.cat"};
constexpr int kKeyFile = 1;

std::string MakeDirectory(const char* what) {
    // Memory-backed where there is one: every change flushes the disk.
    const std::filesystem::path base =
        std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    std::string path = (base / ("vantor-store-fuzz-" + std::string(what) + "-" + std::to_string(::getpid()))).string();
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path + "/";
}

RefPtr<CSongProfile> MakeSong(const std::string& key, const std::string& title, int cuePoints) {
    auto song = MakeRef<CSongProfile>();
    song->SetLocalPath(key);
    song->SetTitle(title);
    song->SetArtist("Artist");
    song->SetTempo(120.0 + cuePoints);
    for (int i = 0; i < cuePoints; ++i) {
        auto point = MakeRef<CMatchPoint>();
        point->SetType(CMatchPoint::CHORUS);
        point->SetPosition(static_cast<uint32_t>(i * 1000));
        song->AddMatchPoint(point);
    }
    return song;
}

// The valid store the edits start from: songs of growing size, one moved
// (leaving a free entry), one removed, and a category naming some of them.
std::vector<std::vector<uint8_t>> BuildTemplate() {
    const std::string dir = MakeDirectory("template");
    {
        CMusicDatabase db;
        if (!db.Open(dir)) std::abort();
        for (int i = 0; i < 6; ++i) db.PutSong(*MakeSong("/s" + std::to_string(i) + ".wav", "T" + std::to_string(i), i));
        db.PutSong(*MakeSong("/s1.wav", "T1", 8));
        db.RemoveSong(*MakeSong("/s4.wav", "", 0));
        db.CreateCategory("Mix");
        for (const char* key : {"/s0.wav", "/s1.wav", "/s5.wav", "/gone.wav"}) db.AddToCategory("Mix", key);
    }
    std::vector<std::vector<uint8_t>> files;
    for (const char* name : kFiles) files.push_back(ReadWholeFile(dir + name).value_or(std::vector<uint8_t>()));
    std::filesystem::remove_all(dir);
    return files;
}

// Four bytes per edit: what, and three arguments.
void Edit(std::vector<std::vector<uint8_t>>& files, const uint8_t* op) {
    std::vector<uint8_t>& file = files[static_cast<size_t>((op[0] >> 2) % 3)];
    const size_t position = op[1] | static_cast<size_t>(op[2]) << 8;
    std::vector<uint8_t>& keys = files[kKeyFile];
    const size_t entries = keys.size() < 4 ? 0 : (keys.size() - 4) / 376;
    auto field = [&](size_t entry, size_t at) { return keys.data() + 4 + entry * 376 + at; };
    switch (op[0] & 3) {
        case 0:  // a byte changed
            if (!file.empty()) file[position % file.size()] = op[3];
            break;
        case 1:  // cut short
            file.resize(std::min(file.size(), position % (file.size() + 1)));
            break;
        case 2:  // an entry's area moved to (near) another's
            if (entries > 0) {
                const int32_t offset = static_cast<int32_t>(LoadLE32(field(op[2] % entries, 256))) + static_cast<int8_t>(op[3]);
                StoreLE32(field(op[1] % entries, 256), static_cast<uint32_t>(offset));
            }
            break;
        case 3:  // an entry's area resized
            if (entries > 0) {
                const int32_t size = static_cast<int32_t>(LoadLE32(field(op[1] % entries, 320))) +
                                     static_cast<int8_t>(op[3]) * (op[2] + 1);
                StoreLE32(field(op[1] % entries, 320), static_cast<uint32_t>(size));
            }
            break;
    }
}

using Records = std::map<std::string, std::vector<uint8_t>>;

Records Readable(CMusicDatabase& db) {
    Records records;
    for (const auto& key : db.SortedSongKeys(CMusicDatabase::kSortTitle))
        if (auto song = db.GetSong(key)) records[key] = SerializeToBytes(*song);
    return records;
}

// The bytes of a song just stored, which must read back under its title.
std::vector<uint8_t> Stored(CMusicDatabase& db, const std::string& key, const char* title) {
    RefPtr<CSongProfile> song = db.GetSong(key);
    if (!song || std::string(song->GetTitle()) != title) std::abort();
    return SerializeToBytes(*song);
}

// Every song of expected reads back with the same bytes, and no other song
// is listed: a damaged one never comes back.
void Check(CMusicDatabase& db, const Records& expected) {
    for (const auto& [key, bytes] : expected) {
        RefPtr<CSongProfile> song = db.GetSong(key);
        if (!song || SerializeToBytes(*song) != bytes) std::abort();
    }
    if (Readable(db) != expected) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<std::vector<uint8_t>> kTemplate = BuildTemplate();
    static const std::string dir = MakeDirectory("work");
    if (size > 4 * 64) return 0;

    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::vector<std::vector<uint8_t>> files = kTemplate;
    for (size_t i = 0; i + 4 <= size; i += 4) Edit(files, data + i);
    for (size_t f = 0; f < files.size(); ++f) WriteFileReplacing(dir + kFiles[f], files[f].data(), files[f].size());

    Records expected;
    {
        CMusicDatabase db;
        if (!db.Open(dir)) std::abort();  // damage is no reason not to open
        expected = Readable(db);
        db.ListCategory("Mix", CMusicDatabase::kSortArtist);

        // Add: a new song, and every other one as it was. (A profile read
        // back is compared with profiles read back: arrays come back with
        // other capacities than those they were made with.)
        if (db.PutSong(*MakeSong("/fuzz/new.wav", "New", 3))) expected["/fuzz/new.wav"] = Stored(db, "/fuzz/new.wav", "New");
        Check(db, expected);

        // Set: a stored song changed so that it grows (and moves).
        if (!expected.empty()) {
            const std::string key = expected.begin()->first;
            RefPtr<CSongProfile> changed(db.GetSong(key)->Clone());
            changed->SetTitle("Changed");
            for (int i = 0; i < 4; ++i) {
                auto point = MakeRef<CMatchPoint>();
                point->SetType(CMatchPoint::CHORUS);
                changed->AddMatchPoint(point);
            }
            if (db.PutSong(*changed)) expected[key] = Stored(db, key, "Changed");
        }
        Check(db, expected);
        db.AddToCategory("Mix", "/fuzz/new.wav");

        // Compact: only what was damaged goes, and nothing damaged stays.
        if (db.CompactDatabase() && db.GetDamagedCount() != 0) std::abort();
        Check(db, expected);
    }
    CMusicDatabase reopened;
    if (!reopened.Open(dir)) std::abort();
    Check(reopened, expected);
    return 0;
}

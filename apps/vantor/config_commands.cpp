// vantor config show|set: the configuration of the program directory, edited
// with the Configuration dialog's checks.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "command_context.h"
#include "json_output.h"
#include "views/configuration_dialog.h"

namespace vantor::cli {

namespace {

std::string DeviceText(const DeviceId& id) { return IsDefaultDevice(id) ? "default" : DeviceIdHex(id); }

// One editable field of the dialog: its command-line name, its caption in the
// dialog, and how a value is put into the dialog's controls.
struct EditableField {
    const char* name;
    const char* caption;
    std::function<void(CConfigurationDialog::Values&, const std::string&)> set;
};

bool Switch(const std::string& text) {
    if (kSwitch(std::string(text)).empty()) return ParseSwitch(text);
    throw UsageError("a switch is on or off (1/0, yes/no, true/false)");
}

int64_t Whole(const std::string& text, const char* message) {
    std::string digits = text;
    if (!DecimalInteger()(digits).empty()) throw UsageError(message);
    try {
        return std::stoll(digits);
    } catch (const std::exception&) {
        throw UsageError(message);
    }
}

const std::vector<EditableField>& EditableFields() {
    using V = CConfigurationDialog::Values;
    static const std::vector<EditableField> fields = {
        {"set-output", "Set Output:",
         [](V& v, const std::string& s) { v.setOutputDevice = ParseDeviceId(s, false); }},
        {"audition-output", "Audition Output:",
         [](V& v, const std::string& s) { v.auditionOutputDevice = ParseDeviceId(s, false); }},
        {"tracks", "Number of Tracks:",
         [](V& v, const std::string& s) { v.numberOfTracks = Whole(s, "Number of Tracks must be between 1 and 12."); }},
        {"wave-directory", "Default Local Wave Files:", [](V& v, const std::string& s) { v.waveDirectory = s; }},
        {"effects-directory", "Effect Libraries:", [](V& v, const std::string& s) { v.effectsDirectory = s; }},
        {"fill-from-filename", "Automatically fill title/author/mixer from filename.",
         [](V& v, const std::string& s) { v.fillFromFileName = Switch(s); }},
        {"round-tempo", "Round calculated tempo to nearest whole number.",
         [](V& v, const std::string& s) { v.roundTempo = Switch(s); }},
        {"reference-point", "Reference Point:",
         [](V& v, const std::string& s) {
             if (!CLI::Number(std::string(s)).empty()) throw UsageError("the reference point is a number");
             v.referencePoint = s;
         }},
        {"normalization", "Enable Normalization.", [](V& v, const std::string& s) { v.normalization = Switch(s); }},
        {"max-titles", "Maximum titles in the latest music list:",
         [](V& v, const std::string& s) {
             const int64_t n = Whole(s, "the maximum is a whole number of titles");
             if (n < 0 || n > INT32_MAX) throw UsageError("the maximum is a whole number of titles");
             v.maxLatestTitles = std::to_string(n);
         }},
        {"delete-summaries", "Delete summary (.sm) files when unloading archived music.",
         [](V& v, const std::string& s) { v.deleteSummaries = Switch(s); }},
        {"sound-server", "Use Playhost for Set Audio Output.",
         [](V& v, const std::string& s) { v.useSoundServer = Switch(s); }},
        {"hide-private", "Hide Private Music", [](V& v, const std::string& s) { v.hidePrivateMusic = Switch(s); }},
        {"generate-summaries", "Automatically generate summary (.sm) file when adding music.",
         [](V& v, const std::string& s) { v.generateSummaries = Switch(s); }},
        {"decode-mp3", "Automatically decode mp3s when adding music.",
         [](V& v, const std::string& s) { v.decodeMp3 = Switch(s); }},
        {"midi-device", "In Device:",
         [](V& v, const std::string& s) {
             const int64_t n = Whole(s, "the MIDI input device is a device number");
             if (n < 0 || n > INT32_MAX) throw UsageError("the MIDI input device is a device number");
             v.midiInputDevice = static_cast<int32_t>(n);
         }},
    };
    return fields;
}

const char* DetectorName(const CConfiguration& c) {
    return c.GetTempoDetector() == CConfiguration::kClassicTempoDetector ? "classic" : "robust";
}

int ShowConfig(const CConfiguration& c, bool json) {
    if (json) {
        Json genres = Json::array();
        for (int32_t i = 0; i < c.GetGenrePresets().GetCount(); ++i) {
            const CGenrePreset* genre = c.GetGenrePresets().GetAt(i);
            genres.push_back({{"id", genre->GetId()}, {"name", genre->GetName()}});
        }
        Json presets = Json::array();
        for (int i = 0; i < CConfiguration::kEffectPresetNames; ++i) presets.push_back(c.GetEffectPresetName(i));
        PrintJson({{"programDirectory", c.GetProgramDirectory()},
                   {"auditionOutput", DeviceText(c.GetAuditionOutputDeviceId())},
                   {"setOutput", DeviceText(c.GetSetOutputDeviceId())},
                   {"samplesPerSecond", c.GetSamplesPerSecond()},
                   {"channels", c.GetChannels()},
                   {"bitsPerSample", c.GetBitsPerSample()},
                   {"tracks", c.GetNumberOfTracks()},
                   {"defaultTempo", JsonReal(c.GetDefaultTempo())},
                   {"setEditorDisplayValue", JsonReal(c.GetSetEditorDisplayValue())},
                   {"waveDirectory", c.GetWaveDirectory()},
                   {"fillFromFilename", c.GetFillFromFileName()},
                   {"startThreshold", JsonReal(c.GetStartThreshold())},
                   {"roundTempo", c.GetRoundTempo()},
                   {"effectsDirectory", c.GetEffectsDirectory()},
                   {"referencePoint", JsonReal(c.GetReferencePoint())},
                   {"normalization", c.GetNormalizationEnabled()},
                   {"maxTitles", c.GetMaxLatestTitles()},
                   {"deleteSummaries", c.GetDeleteSummaries()},
                   {"soundServer", c.GetUseSoundServer()},
                   {"hidePrivate", c.GetHidePrivateMusic()},
                   {"midiDevice", c.GetMidiInputDevice()},
                   {"generateSummaries", c.GetGenerateSummaries()},
                   {"decodeMp3", c.GetDecodeMp3()},
                   {"tempoDetector", DetectorName(c)},
                   {"lowestTempo", JsonReal(c.GetLowestTempo())},
                   {"highestTempo", JsonReal(c.GetHighestTempo())},
                   {"genres", genres},
                   {"effectPresetNames", presets}});
        return 0;
    }
    std::printf("Program directory: %s\n", c.GetProgramDirectory().c_str());
    std::printf("Audition Output: %s\n", DeviceText(c.GetAuditionOutputDeviceId()).c_str());
    std::printf("Set Output: %s\n", DeviceText(c.GetSetOutputDeviceId()).c_str());
    std::printf("New sets: %d Hz, %d channels, %d bits\n", c.GetSamplesPerSecond(), c.GetChannels(),
                c.GetBitsPerSample());
    std::printf("Number of Tracks: %d\n", c.GetNumberOfTracks());
    std::printf("Default tempo: %.2f\n", c.GetDefaultTempo());
    std::printf("Default Local Wave Files: %s\n", c.GetWaveDirectory());
    std::printf("Effect Libraries: %s\n", c.GetEffectsDirectory());
    std::printf("Song start threshold: %.3f\n", c.GetStartThreshold());
    std::printf("Reference Point: %1.5f\n", c.GetReferencePoint());
    std::printf("Maximum titles in the latest music list: %u\n", static_cast<unsigned>(c.GetMaxLatestTitles()));
    std::printf("MIDI input device: %d\n", c.GetMidiInputDevice());
    std::printf("Tempo detector: %s, accepted tempos %.1f-%.1f BPM\n", DetectorName(c), c.GetLowestTempo(),
                c.GetHighestTempo());
    auto flag = [](const char* caption, bool on) { std::printf("[%c] %s\n", on ? 'x' : ' ', caption); };
    flag("Automatically fill title/author/mixer from filename.", c.GetFillFromFileName());
    flag("Round calculated tempo to nearest whole number.", c.GetRoundTempo());
    flag("Enable Normalization.", c.GetNormalizationEnabled());
    flag("Delete summary (.sm) files when unloading archived music.", c.GetDeleteSummaries());
    flag("Use Playhost for Set Audio Output.", c.GetUseSoundServer());
    flag("Hide Private Music", c.GetHidePrivateMusic());
    flag("Automatically generate summary (.sm) file when adding music.", c.GetGenerateSummaries());
    flag("Automatically decode mp3s when adding music.", c.GetDecodeMp3());
    std::printf("Genres:");
    for (int32_t i = 0; i < c.GetGenrePresets().GetCount(); ++i) {
        const CGenrePreset* genre = c.GetGenrePresets().GetAt(i);
        std::printf("%s %d \"%s\"", i ? "," : "", genre->GetId(), genre->GetName());
    }
    std::printf("\n");
    for (int i = 0; i < CConfiguration::kEffectPresetNames; ++i)
        if (*c.GetEffectPresetName(i)) std::printf("Effect preset %d: %s\n", i + 1, c.GetEffectPresetName(i));
    return 0;
}

// The analysis settings have no control in the Configuration dialog; they are
// checked by the parser and saved at once.
int SetAnalysisSetting(CConfiguration& c, const std::string& name, const std::string& value) {
    if (name == "tempo-detector") {
        if (value != "classic" && value != "robust") throw UsageError("the tempo detector is classic or robust");
        c.SetTempoDetector(value == "classic" ? CConfiguration::kClassicTempoDetector
                                              : CConfiguration::kRobustTempoDetector);
    } else {
        auto comma = value.find(',');
        double low = 0;
        double high = 0;
        try {
            low = std::stod(value.substr(0, comma));
            high = std::stod(value.substr(comma + 1));
        } catch (const std::exception&) {
            comma = std::string::npos;
        }
        if (comma == std::string::npos || !(low > 0) || !(high > low))
            throw UsageError("the tempo range is LOW,HIGH in BPM, LOW below HIGH");
        c.SetTempoRange(low, high);
    }
    if (!c.Save(c.ProgramPath("Vantor.cfg"))) throw CommandFailure("cannot write " + c.ProgramPath("Vantor.cfg"));
    std::printf("%s %s\n", name.c_str(), value.c_str());
    return 0;
}

int SetConfig(CommandContext& context, const std::string& name, const std::string& value) {
    if (name == "tempo-detector" || name == "tempo-range") return SetAnalysisSetting(context.config, name, value);
    const EditableField* field = nullptr;
    for (const auto& f : EditableFields())
        if (name == f.name) field = &f;
    CConfigurationDialog dialog(context.config, context.ui);
    field->set(dialog.GetValues(), value);
    if (!dialog.OnOK()) return 1;
    std::printf("%s %s\n", field->caption, value.c_str());
    return 0;
}

}  // namespace

void AddConfigCommands(CLI::App& app, CommandContext& context) {
    CLI::App* group = app.add_subcommand("config", "The configuration of the program directory (Vantor.cfg)");
    group->require_subcommand(1);
    {
        auto* cmd = group->add_subcommand("show", "Show every setting");
        auto json = std::make_shared<bool>(false);
        cmd->add_flag("--json", *json, "print JSON");
        OnRun(cmd, context, [&context, json] { return ShowConfig(context.config, *json); });
    }
    {
        std::vector<std::string> names;
        std::string described;
        for (const auto& f : EditableFields()) {
            names.emplace_back(f.name);
            described += std::string("\n  ") + f.name + ": " + f.caption;
        }
        names.emplace_back("tempo-detector");
        names.emplace_back("tempo-range");
        described += "\n  tempo-detector: classic or robust\n  tempo-range: LOW,HIGH accepted tempos in BPM";
        auto* cmd = group->add_subcommand(
            "set", "Change one setting with the Configuration dialog's checks and save it. Settings:" + described);
        auto name = std::make_shared<std::string>();
        auto value = std::make_shared<std::string>();
        cmd->add_option("name", *name, "the setting")->required()->check(CLI::IsMember(names));
        cmd->add_option("value", *value, "its new value (switches: on/off, yes/no, true/false, 1/0)")->required();
        OnRun(cmd, context, [&context, name, value] { return SetConfig(context, *name, *value); });
    }
}

}  // namespace vantor::cli

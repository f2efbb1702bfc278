// vantor config show|set: the configuration of the program directory, edited
// with the Configuration dialog's checks.
#include <cstdio>
#include <functional>
#include <string>

#include "arguments.h"
#include "command_context.h"
#include "platform/json_writer.h"
#include "views/configuration_dialog.h"
#include "workstation.h"

namespace vantor::cli {

namespace {

std::string DeviceText(const DeviceId& id) { return IsDefaultDevice(id) ? "default" : DeviceIdHex(id); }

DeviceId ParseDevice(const std::string& text) { return ParseDeviceId(text, false); }

bool ParseBool(const std::string& text) {
    if (text == "1" || text == "yes" || text == "true" || text == "on") return true;
    if (text == "0" || text == "no" || text == "false" || text == "off") return false;
    throw UsageError("a switch is on or off (1/0, yes/no, true/false)");
}

// One editable field of the dialog: its command-line name, its caption in the
// dialog, and how a value is put into the dialog's controls.
struct EditableField {
    const char* name;
    const char* caption;
    std::function<void(CConfigurationDialog::Values&, const std::string&)> set;
};

const std::vector<EditableField>& EditableFields() {
    using V = CConfigurationDialog::Values;
    static const std::vector<EditableField> fields = {
        {"set-output", "Set Output:", [](V& v, const std::string& s) { v.setOutputDevice = ParseDevice(s); }},
        {"audition-output", "Audition Output:",
         [](V& v, const std::string& s) { v.auditionOutputDevice = ParseDevice(s); }},
        {"tracks", "Number of Tracks:",
         [](V& v, const std::string& s) {
             auto n = ParseInteger(s);
             if (!n) throw UsageError("Number of Tracks must be between 1 and 12.");
             v.numberOfTracks = *n;
         }},
        {"wave-directory", "Default Local Wave Files:", [](V& v, const std::string& s) { v.waveDirectory = s; }},
        {"effects-directory", "Effect Libraries:", [](V& v, const std::string& s) { v.effectsDirectory = s; }},
        {"fill-from-filename", "Automatically fill title/author/mixer from filename.",
         [](V& v, const std::string& s) { v.fillFromFileName = ParseBool(s); }},
        {"round-tempo", "Round calculated tempo to nearest whole number.",
         [](V& v, const std::string& s) { v.roundTempo = ParseBool(s); }},
        {"reference-point", "Reference Point:",
         [](V& v, const std::string& s) {
             if (!ParseReal(s)) throw UsageError("the reference point is a number");
             v.referencePoint = s;
         }},
        {"normalization", "Enable Normalization.", [](V& v, const std::string& s) { v.normalization = ParseBool(s); }},
        {"max-titles", "Maximum titles in the latest music list:",
         [](V& v, const std::string& s) {
             auto n = ParseInteger(s);
             if (!n || *n < 0 || *n > INT32_MAX) throw UsageError("the maximum is a whole number of titles");
             v.maxLatestTitles = s;
         }},
        {"delete-summaries", "Delete summary (.sm) files when unloading archived music.",
         [](V& v, const std::string& s) { v.deleteSummaries = ParseBool(s); }},
        {"sound-server", "Use Playhost for Set Audio Output.",
         [](V& v, const std::string& s) { v.useSoundServer = ParseBool(s); }},
        {"hide-private", "Hide Private Music", [](V& v, const std::string& s) { v.hidePrivateMusic = ParseBool(s); }},
        {"generate-summaries", "Automatically generate summary (.sm) file when adding music.",
         [](V& v, const std::string& s) { v.generateSummaries = ParseBool(s); }},
        {"decode-mp3", "Automatically decode mp3s when adding music.",
         [](V& v, const std::string& s) { v.decodeMp3 = ParseBool(s); }},
        {"midi-device", "In Device:",
         [](V& v, const std::string& s) {
             auto n = ParseInteger(s);
             if (!n || *n < 0 || *n > INT32_MAX) throw UsageError("the MIDI input device is a device number");
             v.midiInputDevice = static_cast<int32_t>(*n);
         }},
    };
    return fields;
}

int ShowConfig(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(0, 0);
    const CConfiguration& c = context.config;
    if (args.Flag("--json")) {
        JsonWriter json;
        json.BeginObject()
            .Field("programDirectory", c.GetProgramDirectory())
            .Field("auditionOutput", DeviceText(c.GetAuditionOutputDeviceId()))
            .Field("setOutput", DeviceText(c.GetSetOutputDeviceId()))
            .Field("samplesPerSecond", c.GetSamplesPerSecond())
            .Field("channels", c.GetChannels())
            .Field("bitsPerSample", c.GetBitsPerSample())
            .Field("tracks", c.GetNumberOfTracks())
            .Field("defaultTempo", c.GetDefaultTempo())
            .Field("setEditorDisplayValue", c.GetSetEditorDisplayValue())
            .Field("waveDirectory", c.GetWaveDirectory())
            .Field("fillFromFilename", c.GetFillFromFileName())
            .Field("startThreshold", c.GetStartThreshold())
            .Field("roundTempo", c.GetRoundTempo())
            .Field("effectsDirectory", c.GetEffectsDirectory())
            .Field("referencePoint", c.GetReferencePoint())
            .Field("normalization", c.GetNormalizationEnabled())
            .Field("maxTitles", c.GetMaxLatestTitles())
            .Field("deleteSummaries", c.GetDeleteSummaries())
            .Field("soundServer", c.GetUseSoundServer())
            .Field("hidePrivate", c.GetHidePrivateMusic())
            .Field("midiDevice", c.GetMidiInputDevice())
            .Field("generateSummaries", c.GetGenerateSummaries())
            .Field("decodeMp3", c.GetDecodeMp3())
            .Field("tempoDetector", c.GetTempoDetector() == CConfiguration::kClassicTempoDetector ? "classic" : "robust")
            .Field("lowestTempo", c.GetLowestTempo())
            .Field("highestTempo", c.GetHighestTempo());
        json.Key("genres").BeginArray();
        for (int32_t i = 0; i < c.GetGenrePresets().GetCount(); ++i) {
            const CGenrePreset* genre = c.GetGenrePresets().GetAt(i);
            json.BeginObject().Field("id", genre->GetId()).Field("name", genre->GetName()).EndObject();
        }
        json.EndArray().Key("effectPresetNames").BeginArray();
        for (int i = 0; i < CConfiguration::kEffectPresetNames; ++i) json.String(c.GetEffectPresetName(i));
        json.EndArray().EndObject();
        std::printf("%s\n", json.Text().c_str());
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
    std::printf("Tempo detector: %s, accepted tempos %.1f-%.1f BPM\n",
                c.GetTempoDetector() == CConfiguration::kClassicTempoDetector ? "classic" : "robust",
                c.GetLowestTempo(), c.GetHighestTempo());
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
// checked here and saved at once.
bool SetAnalysisSetting(CommandContext& context, const std::string& name, const std::string& value) {
    CConfiguration& c = context.config;
    if (name == "tempo-detector") {
        if (value == "classic") {
            c.SetTempoDetector(CConfiguration::kClassicTempoDetector);
        } else if (value == "robust") {
            c.SetTempoDetector(CConfiguration::kRobustTempoDetector);
        } else {
            throw UsageError("the tempo detector is classic or robust");
        }
    } else if (name == "tempo-range") {
        auto comma = value.find(',');
        auto low = comma == std::string::npos ? std::nullopt : ParseReal(value.substr(0, comma));
        auto high = comma == std::string::npos ? std::nullopt : ParseReal(value.substr(comma + 1));
        if (!low || !high || *low <= 0 || *high <= *low) throw UsageError("the tempo range is LOW,HIGH in BPM, LOW below HIGH");
        c.SetTempoRange(*low, *high);
    } else {
        return false;
    }
    if (!c.Save(c.ProgramPath("Vantor.cfg"))) throw CommandFailure("cannot write " + c.ProgramPath("Vantor.cfg"));
    std::printf("%s %s\n", name.c_str(), value.c_str());
    return true;
}

int SetConfig(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(2, 2);
    const std::string& name = args.Positional(0, "NAME");
    const std::string& value = args.Positional(1, "VALUE");
    if (SetAnalysisSetting(context, name, value)) return 0;
    CConfigurationDialog dialog(context.config, context.ui);
    const EditableField* field = nullptr;
    for (const auto& f : EditableFields())
        if (name == f.name) field = &f;
    if (!field) {
        std::string names;
        for (const auto& f : EditableFields()) names += std::string(names.empty() ? "" : ", ") + f.name;
        throw UsageError("unknown setting \"" + name + "\"; the settings are " + names + ", tempo-detector, tempo-range");
    }
    field->set(dialog.GetValues(), value);
    if (!dialog.OnOK()) return 1;
    std::printf("%s %s\n", field->caption, value.c_str());
    return 0;
}

}  // namespace

int RunConfigCommand(CommandContext& context) {
    if (context.words.empty()) throw UsageError("missing config command");
    std::string verb = context.words[0];
    std::vector<std::string> rest(context.words.begin() + 1, context.words.end());
    if (verb == "show") return ShowConfig(context, Arguments(rest, {}, {"--json"}));
    if (verb == "set") return SetConfig(context, Arguments(rest, {}, {}));
    throw UsageError("unknown config command \"" + verb + "\"");
}

}  // namespace vantor::cli

#include "views/configuration_dialog.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>

namespace vantor {

CConfigurationDialog::CConfigurationDialog(CConfiguration& config, IUserInterface& ui, Hooks hooks)
    : m_config(config), m_ui(ui), m_hooks(std::move(hooks)) {
    m_values.setOutputDevice = config.GetSetOutputDeviceId();
    m_values.auditionOutputDevice = config.GetAuditionOutputDeviceId();
    m_values.waveDirectory = config.GetWaveDirectory();
    m_values.fillFromFileName = config.GetFillFromFileName();
    m_values.roundTempo = config.GetRoundTempo();
    m_values.numberOfTracks = config.GetNumberOfTracks();
    char text[64];
    std::snprintf(text, sizeof text, "%1.5f", config.GetReferencePoint());
    m_values.referencePoint = text;
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(config.GetMaxLatestTitles()));
    m_values.maxLatestTitles = text;
    m_values.normalization = config.GetNormalizationEnabled();
    m_values.deleteSummaries = config.GetDeleteSummaries();
    m_values.hidePrivateMusic = config.GetHidePrivateMusic();
    m_values.generateSummaries = config.GetGenerateSummaries();
    m_values.decodeMp3 = config.GetDecodeMp3();
    m_values.useSoundServer = config.GetUseSoundServer();
    m_values.midiInputDevice = config.GetMidiInputDevice();
    m_values.effectsDirectory = config.GetEffectsDirectory();
}

std::vector<CConfigurationDialog::DeviceChoice> CConfigurationDialog::ListDevices(
    const std::vector<AudioDeviceInfo>& devices) {
    std::vector<DeviceChoice> choices;
    for (const auto& device : devices) {
        DeviceChoice choice;
        choice.text = device.description + " (" + device.module + ")";
        if (device.id != DeviceId{}) choice.id = device.id;
        choices.push_back(std::move(choice));
    }
    return choices;
}

std::vector<CConfigurationDialog::MidiChoice> CConfigurationDialog::ListMidiInputs(
    const std::vector<std::string>& ports, int32_t configured) {
    std::vector<MidiChoice> choices{{0, "None"}};
    for (size_t i = 0; i < ports.size(); ++i) {
        const auto device = static_cast<int32_t>(i + 1);
        choices.push_back({device, std::to_string(device) + ": " + ports[i]});
    }
    if (configured > static_cast<int32_t>(ports.size()))
        choices.push_back({configured, std::to_string(configured) + ": (not present)"});
    return choices;
}

int CConfigurationDialog::SelectDevice(const std::vector<DeviceChoice>& choices, const DeviceId& configured) {
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i].id && *choices[i].id == configured) return static_cast<int>(i);
    for (size_t i = 0; i < choices.size(); ++i)
        if (!choices[i].id) return static_cast<int>(i);
    return -1;
}

bool CConfigurationDialog::OnOK() {
    const Values& v = m_values;
    if (v.numberOfTracks < CConfiguration::kMinTracks || v.numberOfTracks > CConfiguration::kMaxTracks) {
        m_ui.MessageBox("Number of Tracks must be between 1 and 12.", "Configuration", MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    m_config.SetSetOutputDevice(v.setOutputDevice);
    m_config.SetAuditionOutputDevice(v.auditionOutputDevice);
    m_config.SetWaveDirectory(v.waveDirectory);
    m_config.SetFillFromFileName(v.fillFromFileName);
    m_config.SetRoundTempo(v.roundTempo);
    m_config.SetNumberOfTracks(static_cast<int32_t>(v.numberOfTracks));
    m_config.SetReferencePoint(std::atof(v.referencePoint.c_str()));
    m_config.SetNormalizationEnabled(v.normalization);
    m_config.SetMaxLatestTitles(static_cast<int32_t>(std::strtoul(v.maxLatestTitles.c_str(), nullptr, 10)));
    m_config.SetDeleteSummaries(v.deleteSummaries);
    m_config.SetHidePrivateMusic(v.hidePrivateMusic);
    m_config.SetGenerateSummaries(v.generateSummaries);
    m_config.SetDecodeMp3(v.decodeMp3);

    if (v.useSoundServer != m_config.GetUseSoundServer()) {
        if (m_hooks.anySetEditorOpen()) {
            m_ui.MessageBox("All sets must be closed before changing any Sound Server settings.", "Configuration",
                            MessageButtons::Ok, MessageIcon::Exclamation);
        } else {
            m_config.SetUseSoundServer(v.useSoundServer);
        }
    }
    if (v.midiInputDevice != m_config.GetMidiInputDevice()) {
        if (m_hooks.anySetEditorOpen()) {
            m_ui.MessageBox("All sets must be closed before changing any MIDI Controller settings.", "Configuration",
                            MessageButtons::Ok, MessageIcon::Exclamation);
        } else {
            m_config.SetMidiInputDevice(v.midiInputDevice);
            m_hooks.replaceMidiInput();
        }
    }
    m_hooks.setLatestTitlesMaximum(m_config.GetMaxLatestTitles());
    if (strcasecmp(v.effectsDirectory.c_str(), m_config.GetEffectsDirectory()) != 0) {
        m_ui.MessageBox("Program must be restarted to load new effects.", "Change Effects Directory",
                        MessageButtons::Ok, MessageIcon::Exclamation);
        m_config.SetEffectsDirectory(v.effectsDirectory);
    }
    if (!m_config.Save(m_config.ProgramPath("Vantor.cfg"))) {
        m_ui.MessageBox("Unable to save the configuration file " + m_config.ProgramPath("Vantor.cfg") + ".",
                        "Configuration", MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    return true;
}

}  // namespace vantor

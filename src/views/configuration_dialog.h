#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio_device.h"
#include "platform/device_id.h"
#include "platform/user_interface.h"
#include "config/configuration.h"

namespace vantor {

// The Configuration dialog as a controller: its controls are the fields of
// Values, filled from the configuration on opening; OK checks them, stores
// them in the dialog's order and saves "Vantor.cfg".
class CConfigurationDialog {
public:
    struct Values {
        DeviceId setOutputDevice{};
        DeviceId auditionOutputDevice{};
        std::string waveDirectory;
        bool fillFromFileName = true;
        bool roundTempo = true;
        int64_t numberOfTracks = 8;
        std::string referencePoint;  // shown as "%1.5f", read back as a real
        bool normalization = true;
        std::string maxLatestTitles;  // shown as "%u", read back as unsigned
        bool deleteSummaries = false;
        bool hidePrivateMusic = false;
        bool generateSummaries = true;
        bool decodeMp3 = false;
        bool useSoundServer = false;
        int32_t midiInputDevice = 0;
        std::string effectsDirectory;
    };

    // What the dialog needs of the rest of the program.
    struct Hooks {
        std::function<bool()> anySetEditorOpen = [] { return false; };
        std::function<void()> replaceMidiInput = [] {};
        std::function<void(int32_t)> setLatestTitlesMaximum = [](int32_t) {};
    };

    // One entry of a device box: "%s (%s)" of description and module, with
    // the device's identifier; the default device carries none.
    struct DeviceChoice {
        std::string text;
        std::optional<DeviceId> id;
    };
    static std::vector<DeviceChoice> ListDevices(const std::vector<AudioDeviceInfo>& devices);
    // The entry of the configured device, else the first without an
    // identifier; -1 when there is neither.
    static int SelectDevice(const std::vector<DeviceChoice>& choices, const DeviceId& configured);
    // The MIDI input box: "None" (device 0, no input opened), then each
    // input port's name after its device number (from 1). A configured
    // device that is not present keeps an entry of its own, so that OK does
    // not silently change it.
    struct MidiChoice {
        int32_t device = 0;
        std::string text;
    };
    static std::vector<MidiChoice> ListMidiInputs(const std::vector<std::string>& ports, int32_t configured);

    CConfigurationDialog(CConfiguration& config, IUserInterface& ui) : CConfigurationDialog(config, ui, Hooks()) {}
    CConfigurationDialog(CConfiguration& config, IUserInterface& ui, Hooks hooks);

    Values& GetValues() { return m_values; }
    // False when the dialog stays open (the track count was refused) or the
    // file could not be written.
    bool OnOK();

private:
    CConfiguration& m_config;
    IUserInterface& m_ui;
    Hooks m_hooks;
    Values m_values;
};

}  // namespace vantor

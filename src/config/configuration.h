#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/fixed_text.h"
#include "model/ref_ptr.h"
#include "platform/device_id.h"
#include "config/genre_preset.h"

namespace vantor {

// Every setting of the workstation, one record for the whole process, read
// from "Vantor.cfg" in the program directory at start-up. The file is an i32
// byte count followed by the fields in a fixed order (offsets in the body):
//   0 audition device (16)   16 set device (16)   32 samples per second
//   36 channels   40 bits per sample   44 number of tracks   48 default tempo
//   56 set editor display value   64 reserved i32   68 wave directory (255)
//   323 fill names from file name   324 start threshold (f64)   332 round tempo
//   333 reserved flag   334 effects directory (255)   589 reference point
//   597 normalization   598 maximum latest titles (i32)   602 delete summaries
//   603 reserved flag   604 use sound server   605 hide private music
//   606 genre presets (array record), then 6 x 50 preset names, MIDI input
//   device (i32), generate summaries, decode mp3s (one byte each), then the
//   tempo detector (i32) and its accepted tempo range (two f64).
// Shorter (older) files set the leading fields and leave the rest alone.
class CConfiguration {
public:
    static constexpr int32_t kMinTracks = 1;
    static constexpr int32_t kMaxTracks = 12;
    static constexpr int kEffectPresetNames = 6;
    static constexpr int32_t kClassicTempoDetector = 0;
    static constexpr int32_t kRobustTempoDetector = 1;

    CConfiguration();

    // How a configuration file read: fields taken, no file, or a file whose
    // byte count does not match its bytes (the defaults stand).
    enum class FileState { Loaded, Missing, Damaged };

    void SetDefaults();
    FileState Load(const std::string& path);
    // Reads the fields from the bytes of a configuration file; false when
    // the byte count does not fit the bytes, and nothing was taken.
    bool LoadFromBytes(const uint8_t* data, size_t size);
    // Writes the file, replacing it only once the new one is complete. A
    // damaged file that Load found there is first kept as path + ".damaged",
    // so that no setting the user had is lost without a trace.
    bool Save(const std::string& path) const;
    std::vector<uint8_t> SaveToBytes() const;

    // Program directory: the working directory at start, ending in '/'.
    const std::string& GetProgramDirectory() const { return m_programDirectory; }
    void SetProgramDirectory(const std::string& directory);
    std::string ProgramPath(const std::string& name) const { return m_programDirectory + name; }

    // Devices: none when the identifier is all zero (the default device).
    std::optional<DeviceId> GetAuditionOutputDevice() const;
    std::optional<DeviceId> GetSetOutputDevice() const;
    const DeviceId& GetAuditionOutputDeviceId() const { return m_auditionDevice; }
    const DeviceId& GetSetOutputDeviceId() const { return m_setDevice; }
    void SetAuditionOutputDevice(const DeviceId& id) { m_auditionDevice = id; }
    void SetSetOutputDevice(const DeviceId& id) { m_setDevice = id; }

    int32_t GetSamplesPerSecond() const { return m_samplesPerSecond; }
    int32_t GetChannels() const { return m_channels; }
    int32_t GetBitsPerSample() const { return m_bitsPerSample; }
    int32_t GetNumberOfTracks() const { return m_numberOfTracks; }
    void SetNumberOfTracks(int32_t tracks) { m_numberOfTracks = tracks; }
    double GetDefaultTempo() const { return m_defaultTempo; }
    double GetSetEditorDisplayValue() const { return m_displayValue; }
    uint32_t GetReserved() const { return m_reserved; }

    const char* GetWaveDirectory() const { return m_waveDirectory.c_str(); }
    void SetWaveDirectory(const std::string& directory) { m_waveDirectory.Set(directory); }
    bool GetFillFromFileName() const { return m_fillFromFileName; }
    void SetFillFromFileName(bool on) { m_fillFromFileName = on; }
    double GetStartThreshold() const { return m_startThreshold; }
    bool GetRoundTempo() const { return m_roundTempo; }
    void SetRoundTempo(bool on) { m_roundTempo = on; }
    const char* GetEffectsDirectory() const { return m_effectsDirectory.c_str(); }
    void SetEffectsDirectory(const std::string& directory) { m_effectsDirectory.Set(directory); }
    double GetReferencePoint() const { return m_referencePoint; }
    void SetReferencePoint(double point) { m_referencePoint = point; }
    bool GetNormalizationEnabled() const { return m_normalization; }
    void SetNormalizationEnabled(bool on) { m_normalization = on; }
    int32_t GetMaxLatestTitles() const { return m_maxLatestTitles; }
    void SetMaxLatestTitles(int32_t count) { m_maxLatestTitles = count; }
    bool GetDeleteSummaries() const { return m_deleteSummaries; }
    void SetDeleteSummaries(bool on) { m_deleteSummaries = on; }
    bool GetUseSoundServer() const { return m_useSoundServer; }
    void SetUseSoundServer(bool on) { m_useSoundServer = on; }
    bool GetHidePrivateMusic() const { return m_hidePrivate; }
    void SetHidePrivateMusic(bool on) { m_hidePrivate = on; }
    GenrePresets& GetGenrePresets() const { return *m_genres; }
    // Preset names 0 to 5; others are ignored and read as empty text.
    const char* GetEffectPresetName(int index) const;
    void SetEffectPresetName(int index, const std::string& name);
    int32_t GetMidiInputDevice() const { return m_midiDevice; }
    void SetMidiInputDevice(int32_t device) { m_midiDevice = device; }
    bool GetGenerateSummaries() const { return m_generateSummaries; }
    void SetGenerateSummaries(bool on) { m_generateSummaries = on; }
    bool GetDecodeMp3() const { return m_decodeMp3; }
    void SetDecodeMp3(bool on) { m_decodeMp3 = on; }
    int32_t GetTempoDetector() const { return m_tempoDetector; }
    void SetTempoDetector(int32_t detector) { m_tempoDetector = detector; }
    double GetLowestTempo() const { return m_lowestTempo; }
    double GetHighestTempo() const { return m_highestTempo; }
    void SetTempoRange(double lowest, double highest) {
        m_lowestTempo = lowest;
        m_highestTempo = highest;
    }

private:
    DeviceId m_auditionDevice{};
    DeviceId m_setDevice{};
    int32_t m_samplesPerSecond = 44100;
    int32_t m_channels = 2;
    int32_t m_bitsPerSample = 16;
    int32_t m_numberOfTracks = 8;
    double m_defaultTempo = 130.0;
    double m_displayValue = 30.0;
    uint32_t m_reserved = 3999999999u;
    FixedText<255> m_waveDirectory;
    bool m_fillFromFileName = true;
    double m_startThreshold = 0.2;
    bool m_roundTempo = true;
    bool m_reservedFlag1 = true;
    FixedText<255> m_effectsDirectory;
    double m_referencePoint = 0.66;
    bool m_normalization = true;
    int32_t m_maxLatestTitles = 60;
    bool m_deleteSummaries = false;
    bool m_reservedFlag2 = true;
    bool m_useSoundServer = false;
    bool m_hidePrivate = false;
    RefPtr<GenrePresets> m_genres;
    std::array<FixedText<50>, kEffectPresetNames> m_presetNames;
    int32_t m_midiDevice = 0;
    bool m_generateSummaries = true;
    bool m_decodeMp3 = false;
    int32_t m_tempoDetector = kRobustTempoDetector;
    double m_lowestTempo = 88.0;
    double m_highestTempo = 175.0;

    std::string m_programDirectory;
    // The damaged file Load found, until Save has kept a copy of it.
    mutable std::string m_damagedPath;
    mutable std::vector<uint8_t> m_damagedBytes;
};

}  // namespace vantor

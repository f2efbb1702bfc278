#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "control/sample_trigger_map.h"
#include "control/sample_volume_map.h"
#include "control/track_effect_map.h"

namespace vantor {

class CSampleBank;

// The three binding maps of a process and their file "MIDI.MAP": an i32 byte
// count N, then N bytes holding the sample trigger, track effect and sample
// volume lists one after another. The maps stay bound to whichever input
// table the process has; a new table gets every binding.
class CMIDIBindings {
public:
    static constexpr const char* kFileName = "MIDI.MAP";

    CMIDIBindings(CSampleTriggerMap::Trigger trigger, CSampleVolumeMap::SetVolume setVolume);
    // Triggers and gains go to the bank's slots.
    explicit CMIDIBindings(CSampleBank& bank);
    ~CMIDIBindings();
    CMIDIBindings(const CMIDIBindings&) = delete;
    CMIDIBindings& operator=(const CMIDIBindings&) = delete;

    CSampleTriggerMap& Triggers() { return m_triggers; }
    CTrackEffectMap& TrackEffects() { return m_trackEffects; }
    CSampleVolumeMap& Volumes() { return m_volumes; }
    const CSampleTriggerMap& Triggers() const { return m_triggers; }
    const CTrackEffectMap& TrackEffects() const { return m_trackEffects; }
    const CSampleVolumeMap& Volumes() const { return m_volumes; }

    // Binds every binding of the three maps in the table (none: unbound).
    // A table must outlive the bindings bound in it, or be replaced first.
    void SetInput(CMIDIInput* input);

    // The file's bytes for the maps as they are.
    std::vector<uint8_t> FileBytes() const;
    // Replaces the bindings with those of a file's bytes. A byte count that
    // the bytes do not hold, or a list that does not read whole, leaves every
    // map empty: false.
    bool ReadFileBytes(const uint8_t* data, size_t size);
    // A missing or damaged file leaves the maps empty: false.
    bool Load(const std::string& path);
    // Replaces the file whole, through a temporary file and a rename.
    bool Save(const std::string& path) const;

    void RemoveAll();

private:
    CSampleTriggerMap m_triggers;
    CTrackEffectMap m_trackEffects;
    CSampleVolumeMap m_volumes;
};

}  // namespace vantor

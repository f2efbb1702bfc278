#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "control/midi_bindings.h"
#include "platform/user_interface.h"

namespace vantor {

class CEffectManagerImpl;

// The "MIDI Control Mapper" dialog without its window: one line per binding
// of the three maps, ordered by channel x 1000 + controller, and the fields
// that make a new binding. "Add" and "Remove" change the maps at once; "OK"
// writes the map file, "Cancel" reads it back, undoing the live edits.
class CMIDIControlMapperView {
public:
    static constexpr const char* kTitle = "MIDI Control Mapper";

    enum class Kind { TrackEffect, TriggerSample, SampleVolume };
    enum class Field { TrackNumber, EffectBox, TriggerSample, VolumeSample };

    struct Column {
        std::string caption;
        int percent;
    };
    struct Line {
        int32_t channel = 0;
        int32_t controller = 0;
        std::string description;
        Kind kind = Kind::TrackEffect;
        int32_t triggerValue = 0;  // trigger lines only
        int32_t Order() const { return channel * 1000 + controller; }
    };

    // mapPath: "MIDI.MAP" of the program directory. input, when there is
    // one, feeds learning.
    CMIDIControlMapperView(IUserInterface& ui, CMIDIBindings& bindings, CEffectManagerImpl* effects,
                           std::string mapPath, CMIDIInput* input = nullptr);

    // The fields at their defaults, "Track Effect" chosen, the effect box
    // filled, the list built from the maps.
    void Open();

    static std::vector<Column> GetColumns();
    const std::vector<Line>& GetLines() const { return m_lines; }
    // "effect/parameter" per parameter of every registered effect type.
    const std::vector<std::string>& GetEffectEntries() const { return m_effectEntries; }
    int GetSelectedEffect() const { return m_effect; }
    bool SelectEffect(int index);

    Kind GetKind() const { return m_kind; }
    void SetKind(Kind kind) { m_kind = kind; }
    bool IsEnabled(Field field) const;

    int32_t channel = 0;
    int32_t controlNumber = 0;
    int32_t trackNumber = 1;
    int32_t triggerSample = 1;
    int32_t volumeSample = 1;

    // Adds the binding the fields describe to the chosen map; a refusal for
    // a field out of its range, nothing changed.
    Status Add();
    // Removes the line's binding; false for no such line.
    bool Remove(int line);
    // Waits for the next controller moved and takes its channel and number;
    // false without an input or when none moved in time.
    bool Learn(std::chrono::milliseconds timeout);

    // Writes the map file; a failure is told and the dialog stays open.
    bool Ok();
    void Cancel();

private:
    void Rebuild();

    IUserInterface& m_ui;
    CMIDIBindings& m_bindings;
    CEffectManagerImpl* m_effects;
    std::string m_mapPath;
    CMIDIInput* m_input;

    std::vector<Line> m_lines;
    std::vector<std::string> m_effectEntries;
    int m_effect = -1;
    Kind m_kind = Kind::TrackEffect;
};

}  // namespace vantor

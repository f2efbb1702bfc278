#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "control/midi_binding_map.h"

namespace vantor {

// A controller that rides the gain of a sample slot.
struct SampleVolumeBinding {
    static constexpr int32_t kRecordBytes = 12;
    int32_t channel = 0;
    int32_t controller = 0;
    int32_t slot = 0;  // 0 to 8; 8 is the preview slot

    bool SameControl(const SampleVolumeBinding& other) const {
        return channel == other.channel && controller == other.controller;
    }
    std::string Description() const;
    void Write(CMemoryOStream& out) const;
    bool Read(CMemoryIStream& in);
};

// The sample volume bindings: a controller value v sets the slot's gain to
// v x 0.025, so 40 is unity and 127 is 3.175.
class CSampleVolumeMap final : public CMIDIBindingMap<SampleVolumeBinding> {
public:
    static constexpr double kGainPerStep = 0.025;
    using SetVolume = std::function<void(int32_t slot, double gain)>;

    explicit CSampleVolumeMap(SetVolume setVolume) : m_setVolume(std::move(setVolume)) {}
    ~CSampleVolumeMap() override { SetInput(nullptr); }

    void Add(int32_t channel, int32_t controller, int32_t slot);
    bool Remove(int32_t channel, int32_t controller);

    void OnControlValue(int32_t value, uint32_t key) override;

private:
    const SetVolume m_setVolume;
};

}  // namespace vantor

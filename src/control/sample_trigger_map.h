#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "control/midi_binding_map.h"

namespace vantor {

// A controller that fires a sample slot when it sends the trigger value.
struct SampleTriggerBinding {
    static constexpr int32_t kRecordBytes = 16;
    int32_t channel = 0;
    int32_t controller = 0;
    int32_t triggerValue = 127;
    int32_t sampleNumber = 1;  // 1 to 8: slots 0 to 7

    bool SameControl(const SampleTriggerBinding& other) const {
        return channel == other.channel && controller == other.controller && triggerValue == other.triggerValue;
    }
    std::string Description() const;
    void Write(CMemoryOStream& out) const;
    bool Read(CMemoryIStream& in);
};

// The sample trigger bindings. The record key is the trigger value x 65536
// plus the sample number, so a value is handled without a lookup.
class CSampleTriggerMap final : public CMIDIBindingMap<SampleTriggerBinding> {
public:
    static constexpr int32_t kTriggerValue = 127;
    using Trigger = std::function<void(int32_t slot)>;

    explicit CSampleTriggerMap(Trigger trigger) : m_trigger(std::move(trigger)) {}
    ~CSampleTriggerMap() override { SetInput(nullptr); }

    void Add(int32_t channel, int32_t controller, int32_t triggerValue, int32_t sampleNumber);
    bool Remove(int32_t channel, int32_t controller, int32_t triggerValue = kTriggerValue);

    void OnControlValue(int32_t value, uint32_t key) override;

protected:
    uint32_t KeyOf(const Entry& entry) const override;

private:
    const Trigger m_trigger;
};

}  // namespace vantor

#include "control/sample_trigger_map.h"

#include "control/sample_bank.h"

namespace vantor {

std::string SampleTriggerBinding::Description() const {
    return "Trigger Sample #" + std::to_string(static_cast<uint32_t>(sampleNumber));
}

void SampleTriggerBinding::Write(CMemoryOStream& out) const {
    WriteInt32(out, channel);
    WriteInt32(out, controller);
    WriteInt32(out, triggerValue);
    WriteInt32(out, sampleNumber);
}

bool SampleTriggerBinding::Read(CMemoryIStream& in) {
    channel = ReadInt32(in);
    controller = ReadInt32(in);
    triggerValue = ReadInt32(in);
    sampleNumber = ReadInt32(in);
    return !in.RanShort();
}

void CSampleTriggerMap::Add(int32_t channel, int32_t controller, int32_t triggerValue, int32_t sampleNumber) {
    AddBinding(SampleTriggerBinding{channel, controller, triggerValue, sampleNumber});
}

bool CSampleTriggerMap::Remove(int32_t channel, int32_t controller, int32_t triggerValue) {
    return RemoveBinding([&](const SampleTriggerBinding& b) {
        return b.channel == channel && b.controller == controller && b.triggerValue == triggerValue;
    });
}

uint32_t CSampleTriggerMap::KeyOf(const Entry& entry) const {
    return static_cast<uint32_t>(entry.binding.triggerValue) * 65536u +
           static_cast<uint32_t>(entry.binding.sampleNumber);
}

void CSampleTriggerMap::OnControlValue(int32_t value, uint32_t key) {
    const uint32_t triggerValue = key / 65536u;
    const uint32_t sampleNumber = key % 65536u;
    if (static_cast<uint32_t>(value) != triggerValue) return;
    if (sampleNumber < 1 || sampleNumber > static_cast<uint32_t>(CSampleBank::kTriggerSlots)) return;
    if (m_trigger) m_trigger(static_cast<int32_t>(sampleNumber) - 1);
}

}  // namespace vantor

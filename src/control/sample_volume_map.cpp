#include "control/sample_volume_map.h"

namespace vantor {

std::string SampleVolumeBinding::Description() const {
    return "Trigger Volume #" + std::to_string(static_cast<uint32_t>(slot));
}

void SampleVolumeBinding::Write(CMemoryOStream& out) const {
    WriteInt32(out, channel);
    WriteInt32(out, controller);
    WriteInt32(out, slot);
}

bool SampleVolumeBinding::Read(CMemoryIStream& in) {
    channel = ReadInt32(in);
    controller = ReadInt32(in);
    slot = ReadInt32(in);
    return !in.RanShort();
}

void CSampleVolumeMap::Add(int32_t channel, int32_t controller, int32_t slot) {
    AddBinding(SampleVolumeBinding{channel, controller, slot});
}

bool CSampleVolumeMap::Remove(int32_t channel, int32_t controller) {
    return RemoveBinding(
        [&](const SampleVolumeBinding& b) { return b.channel == channel && b.controller == controller; });
}

void CSampleVolumeMap::OnControlValue(int32_t value, uint32_t key) {
    int32_t slot;
    {
        std::lock_guard lock(m_lock);
        const Entry* entry = FindLocked(key);
        if (!entry) return;
        slot = entry->binding.slot;
    }
    if (m_setVolume) m_setVolume(slot, value * kGainPerStep);
}

}  // namespace vantor

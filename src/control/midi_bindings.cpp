#include "control/midi_bindings.h"

#include <limits>

#include "control/sample_bank.h"
#include "platform/file_io.h"
#include "platform/little_endian.h"

namespace vantor {

CMIDIBindings::CMIDIBindings(CSampleTriggerMap::Trigger trigger, CSampleVolumeMap::SetVolume setVolume)
    : m_triggers(std::move(trigger)), m_volumes(std::move(setVolume)) {}

CMIDIBindings::CMIDIBindings(CSampleBank& bank)
    : CMIDIBindings([&bank](int32_t slot) { bank.TriggerSlot(slot); },
                    [&bank](int32_t slot, double gain) { bank.SetSlotVolume(slot, gain); }) {}

CMIDIBindings::~CMIDIBindings() { SetInput(nullptr); }

void CMIDIBindings::SetInput(CMIDIInput* input) {
    m_triggers.SetInput(input);
    m_trackEffects.SetInput(input);
    m_volumes.SetInput(input);
}

std::vector<uint8_t> CMIDIBindings::FileBytes() const {
    CMemoryOStream body;
    m_triggers.Serialize(body);
    m_trackEffects.Serialize(body);
    m_volumes.Serialize(body);
    std::vector<uint8_t> bytes(4 + static_cast<size_t>(body.GetSize()));
    StoreLE32(bytes.data(), static_cast<uint32_t>(body.GetSize()));
    std::copy(body.GetData(), body.GetData() + body.GetSize(), bytes.begin() + 4);
    return bytes;
}

bool CMIDIBindings::ReadFileBytes(const uint8_t* data, size_t size) {
    const int64_t count = size >= 4 ? static_cast<int32_t>(LoadLE32(data)) : -1;
    if (count < 0 || count > static_cast<int64_t>(size - 4) || count > std::numeric_limits<int32_t>::max()) {
        RemoveAll();
        return false;
    }
    CMemoryIStream in(data + 4, static_cast<int32_t>(count));
    const bool whole = m_triggers.Deserialize(in) && m_trackEffects.Deserialize(in) && m_volumes.Deserialize(in);
    if (!whole) RemoveAll();
    return whole;
}

bool CMIDIBindings::Load(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) {
        RemoveAll();
        return false;
    }
    return ReadFileBytes(bytes->data(), bytes->size());
}

bool CMIDIBindings::Save(const std::string& path) const {
    auto bytes = FileBytes();
    return WriteFileReplacing(path, bytes.data(), bytes.size());
}

void CMIDIBindings::RemoveAll() {
    m_triggers.RemoveAll();
    m_trackEffects.RemoveAll();
    m_volumes.RemoveAll();
}

}  // namespace vantor

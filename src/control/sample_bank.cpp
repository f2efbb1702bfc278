#include "control/sample_bank.h"

#include <cmath>
#include <cstring>

#include "platform/file_io.h"
#include "platform/little_endian.h"

namespace vantor {

namespace {

std::string FixedField(const uint8_t* field) {
    size_t n = 0;
    while (n < CSampleBank::kTextBytes && field[n] != 0) ++n;
    // A field without its NUL keeps 254 characters, as the field can hold.
    return std::string(reinterpret_cast<const char*>(field), std::min(n, CSampleBank::kTextBytes - 1));
}

void PutField(std::vector<uint8_t>& bytes, size_t at, const std::string& text) {
    const size_t n = std::min(text.size(), CSampleBank::kTextBytes - 1);
    std::memcpy(bytes.data() + at, text.data(), n);
}

}  // namespace

CSampleBank::CSampleBank(std::optional<DeviceId> device, AudioDeviceOpener opener) : m_device(device) {
    for (auto& slot : m_slots) slot = std::make_unique<CSampleOutput>(opener);
}

CSampleBank::~CSampleBank() {
    for (auto& slot : m_slots) slot->Join(-1);
}

bool CSampleBank::LoadSlot(int32_t slot, const std::string& name, const std::string& path) {
    if (!IsSlot(slot)) return false;
    std::lock_guard lock(m_lock);
    CSampleOutput& output = *m_slots[static_cast<size_t>(slot)];
    output.Join(-1);
    m_names[static_cast<size_t>(slot)].clear();
    output.SetName("");
    if (!output.Load(path, m_device ? &*m_device : nullptr, kCooperativePriority, kBufferGlobalFocus)) return false;
    if (!output.Arm()) return false;
    output.SetThreadPriority(kPriorityTimeCritical);
    output.SetName(name);
    m_names[static_cast<size_t>(slot)] = output.GetName();
    return true;
}

void CSampleBank::TriggerSlot(int32_t slot) {
    if (!IsSlot(slot)) return;
    std::lock_guard lock(m_lock);
    m_slots[static_cast<size_t>(slot)]->Trigger();
}

std::string CSampleBank::GetSlotName(int32_t slot) const {
    if (!IsSlot(slot)) return {};
    std::lock_guard lock(m_lock);
    return m_names[static_cast<size_t>(slot)];
}

std::string CSampleBank::GetSlotFileName(int32_t slot) const {
    if (!IsSlot(slot)) return {};
    std::lock_guard lock(m_lock);
    return m_slots[static_cast<size_t>(slot)]->GetFileName();
}

void CSampleBank::SetSlotVolume(int32_t slot, double gain) {
    if (!IsSlot(slot) || !std::isfinite(gain) || gain < 0.0 || gain >= 4.0) return;
    m_slots[static_cast<size_t>(slot)]->SetVolume(static_cast<float>(gain));
}

int32_t CSampleBank::GetSlotVolume(int32_t slot) const {
    return IsSlot(slot) ? m_slots[static_cast<size_t>(slot)]->GetVolume() : 0;
}

std::vector<std::pair<std::string, std::string>> CSampleBank::ParsePresets(const uint8_t* data, size_t size) {
    std::vector<std::pair<std::string, std::string>> entries;
    if (size < 4) return entries;
    const auto count = static_cast<int32_t>(LoadLE32(data));
    if (count < 1 || count > kMaxStoredCount) return entries;
    for (int32_t i = 0; i < std::min(count, kSlotCount); ++i) {
        const size_t at = 4 + static_cast<size_t>(i) * kEntryBytes;
        if (at + kEntryBytes > size) break;
        entries.emplace_back(FixedField(data + at), FixedField(data + at + kTextBytes));
    }
    return entries;
}

bool CSampleBank::LoadPresets(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return false;
    auto entries = ParsePresets(bytes->data(), bytes->size());
    for (size_t i = 0; i < entries.size(); ++i)
        LoadSlot(static_cast<int32_t>(i), entries[i].first, entries[i].second);
    return true;
}

std::vector<uint8_t> CSampleBank::PresetBytes() const {
    std::vector<uint8_t> bytes(4 + kSlotCount * kEntryBytes, 0);
    StoreLE32(bytes.data(), kSlotCount);
    for (int32_t i = 0; i < kSlotCount; ++i) {
        const size_t at = 4 + static_cast<size_t>(i) * kEntryBytes;
        PutField(bytes, at, GetSlotName(i));
        PutField(bytes, at + kTextBytes, GetSlotFileName(i));
    }
    return bytes;
}

bool CSampleBank::SavePresets(const std::string& path) const {
    auto bytes = PresetBytes();
    return WriteFileReplacing(path, bytes.data(), bytes.size());
}

}  // namespace vantor

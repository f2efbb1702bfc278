#include "database/key_entry.h"

#include <algorithm>
#include <cstring>

#include "model/value_io.h"

namespace vantor {

namespace {

// The mark of a damaged entry in its unused bytes (offset 324).
constexpr char kDamagedMark[8] = {'D', 'A', 'M', 'A', 'G', 'E', 'D', '\0'};
constexpr size_t kMarkOffset = 324;

template <size_t N>
void CopyText(std::array<char, N>& field, std::string_view text) {
    field.fill('\0');
    std::memcpy(field.data(), text.data(), std::min(text.size(), N - 1));
}

}  // namespace

void KeyEntry::SetKey(std::string_view text) { CopyText(key, text); }

void KeyEntry::SetSort(int k, std::string_view text) { CopyText(sort[static_cast<size_t>(k)], text); }

void KeyEntry::Encode(uint8_t* out) const {
    std::memset(out, 0, kSize);
    std::memcpy(out, key.data(), kKeyBytes);
    StoreLE32(out + 256, static_cast<uint32_t>(offset));
    for (int k = 0; k < kSortTexts; ++k) std::memcpy(out + 260 + k * kSortBytes, sort[k].data(), kSortBytes);
    StoreLE32(out + 320, static_cast<uint32_t>(size));
    if (damaged) std::memcpy(out + kMarkOffset, kDamagedMark, sizeof kDamagedMark);
}

KeyEntry KeyEntry::Decode(const uint8_t* in) {
    KeyEntry entry;
    std::memcpy(entry.key.data(), in, kKeyBytes);
    entry.key[kKeyBytes - 1] = '\0';
    entry.offset = static_cast<int32_t>(LoadLE32(in + 256));
    for (int k = 0; k < kSortTexts; ++k) {
        std::memcpy(entry.sort[k].data(), in + 260 + k * kSortBytes, kSortBytes);
        entry.sort[k][kSortBytes - 1] = '\0';
    }
    entry.size = static_cast<int32_t>(LoadLE32(in + 320));
    entry.damaged = std::memcmp(in + kMarkOffset, kDamagedMark, sizeof kDamagedMark) == 0;
    return entry;
}

KeyFileContents ParseKeyFile(const uint8_t* data, size_t size) {
    KeyFileContents contents;
    if (size < 4) return contents;
    const size_t count = (size - 4) / KeyEntry::kSize;
    contents.entries.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        contents.entries.push_back(KeyEntry::Decode(data + 4 + i * KeyEntry::kSize));
        if (!contents.entries.back().IsFree()) ++contents.liveCount;
    }
    return contents;
}

}  // namespace vantor

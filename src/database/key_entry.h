#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vantor {

// One entry of a store's key file, 376 bytes: key (256, zero-terminated; an
// empty key marks a free entry), offset of the record in the data file,
// three sort texts of 20 bytes, the size reserved for the record, and 52
// bytes that carry nothing (written as zeros) unless the entry is damaged.
struct KeyEntry {
    static constexpr int32_t kSize = 376;
    static constexpr int32_t kKeyBytes = 256;
    static constexpr int32_t kSortBytes = 20;
    static constexpr int kSortTexts = 3;

    std::array<char, kKeyBytes> key{};
    int32_t offset = 0;
    std::array<std::array<char, kSortBytes>, kSortTexts> sort{};
    int32_t size = 0;
    // Set on an entry whose area is not whole or is claimed by another one.
    // It is written into the unused bytes, so the entry stays known as
    // damaged once the data file grows over the bytes it was missing.
    bool damaged = false;

    bool IsFree() const { return key[0] == '\0'; }
    const char* Key() const { return key.data(); }
    const char* Sort(int k) const { return sort[static_cast<size_t>(k)].data(); }
    void SetKey(std::string_view text);
    // Cut to 19 characters.
    void SetSort(int k, std::string_view text);

    void Encode(uint8_t* out) const;
    // Texts are terminated inside their fields whatever the bytes say.
    static KeyEntry Decode(const uint8_t* in);
};

// The key file: a live count, then entries up to the end of the file. A
// trailing partial entry is ignored. The live count returned is the number of
// entries in use, which a damaged file may state wrongly.
struct KeyFileContents {
    int32_t liveCount = 0;
    std::vector<KeyEntry> entries;
};
KeyFileContents ParseKeyFile(const uint8_t* data, size_t size);

}  // namespace vantor

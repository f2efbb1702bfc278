#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

// One song of a category file: the index of its key entry in SONGS (-1 when
// none is stored) and its key. Entries are 260 bytes, no header; a trailing
// partial entry is ignored.
struct CategoryEntry {
    static constexpr int32_t kSize = 260;
    static constexpr int32_t kKeyBytes = 256;

    int32_t index = -1;
    std::string key;
};

std::vector<CategoryEntry> ParseCategoryFile(const uint8_t* data, size_t size);
// The file's bytes; the entry at skip (when not -1) is left out.
std::vector<uint8_t> EncodeCategoryFile(const std::vector<CategoryEntry>& entries, int32_t skip = -1);

}  // namespace vantor

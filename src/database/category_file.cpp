#include "database/category_file.h"

#include <algorithm>
#include <cstring>

#include "model/value_io.h"

namespace vantor {

std::vector<CategoryEntry> ParseCategoryFile(const uint8_t* data, size_t size) {
    std::vector<CategoryEntry> entries;
    const size_t count = size / CategoryEntry::kSize;
    entries.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* in = data + i * CategoryEntry::kSize;
        CategoryEntry entry;
        entry.index = static_cast<int32_t>(LoadLE32(in));
        const char* key = reinterpret_cast<const char*>(in + 4);
        entry.key.assign(key, strnlen(key, CategoryEntry::kKeyBytes - 1));
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<uint8_t> EncodeCategoryFile(const std::vector<CategoryEntry>& entries, int32_t skip) {
    std::vector<uint8_t> bytes;
    bytes.reserve(entries.size() * CategoryEntry::kSize);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (static_cast<int32_t>(i) == skip) continue;
        uint8_t record[CategoryEntry::kSize] = {};
        StoreLE32(record, static_cast<uint32_t>(entries[i].index));
        std::memcpy(record + 4, entries[i].key.data(),
                    std::min<size_t>(entries[i].key.size(), CategoryEntry::kKeyBytes - 1));
        bytes.insert(bytes.end(), record, record + CategoryEntry::kSize);
    }
    return bytes;
}

}  // namespace vantor

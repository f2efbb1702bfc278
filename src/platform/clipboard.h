#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

// The process-wide clipboard. Formats are registered by name and identified by
// the number registration returns; registering a name twice returns the same
// number. Like the system clipboard it holds one set of data at a time:
// Empty() drops everything, SetData() adds one format's block.
class Clipboard {
public:
    static Clipboard& Instance();

    uint32_t RegisterFormat(const std::string& name);
    // 0 when the name was never registered.
    uint32_t FindFormat(const std::string& name) const;

    void Empty();
    bool SetData(uint32_t format, std::vector<uint8_t> bytes);
    std::optional<std::vector<uint8_t>> GetData(uint32_t format) const;
    std::vector<uint32_t> AvailableFormats() const;

private:
    Clipboard() = default;

    mutable std::mutex m_mutex;
    std::map<std::string, uint32_t> m_formats;
    std::map<uint32_t, std::vector<uint8_t>> m_data;
};

}  // namespace vantor

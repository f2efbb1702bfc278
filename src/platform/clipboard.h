#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

// Where the clipboard's blocks live when other programs must see them (the
// workstation binds the desktop's clipboard here); without a store they stay
// inside the process.
class ClipboardStore {
public:
    virtual ~ClipboardStore() = default;
    // Replaces everything the store holds by these blocks, keyed by format name.
    virtual void Publish(const std::map<std::string, std::vector<uint8_t>>& blocks) = 0;
    // The blocks the store holds now of the formats named.
    virtual std::map<std::string, std::vector<uint8_t>> Fetch(const std::vector<std::string>& names) const = 0;
};

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

    // Binds a store (null: back to the process's own); the store outlives the binding.
    void SetStore(ClipboardStore* store);

private:
    Clipboard() = default;
    // With a store bound: what it holds now replaces the copy kept here.
    void Refresh() const;
    void Publish();

    mutable std::mutex m_mutex;
    std::map<std::string, uint32_t> m_formats;
    mutable std::map<uint32_t, std::vector<uint8_t>> m_data;
    ClipboardStore* m_store = nullptr;
};

}  // namespace vantor

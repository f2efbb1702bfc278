#include "platform/clipboard.h"

namespace vantor {

namespace {
// Registered formats are numbered from the start of the private range, as on
// the system clipboard.
constexpr uint32_t kFirstRegisteredFormat = 0xC000;
}  // namespace

Clipboard& Clipboard::Instance() {
    static Clipboard clipboard;
    return clipboard;
}

uint32_t Clipboard::RegisterFormat(const std::string& name) {
    std::lock_guard lock(m_mutex);
    auto [it, inserted] = m_formats.try_emplace(name, 0);
    if (inserted) it->second = kFirstRegisteredFormat + static_cast<uint32_t>(m_formats.size()) - 1;
    return it->second;
}

uint32_t Clipboard::FindFormat(const std::string& name) const {
    std::lock_guard lock(m_mutex);
    auto it = m_formats.find(name);
    return it == m_formats.end() ? 0 : it->second;
}

void Clipboard::Empty() {
    std::lock_guard lock(m_mutex);
    m_data.clear();
    Publish();
}

bool Clipboard::SetData(uint32_t format, std::vector<uint8_t> bytes) {
    if (format == 0) return false;
    std::lock_guard lock(m_mutex);
    // Blocks set together stay together: another program's copy in between
    // replaces them all.
    Refresh();
    m_data[format] = std::move(bytes);
    Publish();
    return true;
}

std::optional<std::vector<uint8_t>> Clipboard::GetData(uint32_t format) const {
    std::lock_guard lock(m_mutex);
    Refresh();
    auto it = m_data.find(format);
    if (it == m_data.end()) return std::nullopt;
    return it->second;
}

std::vector<uint32_t> Clipboard::AvailableFormats() const {
    std::lock_guard lock(m_mutex);
    Refresh();
    std::vector<uint32_t> formats;
    for (const auto& [format, bytes] : m_data) formats.push_back(format);
    return formats;
}

void Clipboard::SetStore(ClipboardStore* store) {
    std::lock_guard lock(m_mutex);
    // Binding takes nothing over: the desktop's clipboard keeps what another
    // program put there.
    m_store = store;
}

void Clipboard::Refresh() const {
    if (!m_store) return;
    std::vector<std::string> names;
    for (const auto& [name, format] : m_formats) names.push_back(name);
    m_data.clear();
    for (auto& [name, bytes] : m_store->Fetch(names))
        if (auto it = m_formats.find(name); it != m_formats.end()) m_data[it->second] = std::move(bytes);
}

void Clipboard::Publish() {
    if (!m_store) return;
    std::map<std::string, std::vector<uint8_t>> blocks;
    for (const auto& [name, format] : m_formats)
        if (auto it = m_data.find(format); it != m_data.end()) blocks[name] = it->second;
    m_store->Publish(blocks);
}

}  // namespace vantor

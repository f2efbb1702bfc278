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
}

bool Clipboard::SetData(uint32_t format, std::vector<uint8_t> bytes) {
    if (format == 0) return false;
    std::lock_guard lock(m_mutex);
    m_data[format] = std::move(bytes);
    return true;
}

std::optional<std::vector<uint8_t>> Clipboard::GetData(uint32_t format) const {
    std::lock_guard lock(m_mutex);
    auto it = m_data.find(format);
    if (it == m_data.end()) return std::nullopt;
    return it->second;
}

std::vector<uint32_t> Clipboard::AvailableFormats() const {
    std::lock_guard lock(m_mutex);
    std::vector<uint32_t> formats;
    for (const auto& [format, bytes] : m_data) formats.push_back(format);
    return formats;
}

}  // namespace vantor

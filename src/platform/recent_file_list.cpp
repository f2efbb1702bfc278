#include "platform/recent_file_list.h"

#include <algorithm>

#include "platform/file_io.h"

namespace vantor {

namespace {
// Longer lines are not paths this program wrote.
constexpr size_t kLongestPath = 4096;
}  // namespace

void RecentFileList::Add(const std::string& path) {
    // A path with a line break could not be kept between runs.
    if (path.empty() || m_maximum == 0 || path.find('\n') != std::string::npos) return;
    m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), path), m_paths.end());
    m_paths.insert(m_paths.begin(), path);
    if (m_paths.size() > m_maximum) m_paths.resize(m_maximum);
}

void RecentFileList::Remove(const std::string& path) {
    m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), path), m_paths.end());
}

void RecentFileList::Load(const std::string& path) {
    m_paths.clear();
    auto bytes = ReadWholeFile(path);
    if (!bytes) return;
    std::string line;
    auto take = [&] {
        if (!line.empty() && line.size() <= kLongestPath && m_paths.size() < m_maximum &&
            std::find(m_paths.begin(), m_paths.end(), line) == m_paths.end() &&
            line.find('\0') == std::string::npos)
            m_paths.push_back(line);
        line.clear();
    };
    for (uint8_t byte : *bytes) {
        if (byte == '\n') {
            take();
        } else if (line.size() <= kLongestPath) {
            line.push_back(static_cast<char>(byte));
        }
    }
    take();
}

bool RecentFileList::Save(const std::string& path) const {
    std::string text;
    for (const auto& entry : m_paths) text += entry + "\n";
    return WriteFileReplacing(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace vantor

#include "platform/recent_file_list.h"

#include <algorithm>

namespace vantor {

void RecentFileList::Add(const std::string& path) {
    if (path.empty() || m_maximum == 0) return;
    m_paths.erase(std::remove(m_paths.begin(), m_paths.end(), path), m_paths.end());
    m_paths.insert(m_paths.begin(), path);
    if (m_paths.size() > m_maximum) m_paths.resize(m_maximum);
}

}  // namespace vantor

#pragma once

#include <string>
#include <vector>

namespace vantor {

// The list of recently used files of the File menu: most recent first, each
// path once, at most a fixed number of entries.
class RecentFileList {
public:
    explicit RecentFileList(size_t maximum = 5) : m_maximum(maximum) {}

    void Add(const std::string& path);
    const std::vector<std::string>& Paths() const { return m_paths; }

private:
    size_t m_maximum;
    std::vector<std::string> m_paths;
};

}  // namespace vantor

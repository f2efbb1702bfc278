#pragma once

#include <string>
#include <vector>

namespace vantor {

// The list of recently used files of the File menu: most recent first, each
// path once, at most a fixed number of entries. Kept between runs in a text
// file, one path a line.
class RecentFileList {
public:
    explicit RecentFileList(size_t maximum = 5) : m_maximum(maximum) {}

    void Add(const std::string& path);
    void Remove(const std::string& path);
    const std::vector<std::string>& Paths() const { return m_paths; }

    // Reads the paths kept by Save; a missing or damaged file gives what
    // could be read (empty lines, overlong lines and lines past the maximum
    // are skipped).
    void Load(const std::string& path);
    bool Save(const std::string& path) const;

private:
    size_t m_maximum;
    std::vector<std::string> m_paths;
};

}  // namespace vantor

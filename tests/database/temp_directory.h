#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "support/temp_dir.h"

namespace vantor::test {

// A scratch program directory for the stores: Path() ends in '/', as the
// stores' base paths expect, and files are read and written by name.
class TempDirectory {
public:
    TempDirectory() : m_dir("vantor-db"), m_path(m_dir.Path() + "/") {}
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + name; }

    std::vector<uint8_t> Read(const std::string& name) const {
        return ReadWholeFile(m_path + name).value_or(std::vector<uint8_t>());
    }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        WriteFileReplacing(m_path + name, bytes.data(), bytes.size());
    }
    bool Exists(const std::string& name) const { return FileExists(m_path + name); }

private:
    TempDir m_dir;
    std::string m_path;
};

}  // namespace vantor::test

#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_io.h"

namespace vantor::test {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the test ends. Path() ends in '/'.
class TempDirectory {
public:
    TempDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantor-db-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        m_path = std::string(::mkdtemp(name.data())) + "/";
    }
    ~TempDirectory() { std::filesystem::remove_all(m_path); }
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
    std::string m_path;
};

}  // namespace vantor::test

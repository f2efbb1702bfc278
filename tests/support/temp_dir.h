#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace vantor::test {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the test ends. Path() has no trailing '/'.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "vantor-test") {
        std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        std::vector<char> name(tmpl.begin(), tmpl.end());
        name.push_back('\0');
        if (!::mkdtemp(name.data())) ADD_FAILURE() << "mkdtemp failed for " << tmpl;
        m_path = name.data();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace vantor::test

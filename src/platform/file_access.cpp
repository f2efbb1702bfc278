#include "platform/file_access.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vantor {

std::string WriteProblem(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(path, error)) return std::strerror(EISDIR);
    if (fs::exists(path, error)) return ::access(path.c_str(), W_OK) == 0 ? "" : std::strerror(errno);
    fs::path directory = fs::path(path).parent_path();
    if (directory.empty()) directory = ".";
    if (::access(directory.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
    return {};
}

}  // namespace vantor

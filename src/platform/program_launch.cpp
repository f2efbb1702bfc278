#include "platform/program_launch.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vantor {

std::string ProgramBesideExecutable(const std::string& name) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return (self.parent_path() / name).string();
}

std::string ReplaceProcess(const std::string& path, const std::vector<std::string>& arguments,
                           const std::string& directory) {
    if (::access(path.c_str(), X_OK) != 0) return path + ": " + std::strerror(errno);
    if (!directory.empty() && ::chdir(directory.c_str()) != 0) return directory + ": " + std::strerror(errno);
    std::vector<char*> argv;
    std::string program = path;
    argv.push_back(program.data());
    std::vector<std::string> copies(arguments);
    for (auto& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::execv(path.c_str(), argv.data());
    return path + ": " + std::strerror(errno);
}

}  // namespace vantor

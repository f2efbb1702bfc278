#pragma once

#include <string>
#include <vector>

namespace vantor {

// The path a program of the given name has in the directory of the running
// executable; empty when the executable's own path cannot be read.
std::string ProgramBesideExecutable(const std::string& name);

// Replaces the running process by the program, started in the directory
// with the arguments. Returns only when that failed, with the reason.
std::string ReplaceProcess(const std::string& path, const std::vector<std::string>& arguments,
                           const std::string& directory);

}  // namespace vantor

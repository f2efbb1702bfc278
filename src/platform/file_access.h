#pragma once

#include <string>

namespace vantor {

// Why a file could not be created or written at path, in the operating
// system's words ("No such file or directory", "Permission denied"); empty
// when nothing stands in the way.
std::string WriteProblem(const std::string& path);

}  // namespace vantor

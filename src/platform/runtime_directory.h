#pragma once

#include <string>

#include "platform/result.h"

namespace vantor {

// The per-user directory that holds the sound server's socket and lock file:
// "vantor" inside $XDG_RUNTIME_DIR, else /tmp/vantor-<uid>. It is created
// with mode 0700 and refused when another user owns it or others may enter it.
class RuntimeDirectory {
public:
    static Result<std::string> Get();
    // The path of a name inside the directory; the directory is made first.
    static Result<std::string> PathOf(const std::string& name);
};

}  // namespace vantor

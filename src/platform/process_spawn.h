#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/result.h"

namespace vantor {

// Starting and watching other programs.
class ProcessSpawn {
public:
    // Starts the program in its own session (a Ctrl-C at the caller's
    // terminal does not reach it), with the working directory given, its
    // standard input and outputs on /dev/null; the caller's descriptors are
    // not inherited. The refusal's
    // text holds the system error code in hexadecimal.
    static Result<pid_t> Spawn(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& workingDirectory);
    // The directory of the running executable, with a trailing '/'.
    static std::string ExecutableDirectory();
    // True when the child has ended (reaped then) or is not ours.
    static bool HasEnded(pid_t pid);
    // Waits up to the time given for a child to end; true when it has.
    static bool WaitForEnd(pid_t pid, int milliseconds);
    // True while a process with the id exists.
    static bool Exists(pid_t pid);
};

}  // namespace vantor

#pragma once

namespace vantor {

// While a guard lives, Ctrl-C, SIGTERM and SIGHUP ask the long command in
// hand to stop instead of killing the program, so that it can leave its file
// valid; the command polls Interrupted(). The default handlers come back when
// the guard ends.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    static bool Interrupted();
};

}  // namespace vantor

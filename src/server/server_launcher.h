#pragma once

#include <sys/types.h>

#include <string>

#include "platform/result.h"

namespace vantor {

// Starts the sound server program found beside the running program, in the
// program directory, and waits for its readiness: first for its socket (at
// most 10 s, "Sound Server not responding (1)." when it does not come or the
// process ends), then for its readiness signal (at most 4 s, "Sound Server
// not responding (2)."). A server whose start failed at those steps is left
// running.
class CServerLauncher {
public:
    static constexpr const char* kProgramName = "playhost";
    static constexpr const char* kSyncName = "KAVRO_SS_SYNC";
    static constexpr int kListenMilliseconds = 10000;
    static constexpr int kReadyMilliseconds = 4000;

    // The started process's id.
    static Result<pid_t> Start(const std::string& programDirectory);
};

}  // namespace vantor

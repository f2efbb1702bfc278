#include "server/server_launcher.h"

#include <chrono>
#include <thread>

#include "platform/local_socket.h"
#include "platform/process_spawn.h"
#include "platform/readiness_signal.h"
#include "platform/runtime_directory.h"
#include "server/server_link.h"

namespace vantor {

namespace {

Refusal StartRefusal(const std::string& text) { return Refusal{text, "Start Sound Server", MessageIcon::Error}; }

}  // namespace

Result<pid_t> CServerLauncher::Start(const std::string& programDirectory) {
    auto runtime = RuntimeDirectory::Get();
    if (!runtime) return StartRefusal(runtime.Error().text);
    ReadinessSignal ready(kSyncName, runtime.Value());
    if (!ready.Create()) return StartRefusal("Sound Server not responding (2).");

    auto pid = ProcessSpawn::Spawn(ProcessSpawn::ExecutableDirectory() + kProgramName, {}, programDirectory);
    if (!pid) {
        ready.Remove();
        return StartRefusal("Failed to start Sound Server. Error: " + pid.Error().text);
    }
    // The socket stands for the server's window being up.
    const std::string socket = runtime.Value() + "/" + CServerLink::kPipeName;
    const auto listenDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kListenMilliseconds);
    for (;;) {
        if (ProcessSpawn::HasEnded(pid.Value())) {
            ready.Remove();
            return StartRefusal("Sound Server not responding (1).");
        }
        if (ready.Wait(0)) break;  // ready already: the socket exists
        if (LocalSocket::Connect(socket).IsOpen()) {
            if (!ready.Wait(kReadyMilliseconds)) {
                ready.Remove();
                return StartRefusal("Sound Server not responding (2).");
            }
            break;
        }
        if (std::chrono::steady_clock::now() >= listenDeadline) {
            ready.Remove();
            return StartRefusal("Sound Server not responding (1).");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ready.Remove();
    return pid.Value();
}

}  // namespace vantor

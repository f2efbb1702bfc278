// vantor server start|stop|status|connect|commit, and play --server: the
// sound server that keeps a set playing apart from the workstation.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "command_context.h"
#include "model/set_file.h"
#include "platform/interrupt_guard.h"
#include "platform/terminal.h"
#include "server/commit_history.h"
#include "server/server_launcher.h"
#include "server/server_link.h"

namespace vantor::cli {

namespace {

constexpr int kRetryMilliseconds = 200;

double Seconds(int32_t frames, int32_t rate) { return rate > 0 ? static_cast<double>(frames) / rate : 0.0; }

// A server that answers, started when none does.
void EnsureServer(CommandContext& context, CServerLink& link) {
    if (link.EnsureOpen()) return;
    auto started = CServerLauncher::Start(context.config.GetProgramDirectory());
    if (!started) throw CommandFailure(started.Error().text);
}

// Sends once more after 200 ms when the first send fails.
template <class Send>
bool WithRetry(Send send) {
    if (send()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMilliseconds));
    return send();
}

int Start(CommandContext& context) {
    CServerLink link;
    if (link.EnsureOpen()) {
        std::printf("Sound Server is already running.\n");
        return 0;
    }
    auto started = CServerLauncher::Start(context.config.GetProgramDirectory());
    if (!started) return context.Refused(started.Error());
    std::printf("Sound Server started (process %d).\n", static_cast<int>(started.Value()));
    return 0;
}

int Stop(CommandContext& context) {
    CServerLink link;
    if (!link.Shutdown()) return context.Refused({"Unable to contact Sound Server.", "Stop Set", MessageIcon::Error});
    std::printf("Sound Server shut down.\n");
    return 0;
}

void PrintPlaying(CServerLink& link, const CMusicSet& set) {
    const int32_t rate = set.GetSampleRate();
    int32_t start = 0, end = 0;
    link.GetLoop(start, end);
    const int32_t position = link.GetPosition().value_or(0);
    std::printf("Running: %s (%d tracks)\n", set.GetName(), set.GetTracks().GetCount() - 1);
    std::printf("position: %.3f s\n", Seconds(position, rate));
    if (end > start)
        std::printf("loop: %.3f s to %.3f s\n", Seconds(start, rate), Seconds(end, rate));
    else
        std::printf("loop: none\n");
}

int Status(CommandContext&) {
    CServerLink link;
    if (!link.EnsureOpen()) {
        std::printf("Not started\n");
        return 0;
    }
    if (RefPtr<CMusicSet> set = link.GetSet())
        PrintPlaying(link, *set);
    else
        std::printf("Not Running\n");
    return 0;
}

int Connect(CommandContext& context) {
    if (!context.config.GetUseSoundServer())
        return context.Refused({"Sound Server must be enabled in the configuration before connecting.", "Connect",
                                MessageIcon::Exclamation});
    CServerLink link;
    RefPtr<CMusicSet> set = link.GetSet();
    if (!set)
        return context.Refused({"Unable to connect to Sound Server.", "Connect To Sound Server", MessageIcon::Error});
    PrintPlaying(link, *set);
    return 0;
}

RefPtr<CMusicSet> ReadSet(const std::string& path) {
    RefPtr<CMusicSet> set = ReadSetFile(path);
    if (!set) throw CommandFailure("cannot open the set " + path);
    return set;
}

int Commit(CommandContext& context, const std::string& path) {
    RefPtr<CMusicSet> edited = ReadSet(path);
    CServerLink link;
    RefPtr<CMusicSet> playing = link.GetSet();
    if (!playing) return context.Refused({"No set plays on the Sound Server.", "Commit Set", MessageIcon::Error});
    auto history = BuildCommitHistory(*playing, *edited);
    if (!history) return context.Refused(history.Error());
    const int32_t records = history.Value()->GetRecords().GetCount();
    if (!WithRetry([&] { return link.Commit(*history.Value()); }))
        return context.Refused({"Unable to contact Sound Server", "Commit Set", MessageIcon::Error});
    std::printf("committed %d change%s\n", records, records == 1 ? "" : "s");
    return 0;
}

}  // namespace

int PlayOnServer(CommandContext& context, const ServerPlayOptions& o) {
    RefPtr<CMusicSet> set = ReadSet(o.set);
    const int32_t rate = set->GetSampleRate();
    const DeviceId device = o.device ? ParseDeviceId(*o.device, true) : context.config.GetSetOutputDeviceId();
    CServerLink link;
    EnsureServer(context, link);
    const auto start = static_cast<int32_t>(SecondsToFrames(o.from, rate));
    if (!WithRetry([&] { return link.StartSet(IsDefaultDevice(device) ? nullptr : &device, *set, start); }))
        return context.Refused({"Unable to contact Sound Server.", "Start Set Audio", MessageIcon::Error});
    const int32_t loopStart = o.loop.empty() ? 0 : static_cast<int32_t>(SecondsToFrames(o.loop[0], rate));
    const int32_t loopEnd = o.loop.empty() ? 0 : static_cast<int32_t>(SecondsToFrames(o.loop[1], rate));
    link.SetLoop(loopStart, loopEnd);
    std::printf("playing %s on the Sound Server\n", o.set.c_str());
    if (!o.follow) return 0;
    std::fflush(stdout);
    // Ctrl-C ends the following, not the server's play.
    InterruptGuard interrupt;
    const bool terminal = IsTerminal(stdout);
    while (!InterruptGuard::Interrupted()) {
        auto position = link.GetPosition();
        if (!position) return context.Refused({"Unable to contact Sound Server.", "Play", MessageIcon::Error});
        std::printf(terminal ? "\r%.1f s " : "%.1f s\n", Seconds(*position, rate));
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(terminal ? 100 : 500));
    }
    if (terminal) std::printf("\n");
    return 0;
}

void AddServerCommands(CLI::App& app, CommandContext& context) {
    auto* server = app.add_subcommand("server", "The Sound Server: a set keeps playing apart from the workstation");
    server->require_subcommand(1);
    OnRun(server->add_subcommand("start", "Start the Sound Server beside this program"), context,
          [&context] { return Start(context); });
    OnRun(server->add_subcommand("stop", "Shut the Sound Server down, stopping its set"), context,
          [&context] { return Stop(context); });
    OnRun(server->add_subcommand("status", "Whether the Sound Server runs, and what it plays"), context,
          [&context] { return Status(context); });
    OnRun(server->add_subcommand("connect", "Reach the set that plays on the Sound Server: its name, loop and position"),
          context, [&context] { return Connect(context); });
    auto* commit = server->add_subcommand("commit", "Hand the edits of a set file to the set that plays on the server");
    auto path = std::make_shared<std::string>();
    commit->add_option("set", *path, "the edited set file")->required();
    OnRun(commit, context, [&context, path] { return Commit(context, *path); });
}

}  // namespace vantor::cli

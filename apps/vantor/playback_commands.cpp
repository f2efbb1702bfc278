// vantor mixdown | play: rendering a set to a wave file, or to a sound card.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_context.h"
#include "engine/set_player.h"
#include "engine/set_songs.h"
#include "platform/interrupt_guard.h"
#include "platform/terminal.h"
#include "views/mixdown_dialog.h"
#include "views/set_document.h"

namespace vantor::cli {

namespace {

RefPtr<CMusicSet> OpenSet(CommandContext& context, const std::string& path) {
    CSetDocument document(context.ui);
    if (!document.Open(path)) throw CommandFailure("cannot open the set " + path);
    return RefPtr<CMusicSet>(document.GetSet());
}

std::string Clock(uint32_t frames, int32_t rate) {
    const double seconds = rate > 0 ? static_cast<double>(frames) / rate : 0.0;
    const auto whole = static_cast<unsigned>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%04.1f", whole / 3600, whole / 60 % 60, seconds - whole / 60 * 60);
    return text;
}

struct MixdownOptions {
    std::string set;
    std::string out;
    std::optional<double> from;
    std::optional<double> to;
    std::vector<double> sections;
};

// One file of a mixdown, run to its end or until interrupted; false when
// cancelled or the file could not be made.
bool MixdownOne(CommandContext& context, CMusicSet* set, const std::string& file, uint32_t start, uint32_t end,
                uint32_t section, uint32_t sections) {
    CMixdownDialog dialog(context.ui, &context.Effects(), &context.ReadDatabase(),
                          context.config.GetNormalizationEnabled());
    if (!dialog.Open(set, file, start, end, section, sections)) return false;
    while (!dialog.IsFinished()) {
        if (InterruptGuard::Interrupted() && !dialog.IsCancelled()) dialog.OnCancel();
        if (auto message = dialog.Window().WaitFor(std::chrono::milliseconds(CMixdownDialog::kTimerMilliseconds))) {
            dialog.OnMessage(*message);
        } else {
            dialog.OnTimer();
        }
    }
    const uint32_t written = dialog.GetCurrentFrame() - start;
    const bool cancelled = dialog.IsCancelled();
    if (!dialog.Close()) return false;
    std::printf("%s: %s of audio%s\n", file.c_str(), Clock(written, set->GetSampleRate()).c_str(),
                cancelled ? " (cancelled)" : "");
    return !cancelled;
}

int Mixdown(CommandContext& context, const MixdownOptions& o) {
    RefPtr<CMusicSet> set = OpenSet(context, o.set);
    const int32_t rate = set->GetSampleRate();
    const uint32_t start = SecondsToFrames(o.from.value_or(0.0), rate);
    const uint32_t end = o.to ? SecondsToFrames(*o.to, rate) : SetEndFrame(*set);
    if (end <= start) throw UsageError("the end of the mixdown must lie after its start");
    std::vector<uint32_t> bounds = {start};
    for (double seconds : o.sections) {
        const uint32_t frame = SecondsToFrames(seconds, rate);
        if (frame <= bounds.back() || frame >= end)
            throw UsageError("section boundaries must rise and lie inside the mixdown range");
        bounds.push_back(frame);
    }
    bounds.push_back(end);

    InterruptGuard interrupt;
    const auto began = std::chrono::steady_clock::now();
    const auto sections = static_cast<uint32_t>(bounds.size() - 1);
    for (uint32_t b = 1; b <= sections; ++b) {
        const std::string file = sections > 1 ? BatchFileName(o.out, b) : o.out;
        if (!MixdownOne(context, set.get(), file, bounds[b - 1], bounds[b], sections > 1 ? b : 0,
                        sections > 1 ? sections : 0))
            return 1;
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const double audio = static_cast<double>(end - start) / rate;
    std::printf("mixed %.1f s of audio in %.2f s (%.0fx realtime)\n", audio, took, took > 0 ? audio / took : 0.0);
    return 0;
}

struct PlayOptions {
    std::string set;
    std::optional<double> from;
    std::vector<double> loop;
    std::optional<std::string> device;
    bool server = false;
    bool follow = false;
};

int Play(CommandContext& context, const PlayOptions& o) {
    if (!o.loop.empty() && !(o.loop[1] > o.loop[0])) throw UsageError("--loop needs a start and a later end in seconds");
    if (o.follow && !o.server) throw UsageError("--follow goes with --server");
    if (o.server) return PlayOnServer(context, {o.set, o.from.value_or(0.0), o.loop, o.device, o.follow});
    RefPtr<CMusicSet> set = OpenSet(context, o.set);
    const int32_t rate = set->GetSampleRate();
    const DeviceId device = o.device ? ParseDeviceId(*o.device, true) : context.config.GetSetOutputDeviceId();
    if (auto unreadable = FindUnreadableSongs(*set, context.ReadDatabase()); !unreadable.empty())
        context.ui.MessageBox(DescribeUnreadableSongs(unreadable), "Play", MessageButtons::Ok, MessageIcon::Exclamation);
    CSetPlayer player;
    if (!player.Open(&context.Effects(), &context.ReadDatabase(), set.get(), IsDefaultDevice(device) ? nullptr : &device,
                     false, 2, 0x8000))
        throw CommandFailure("cannot open the audio device");
    player.GetSetStream()->SetNormalizationEnabled(context.config.GetNormalizationEnabled());
    MessageQueue window;
    player.SetNotifyWindow(&window);
    const uint32_t from = SecondsToFrames(o.from.value_or(0.0), rate);
    const uint32_t end = SetEndFrame(*set);
    if (!o.loop.empty()) {
        player.SetLoop(SecondsToFrames(o.loop[0], rate), SecondsToFrames(o.loop[1], rate));
    } else {
        if (end <= from) throw CommandFailure("nothing to play after " + Clock(from, rate));
        player.SetEndPosition(end);
    }
    player.SetPosition(from);
    InterruptGuard interrupt;
    if (!player.Play()) throw CommandFailure("cannot start playing");
    const bool terminal = IsTerminal(stderr);
    while (!InterruptGuard::Interrupted()) {
        if (auto message = window.WaitFor(std::chrono::milliseconds(100));
            message && message->message == CStreamAudioOutput::kPlaybackEndedMessage)
            break;
        if (terminal)
            std::fprintf(stderr, "\r%s / %s", Clock(player.GetPlayPosition(), rate).c_str(), Clock(end, rate).c_str());
    }
    const uint32_t reached = player.GetPlayPosition();
    player.Stop();
    if (terminal) std::fprintf(stderr, "\n");
    std::printf("played to %s\n", Clock(reached, rate).c_str());
    return 0;
}

}  // namespace

void AddPlaybackCommands(CLI::App& app, CommandContext& context) {
    {
        auto* cmd = app.add_subcommand("mixdown", "Render a set, or a range of it, to a wave file; Ctrl-C stops and "
                                                  "leaves a valid file");
        auto o = std::make_shared<MixdownOptions>();
        cmd->add_option("set", o->set, "the set file")->required();
        cmd->add_option("out", o->out, "the wave file to write")->required();
        cmd->add_option("--from", o->from, "start of the range in seconds (default: 0)")->check(CLI::NonNegativeNumber);
        cmd->add_option("--to", o->to, "end of the range in seconds (default: the end of the set)")
            ->check(CLI::NonNegativeNumber);
        cmd->add_option("--sections", o->sections,
                        "split the range at these times, in seconds: one file per section, numbered")
            ->delimiter(',')
            ->check(CLI::NonNegativeNumber);
        OnRun(cmd, context, [&context, o] { return Mixdown(context, *o); });
    }
    {
        auto* cmd = app.add_subcommand("play", "Play a set on an audio output until its end or Ctrl-C");
        auto o = std::make_shared<PlayOptions>();
        cmd->add_option("set", o->set, "the set file")->required();
        cmd->add_option("--from", o->from, "where to start, in seconds")->check(CLI::NonNegativeNumber);
        cmd->add_option("--loop", o->loop, "play the range A to B (seconds) over and over")
            ->expected(2)
            ->check(CLI::NonNegativeNumber);
        cmd->add_option("--device", o->device,
                        "output device: null (silent, on the clock), default, or 32 hexadecimal digits from `vantor "
                        "devices` (default: the configured set output)");
        cmd->add_flag("--server", o->server,
                      "play on the Sound Server (started when none runs) and return; the set plays on");
        cmd->add_flag("--follow", o->follow, "with --server: show the position until Ctrl-C, which leaves it playing");
        OnRun(cmd, context, [&context, o] { return Play(context, *o); });
    }
}

}  // namespace vantor::cli

// vantor mixdown | play: rendering a set to a wave file, or to a sound card.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>

#include "arguments.h"
#include "command_context.h"
#include "views/mixdown_dialog.h"
#include "engine/set_player.h"
#include "views/set_document.h"
#include "workstation.h"

namespace vantor::cli {

namespace {

RefPtr<CMusicSet> OpenSet(CommandContext& context, const std::string& path) {
    CSetDocument document(context.ui);
    if (!document.Open(path)) throw CommandFailure("cannot open the set " + path);
    return RefPtr<CMusicSet>(document.GetSet());
}

std::vector<double> ParseSeconds(const std::string& list) {
    std::vector<double> values;
    std::stringstream stream(list);
    std::string item;
    while (std::getline(stream, item, ',')) {
        auto value = ParseReal(item);
        if (!value) throw UsageError("--sections takes seconds separated by commas, not \"" + item + "\"");
        values.push_back(*value);
    }
    return values;
}

std::string Clock(uint32_t frames, int32_t rate) {
    double seconds = rate > 0 ? static_cast<double>(frames) / rate : 0.0;
    unsigned whole = static_cast<unsigned>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%04.1f", whole / 3600, whole / 60 % 60, seconds - whole / 60 * 60);
    return text;
}

// One file of a mixdown, run to its end or until Ctrl-C; false when cancelled
// or the file could not be made.
bool MixdownOne(CommandContext& context, Workstation& station, CMusicSet* set, const std::string& file,
                uint32_t start, uint32_t end, uint32_t section, uint32_t sections) {
    uint64_t needed = static_cast<uint64_t>(set->GetBlockAlign()) * (end - start);
    if (Status space = CheckDiskSpace(file, needed, "Mixdown"); !space.Ok()) {
        context.ui.ShowRefusal(space.Error());
        return false;
    }
    CMixdownDialog dialog(context.ui, &station.effects, &station.database);
    if (!dialog.Open(set, file, start, end, section, sections)) return false;
    while (!dialog.IsFinished()) {
        if (InterruptGuard::Interrupted() && !dialog.IsCancelled()) dialog.OnCancel();
        if (auto message = dialog.Window().WaitFor(std::chrono::milliseconds(CMixdownDialog::kTimerMilliseconds))) {
            dialog.OnMessage(*message);
        } else {
            dialog.OnTimer();
        }
    }
    uint32_t written = dialog.GetCurrentFrame() - start;
    bool cancelled = dialog.IsCancelled();
    dialog.Close();
    std::printf("%s: %s of audio%s\n", file.c_str(), Clock(written, set->GetSampleRate()).c_str(),
                cancelled ? " (cancelled)" : "");
    return !cancelled;
}

int Mixdown(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(2, 2);
    RefPtr<CMusicSet> set = OpenSet(context, args.Positional(0, "SET"));
    const std::string out = args.Positional(1, "OUT.wav");
    const int32_t rate = set->GetSampleRate();
    uint32_t start = SecondsToFrames(args.RealOption("--from").value_or(0.0), rate);
    uint32_t end = args.Option("--to") ? SecondsToFrames(*args.RealOption("--to"), rate) : SetEndFrame(*set);
    if (end <= start) throw UsageError("the end of the mixdown must lie after its start");

    std::vector<uint32_t> bounds = {start};
    if (auto sections = args.Option("--sections")) {
        for (double seconds : ParseSeconds(*sections)) {
            uint32_t frame = SecondsToFrames(seconds, rate);
            if (frame <= bounds.back() || frame >= end)
                throw UsageError("section boundaries must rise and lie inside the mixdown range");
            bounds.push_back(frame);
        }
    }
    bounds.push_back(end);

    Workstation station(context);
    InterruptGuard interrupt;
    auto began = std::chrono::steady_clock::now();
    const uint32_t sections = static_cast<uint32_t>(bounds.size() - 1);
    for (uint32_t b = 1; b <= sections; ++b) {
        std::string file = sections > 1 ? BatchFileName(out, b) : out;
        if (!MixdownOne(context, station, set.get(), file, bounds[b - 1], bounds[b], sections > 1 ? b : 0,
                        sections > 1 ? sections : 0))
            return 1;
    }
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    double audio = static_cast<double>(end - start) / rate;
    std::printf("mixed %.1f s of audio in %.2f s (%.0fx realtime)\n", audio, took, took > 0 ? audio / took : 0.0);
    return 0;
}

int Play(CommandContext& context, std::vector<std::string> words) {
    // --loop takes two values; the parser knows options of one.
    std::optional<std::pair<double, double>> loop;
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] != "--loop") continue;
        if (i + 2 >= words.size()) throw UsageError("--loop needs a start and an end in seconds");
        auto a = ParseReal(words[i + 1]);
        auto b = ParseReal(words[i + 2]);
        if (!a || !b || *b <= *a) throw UsageError("--loop needs a start and a later end in seconds");
        loop = {{*a, *b}};
        words.erase(words.begin() + static_cast<long>(i), words.begin() + static_cast<long>(i) + 3);
        break;
    }
    Arguments args(words, {"--from", "--device"}, {});
    args.ExpectPositionals(1, 1);
    RefPtr<CMusicSet> set = OpenSet(context, args.Positional(0, "SET"));
    const int32_t rate = set->GetSampleRate();
    DeviceId device = context.config.GetSetOutputDeviceId();
    if (auto text = args.Option("--device")) device = ParseDeviceId(*text, true);

    Workstation station(context);
    CSetPlayer player;
    if (!player.Open(&station.effects, &station.database, set.get(), IsDefaultDevice(device) ? nullptr : &device,
                     false, 2, 0x8000))
        throw CommandFailure("cannot open the audio device");
    MessageQueue window;
    player.SetNotifyWindow(&window);
    uint32_t from = SecondsToFrames(args.RealOption("--from").value_or(0.0), rate);
    uint32_t end = SetEndFrame(*set);
    if (loop) {
        player.SetLoop(SecondsToFrames(loop->first, rate), SecondsToFrames(loop->second, rate));
    } else {
        if (end <= from) throw CommandFailure("nothing to play after " + Clock(from, rate));
        player.SetEndPosition(end);
    }
    player.SetPosition(from);
    InterruptGuard interrupt;
    if (!player.Play()) throw CommandFailure("cannot start playing");
    const bool terminal = isatty(fileno(stderr)) != 0;
    while (!InterruptGuard::Interrupted()) {
        if (auto message = window.WaitFor(std::chrono::milliseconds(100));
            message && message->message == CStreamAudioOutput::kPlaybackEndedMessage)
            break;
        if (terminal)
            std::fprintf(stderr, "\r%s / %s", Clock(player.GetPlayPosition(), rate).c_str(), Clock(end, rate).c_str());
    }
    uint32_t reached = player.GetPlayPosition();
    player.Stop();
    if (terminal) std::fprintf(stderr, "\n");
    std::printf("played to %s\n", Clock(reached, rate).c_str());
    return 0;
}

}  // namespace

int RunMixdownCommand(CommandContext& context) {
    return Mixdown(context, Arguments(context.words, {"--from", "--to", "--sections"}, {}));
}

int RunPlayCommand(CommandContext& context) { return Play(context, context.words); }

}  // namespace vantor::cli

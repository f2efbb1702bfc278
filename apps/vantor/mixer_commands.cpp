// vantor mixer: the track volumes of the set that plays on the Sound Server,
// shown, or one of them set, as the mixer board sets them.
#include <cstdio>
#include <memory>
#include <optional>

#include "command_context.h"
#include "json_output.h"
#include "views/mixer_board_view.h"

namespace vantor::cli {

namespace {

struct MixerOptions {
    std::optional<int> track;
    std::optional<double> volume;
    bool json = false;
};

int Mixer(CommandContext& context, const MixerOptions& o) {
    if (o.track.has_value() != o.volume.has_value()) throw UsageError("--track and --volume go together");
    ServerConnection connection;
    connection.link = std::make_shared<CServerLink>();
    connection.set = connection.link->GetSet();
    if (!connection.set)
        return context.Refused({"No set plays on the Sound Server; the mixer board works while one does (vantor "
                                "play SET --server).",
                                "Volume Control", MessageIcon::Error});
    const int32_t tracks = connection.set->GetTracks().GetCount() - 1;
    SetAudio audio(context.ui, context.config, nullptr);
    audio.TakeConnection(connection);
    CMixerBoardView board(audio, tracks);
    board.Open();
    if (o.track) {
        const int slider = *o.track - 1;
        if (!board.IsSliderEnabled(slider))
            throw UsageError("the set has " + std::to_string(std::min(tracks, CMixerBoardView::kSliderCount)) +
                             " track(s) on the mixer board");
        board.MoveSlider(slider, CMixerBoardView::PositionOf(*o.volume));
        board.Open();
    }
    const int shown = std::min(tracks, CMixerBoardView::kSliderCount);
    Json list = Json::array();
    for (int slider = 0; slider < shown; ++slider) {
        if (o.json) list.push_back({{"track", slider + 1}, {"volume", JsonReal(board.GetSliderVolume(slider))}});
        else std::printf("track %d: %.3f\n", slider + 1, board.GetSliderVolume(slider));
    }
    if (o.json) PrintJson(list);
    return 0;
}

}  // namespace

void AddMixerCommands(CLI::App& app, CommandContext& context) {
    auto* cmd = app.add_subcommand("mixer", "The track volumes of the set playing on the Sound Server");
    auto o = std::make_shared<MixerOptions>();
    cmd->add_option("--track", o->track, "the track to set, 1 to 8")->check(CLI::Range(1, 8));
    cmd->add_option("--volume", o->volume, "its volume, 0 (silent) to 1.5; 1 leaves it as recorded")
        ->check(CLI::Range(0.0, 1.5));
    cmd->add_flag("--json", o->json, "print JSON");
    OnRun(cmd, context, [&context, o] { return Mixer(context, *o); });
}

}  // namespace vantor::cli

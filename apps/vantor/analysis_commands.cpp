// vantor summary|analyze|cue: waveform summaries, start and tempo detection,
// and cue points with the analyzer's rules.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/beat_grid.h"
#include "analysis/song_analysis.h"
#include "analysis/tempo_estimator.h"
#include "command_context.h"
#include "engine/resampled_wave_file.h"
#include "engine/resampled_wave_summary_file.h"
#include "json_output.h"
#include "platform/file_io.h"
#include "views/analyzer_view.h"
#include "views/first_time_open.h"

namespace vantor::cli {

namespace {

// A stored song, or a profile made up for an audio file outside the database.
RefPtr<CSongProfile> SongOrFile(CMusicDatabase& database, const std::string& keyOrFile) {
    if (RefPtr<CSongProfile> song = FindStoredSong(database, keyOrFile)) return song;
    if (!FileExists(keyOrFile)) throw CommandFailure("no song or file \"" + keyOrFile + "\"");
    auto song = MakeRef<CSongProfile>();
    song->SetLocalPath(AbsolutePath(keyOrFile));
    return song;
}

RefPtr<CSongProfile> StoredSong(CMusicDatabase& database, const std::string& key) {
    RefPtr<CSongProfile> song = FindStoredSong(database, key);
    if (!song) throw CommandFailure("no song \"" + key + "\" in the database");
    return song;
}

int Summary(CommandContext& context, const std::string& name) {
    RefPtr<CSongProfile> song = SongOrFile(context.Database(), name);
    if (!CFirstTimeOpen::Run(*song, context.ui))
        throw CommandFailure("no summary for " + std::string(song->GetLocalPath()) +
                             " (not a 16-bit stereo song longer than 200000 frames)");
    CWaveSummaryFile summary(song->GetSummaryPath(), false);
    std::printf("%s: %d levels, %lld frames, reference level %d\n", song->GetSummaryPath().c_str(),
                summary.GetLevelCount() + 1, static_cast<long long>(summary.GetLength()), summary.GetReferenceLevel());
    return 0;
}

struct AnalyzeOptions {
    std::string name;
    std::optional<double> from;
    bool apply = false;
    bool beats = false;
    bool json = false;
};

// The song's beat grid by the robust estimator in the configured tempo range.
int Beats(CommandContext& context, const AnalyzeOptions& o) {
    RefPtr<CSongProfile> song = SongOrFile(context.Database(), o.name);
    auto source = OpenSongSource(*song);
    if (!source) return context.Refused({"Error opening wave file", "Song Analyzer", MessageIcon::Error});
    const BeatGrid grid =
        FindBeatGrid(*source, TempoEstimator(context.config.GetLowestTempo(), context.config.GetHighestTempo()));
    if (o.json) {
        PrintJson({{"song", song->GetLocalPath()},
                   {"found", grid.found},
                   {"tempo", JsonReal(grid.bpm)},
                   {"confidence", JsonReal(grid.confidence)},
                   {"firstBeatFrame", grid.firstBeat},
                   {"firstBeatSeconds", JsonReal(grid.firstBeatSeconds)},
                   {"downbeatFrame", grid.downbeat},
                   {"downbeatSeconds", JsonReal(grid.downbeatSeconds)},
                   {"beatsPerBar", grid.beatsPerBar}});
    } else if (grid.found) {
        std::printf("tempo:       %.3f BPM, confidence %.2f\n", grid.bpm, grid.confidence);
        std::printf("first beat:  frame %lld, %.5f s\n", static_cast<long long>(grid.firstBeat), grid.firstBeatSeconds);
        if (grid.beatsPerBar > 0)
            std::printf("downbeat:    frame %lld, %.5f s, %d beats to the bar\n", static_cast<long long>(grid.downbeat),
                        grid.downbeatSeconds, grid.beatsPerBar);
        else
            std::printf("downbeat:    not found\n");
    }
    if (!grid.found) return context.Refused({"Unable to find tempo.", "Detect Tempo", MessageIcon::Error});
    return 0;
}

// Exactly what the analyzer's Detect and OK store.
int AnalyzeAndStore(CommandContext& context, const AnalyzeOptions& o) {
    CMusicDatabase& database = context.Database();
    RefPtr<CSongProfile> song = StoredSong(database, o.name);
    CAnalyzerView view(context.ui, database, context.config);
    if (!view.Open(song)) return 1;
    if (o.from) view.SetCursorTime(*o.from);
    const bool detected = view.Detect();
    if (view.GetMatchPoints().empty() || !view.Ok()) throw CommandFailure("nothing stored");
    RefPtr<CSongProfile> stored = database.GetSong(song->GetKey());
    const auto& points = stored->GetMatchPoints();
    std::printf("stored: start %u, base tempo %.5f\n", points.GetAt(points.GetCount() - 1)->GetPosition(),
                stored->GetTempo());
    return detected ? 0 : 1;
}

int Analyze(CommandContext& context, const AnalyzeOptions& o) {
    if (o.apply) return AnalyzeAndStore(context, o);
    if (o.beats) return Beats(context, o);
    RefPtr<CSongProfile> song = SongOrFile(context.Database(), o.name);
    auto source = OpenSongSource(*song);
    auto summary = OpenSongSummary(*song, false);
    if (source && !summary) {
        CFirstTimeOpen::Run(*song, context.ui);
        summary = OpenSongSummary(*song, false);
    }
    if (!source || !summary || !FileExists(song->GetLocalPath()))
        return context.Refused({"Error opening wave file", "Song Analyzer", MessageIcon::Error});
    const double rate = source->GetSampleRate();
    const auto from = static_cast<uint32_t>(std::min(rate * o.from.value_or(0.0), 4294967295.0));
    auto analysis = AnalyzeSong(*source, *summary, context.config, from);
    if (!analysis) return context.Refused(analysis.Error());
    const SongTempo& tempo = analysis->tempo;
    const uint32_t start = analysis->start;
    const double firstBeat = tempo.robust.firstBeat >= 0 ? tempo.robust.firstBeat / rate : -1.0;
    if (o.json) {
        PrintJson({{"song", song->GetLocalPath()},
                   {"startFrame", start},
                   {"startSeconds", JsonReal(start / rate)},
                   {"tempo", JsonReal(tempo.tempo)},
                   {"tempoAccepted", tempo.accepted},
                   {"classicTempo", JsonReal(tempo.classicTempo)},
                   {"robustTempo", JsonReal(tempo.robust.bpm)},
                   {"robustConfidence", JsonReal(tempo.robust.confidence)},
                   {"firstBeatFrame", tempo.robust.firstBeat},
                   {"firstBeatSeconds", JsonReal(firstBeat)},
                   {"referenceLevel", analysis->referenceLevel}});
    } else {
        std::printf("start:           frame %u, %.5f s\n", start, start / rate);
        std::printf("tempo:           %.5f%s\n", tempo.tempo, tempo.accepted ? "" : " (not accepted)");
        std::printf("classic tempo:   %.5f\n", tempo.classicTempo);
        std::printf("robust tempo:    %.5f, confidence %.2f, first beat %.5f s\n", tempo.robust.bpm,
                    tempo.robust.confidence, tempo.robust.firstBeat / rate);
        std::printf("reference level: %d\n", analysis->referenceLevel);
    }
    if (!tempo.accepted) return context.Refused({"Unable to find tempo.", "Detect Tempo", MessageIcon::Error});
    return 0;
}

int CueList(CommandContext& context, const std::string& key, bool json) {
    RefPtr<CSongProfile> song = StoredSong(context.Database(), key);
    const auto& points = song->GetMatchPoints();
    std::lock_guard lock(points.Lock());
    Json list = Json::array();
    for (int32_t i = 0; i < points.GetCount(); ++i) {
        const CMatchPoint* p = points.GetAt(i);
        const char* type = MatchPointTypeName(p->GetType());
        if (json) {
            list.push_back({{"index", i},
                            {"position", p->GetPosition()},
                            {"type", type ? type : ""},
                            {"tempo", JsonReal(p->GetTempo())},
                            {"label", p->GetLabel()}});
        } else {
            std::printf("%d\t%.5f\t%s\t%.5f\t%s\n", i, p->GetPosition() / 44100.0, type ? type : "?", p->GetTempo(),
                        p->GetLabel());
        }
    }
    if (json) PrintJson(list);
    return 0;
}

struct CueOptions {
    std::string key;
    std::string type;
    std::string seconds;
    std::optional<std::string> label;
    std::optional<std::string> tempo;
    std::vector<int64_t> indexes;
};

// Cue points change through the analyzer, so that its rules hold, and are
// stored by its OK.
int CueEdit(CommandContext& context, const CueOptions& o, bool add) {
    CMusicDatabase& database = context.Database();
    RefPtr<CSongProfile> song = StoredSong(database, o.key);
    CAnalyzerView view(context.ui, database, context.config);
    if (!view.Open(song)) return 1;
    if (add) {
        view.SelectType(MatchPointTypeFromName(o.type));
        if (o.label) view.SetLabelText(*o.label);
        view.SetTimeText(o.seconds);
        if (o.tempo) view.SetTempoText(*o.tempo);
        if (!view.Add()) return 1;
    } else {
        std::vector<int> indexes;
        for (int64_t index : o.indexes) {
            if (index < 0 || index >= static_cast<int64_t>(view.GetMatchPoints().size()))
                throw UsageError("no cue point " + std::to_string(index));
            indexes.push_back(static_cast<int>(index));
        }
        view.SelectMatchPoints(indexes);
        view.Remove();
    }
    if (!view.Ok()) throw CommandFailure("could not store the song");
    return 0;
}

}  // namespace

void AddAnalysisCommands(CLI::App& app, CommandContext& context) {
    {
        auto* cmd = app.add_subcommand("summary", "Build a song's waveform summary (.sm) and measure its level");
        auto name = std::make_shared<std::string>();
        cmd->add_option("song", *name, "a song's key or an audio file")->required();
        OnRun(cmd, context, [&context, name] { return Summary(context, *name); });
    }
    {
        auto* cmd = app.add_subcommand("analyze", "Detect a song's start and tempo and measure its level");
        auto o = std::make_shared<AnalyzeOptions>();
        cmd->add_option("song", o->name, "a song's key or an audio file")->required();
        cmd->add_option("--from", o->from, "search for the start from this time, in seconds")
            ->check(CLI::Range(0.0, 86400.0));
        auto* apply =
            cmd->add_flag("--apply", o->apply, "store the start cue point and base tempo in the song's profile");
        cmd->add_flag("--beats", o->beats,
                      "list the beat grid: tempo, first beat, and the downbeat and beats to the bar when found")
            ->excludes(apply);
        cmd->add_flag("--json", o->json, "print JSON with both tempo detectors' readings");
        OnRun(cmd, context, [&context, o] { return Analyze(context, *o); });
    }
    CLI::App* cue = app.add_subcommand("cue", "A song's cue points");
    cue->require_subcommand(1);
    auto o = std::make_shared<CueOptions>();
    {
        auto* cmd = cue->add_subcommand("list", "List the cue points");
        auto json = std::make_shared<bool>(false);
        cmd->add_option("key", o->key, "the song's key")->required();
        cmd->add_flag("--json", *json, "print JSON");
        OnRun(cmd, context, [&context, o, json] { return CueList(context, o->key, *json); });
    }
    {
        auto* cmd = cue->add_subcommand("add", "Add a cue point with the analyzer's checks");
        std::vector<std::string> types;
        for (int32_t type : CAnalyzerView::kTypes) types.emplace_back(MatchPointTypeName(type));
        cmd->add_option("key", o->key, "the song's key")->required();
        cmd->add_option("type", o->type, "the cue point's type")->required()->check(CLI::IsMember(types));
        cmd->add_option("seconds", o->seconds, "its time in the song, in seconds")->required();
        cmd->add_option("--label", o->label, "its label");
        cmd->add_option("--tempo", o->tempo, "the tempo there, in BPM");
        OnRun(cmd, context, [&context, o] { return CueEdit(context, *o, true); });
    }
    {
        auto* cmd = cue->add_subcommand("remove", "Remove cue points by index (see cue list)");
        cmd->add_option("key", o->key, "the song's key")->required();
        cmd->add_option("indexes", o->indexes, "indexes from cue list")->required()->transform(DecimalInteger());
        OnRun(cmd, context, [&context, o] { return CueEdit(context, *o, false); });
    }
}

}  // namespace vantor::cli

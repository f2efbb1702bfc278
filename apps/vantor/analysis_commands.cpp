// vantor summary|analyze|cue, and db update: waveform summaries, start and
// tempo detection, cue points with the analyzer's rules, and the update pass.
#include <cstdio>
#include <filesystem>
#include <string>

#include "views/analyzer_view.h"
#include "views/database_update.h"
#include "views/first_time_open.h"
#include "analysis/reference_level.h"
#include "analysis/song_start.h"
#include "analysis/song_tempo_detector.h"
#include "arguments.h"
#include "command_context.h"
#include "database/music_database.h"
#include "engine/resampled_wave_file.h"
#include "engine/resampled_wave_summary_file.h"
#include "platform/file_io.h"
#include "platform/json_writer.h"

namespace vantor::cli {

namespace {

// Passes everything to the console and counts the message boxes, so that a
// command can tell a refusal of the analyzer from success.
class CountingUserInterface : public IUserInterface {
public:
    explicit CountingUserInterface(IUserInterface& inner) : m_inner(inner) {}
    size_t MessageCount() const { return m_messages; }

    MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageButtons buttons,
                             MessageIcon icon) override {
        ++m_messages;
        return m_inner.MessageBox(text, caption, buttons, icon);
    }
    std::vector<std::string> ChooseOpenFiles(const FileChoice& choice) override {
        return m_inner.ChooseOpenFiles(choice);
    }
    std::optional<std::string> ChooseSaveFile(const FileChoice& choice) override {
        return m_inner.ChooseSaveFile(choice);
    }
    std::optional<std::string> PromptText(const std::string& prompt, const std::string& initial) override {
        return m_inner.PromptText(prompt, initial);
    }
    void ShowProgress(const std::string& label, int percent) override { m_inner.ShowProgress(label, percent); }
    void EndProgress() override { m_inner.EndProgress(); }

private:
    IUserInterface& m_inner;
    size_t m_messages = 0;
};

CMusicDatabase& OpenDatabase(CommandContext& context, CMusicDatabase& database) {
    if (!database.Open(context.config.GetProgramDirectory()))
        throw CommandFailure("cannot open the music database in " + context.config.GetProgramDirectory());
    return database;
}

std::string AbsolutePath(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

// The song stored under the key (or the file's absolute path), or null.
RefPtr<CSongProfile> StoredSong(CMusicDatabase& database, const std::string& keyOrFile) {
    RefPtr<CSongProfile> song = database.GetSong(keyOrFile);
    return song ? song : database.GetSong(AbsolutePath(keyOrFile));
}

// A stored song, or a profile made up for an audio file outside the database.
RefPtr<CSongProfile> SongOrFile(CMusicDatabase& database, const std::string& keyOrFile) {
    if (RefPtr<CSongProfile> song = StoredSong(database, keyOrFile)) return song;
    if (!FileExists(keyOrFile)) throw CommandFailure("no song or file \"" + keyOrFile + "\"");
    auto song = MakeRef<CSongProfile>();
    song->SetLocalPath(AbsolutePath(keyOrFile));
    return song;
}

RefPtr<CSongProfile> StoredSongOrFail(CMusicDatabase& database, const std::string& key) {
    RefPtr<CSongProfile> song = StoredSong(database, key);
    if (!song) throw CommandFailure("no song \"" + key + "\" in the database");
    return song;
}

int Summary(CommandContext& context) {
    Arguments args(context.words, {}, {});
    args.ExpectPositionals(1, 1);
    CMusicDatabase database;
    RefPtr<CSongProfile> song = SongOrFile(OpenDatabase(context, database), args.Positional(0, "FILE|KEY"));
    if (!CFirstTimeOpen::Run(*song, context.ui))
        throw CommandFailure("no summary for " + std::string(song->GetLocalPath()) +
                             " (not a 16-bit stereo song longer than 200000 frames)");
    CWaveSummaryFile summary(song->GetSummaryPath(), false);
    std::printf("%s: %d levels, %lld frames, reference level %d\n", song->GetSummaryPath().c_str(),
                summary.GetLevelCount() + 1, static_cast<long long>(summary.GetLength()), summary.GetReferenceLevel());
    return 0;
}

int Analyze(CommandContext& context) {
    Arguments args(context.words, {"--from"}, {"--apply", "--json"});
    args.ExpectPositionals(1, 1);
    const std::string& name = args.Positional(0, "KEY|FILE");
    const double fromSeconds = args.RealOption("--from").value_or(0.0);
    if (!(fromSeconds >= 0 && fromSeconds < 86400)) throw UsageError("--from must be seconds from 0 on");
    CMusicDatabase database;
    OpenDatabase(context, database);

    if (args.Flag("--apply")) {
        // Exactly what the analyzer's Detect and OK store.
        RefPtr<CSongProfile> song = StoredSongOrFail(database, name);
        CountingUserInterface ui(context.ui);
        CAnalyzerView view(ui, database);
        if (!view.Open(song)) return 1;
        if (args.Option("--from")) view.SetCursorTime(fromSeconds);
        const size_t before = ui.MessageCount();
        view.Detect();
        const bool refused = ui.MessageCount() != before;
        if (view.GetMatchPoints().empty() || !view.Ok()) throw CommandFailure("nothing stored");
        RefPtr<CSongProfile> stored = database.GetSong(song->GetKey());
        std::printf("stored: start %u, base tempo %.5f\n",
                    stored->GetMatchPoints().GetAt(stored->GetMatchPoints().GetCount() - 1)->GetPosition(),
                    stored->GetTempo());
        return refused ? 1 : 0;
    }

    RefPtr<CSongProfile> song = SongOrFile(database, name);
    auto source = OpenSongSource(*song);
    auto summary = OpenSongSummary(*song, false);
    if (source && !summary) {
        CFirstTimeOpen::Run(*song, context.ui);
        summary = OpenSongSummary(*song, false);
    }
    if (!source || !summary || !FileExists(song->GetLocalPath())) {
        context.ui.MessageBox("Error opening wave file", "Song Analyzer", MessageButtons::Ok, MessageIcon::Error);
        return 1;
    }
    const double rate = source->GetSampleRate();
    const auto from = static_cast<uint32_t>(std::min(rate * fromSeconds, 4294967295.0));
    const int32_t level = MeasureReferenceLevel(*summary);
    const std::optional<uint32_t> start =
        FindSongStart(*source, *summary, context.config.GetStartThreshold(), from);
    if (!start) {
        context.ui.MessageBox("Unable to find start position for this song.", "Generate Points", MessageButtons::Ok,
                              MessageIcon::Error);
        return 1;
    }
    const SongTempo detected = SongTempoDetector(context.config).DetectWithBoth(*source, *summary, *start);
    const double tempo = detected.tempo;
    const bool plausible = detected.accepted;
    if (args.Flag("--json")) {
        JsonWriter json;
        json.BeginObject()
            .Field("song", std::string(song->GetLocalPath()))
            .Field("startFrame", *start)
            .Field("startSeconds", *start / rate)
            .Field("tempo", tempo)
            .Field("tempoAccepted", plausible)
            .Field("classicTempo", detected.classicTempo)
            .Field("robustTempo", detected.robust.bpm)
            .Field("robustConfidence", detected.robust.confidence)
            .Field("firstBeatFrame", detected.robust.firstBeat)
            .Field("firstBeatSeconds", detected.robust.firstBeat >= 0 ? detected.robust.firstBeat / rate : -1.0)
            .Field("referenceLevel", level)
            .EndObject();
        std::printf("%s\n", json.Text().c_str());
    } else {
        std::printf("start:           frame %u, %.5f s\n", *start, *start / rate);
        std::printf("tempo:           %.5f%s\n", tempo, plausible ? "" : " (not accepted)");
        std::printf("classic tempo:   %.5f\n", detected.classicTempo);
        std::printf("robust tempo:    %.5f, confidence %.2f, first beat %.5f s\n", detected.robust.bpm,
                    detected.robust.confidence, detected.robust.firstBeat / rate);
        std::printf("reference level: %d\n", level);
    }
    if (!plausible)
        context.ui.MessageBox("Unable to find tempo.", "Detect Tempo", MessageButtons::Ok, MessageIcon::Error);
    return plausible ? 0 : 1;
}

int CueList(CMusicDatabase& database, const Arguments& args) {
    args.ExpectPositionals(2, 2);
    RefPtr<CSongProfile> song = StoredSongOrFail(database, args.Positional(1, "KEY"));
    const auto& points = song->GetMatchPoints();
    std::lock_guard lock(points.Lock());
    if (args.Flag("--json")) {
        JsonWriter json;
        json.BeginArray();
        for (int32_t i = 0; i < points.GetCount(); ++i) {
            const CMatchPoint* p = points.GetAt(i);
            const char* type = MatchPointTypeName(p->GetType());
            json.BeginObject()
                .Field("index", i)
                .Field("position", p->GetPosition())
                .Field("type", std::string(type ? type : ""))
                .Field("tempo", p->GetTempo())
                .Field("label", std::string(p->GetLabel()))
                .EndObject();
        }
        json.EndArray();
        std::printf("%s\n", json.Text().c_str());
        return 0;
    }
    for (int32_t i = 0; i < points.GetCount(); ++i) {
        const CMatchPoint* p = points.GetAt(i);
        const char* type = MatchPointTypeName(p->GetType());
        std::printf("%d\t%.5f\t%s\t%.5f\t%s\n", i, p->GetPosition() / 44100.0, type ? type : "?", p->GetTempo(),
                    p->GetLabel());
    }
    return 0;
}

int CueEdit(CommandContext& context, CMusicDatabase& database, const std::string& verb, const Arguments& args) {
    RefPtr<CSongProfile> song = StoredSongOrFail(database, args.Positional(1, "KEY"));
    CountingUserInterface ui(context.ui);
    CAnalyzerView view(ui, database);
    if (!view.Open(song)) return 1;
    if (verb == "add") {
        args.ExpectPositionals(4, 4);
        const int32_t type = MatchPointTypeFromName(args.Positional(2, "TYPE"));
        if (type < 0) throw UsageError("unknown cue point type \"" + args.Positional(2, "TYPE") + "\"");
        view.SelectType(type);
        if (auto label = args.Option("--label")) view.SetLabelText(*label);
        view.SetTimeText(args.Positional(3, "SECONDS"));
        if (auto tempo = args.Option("--tempo")) view.SetTempoText(*tempo);
        const size_t before = ui.MessageCount();
        view.Add();
        if (ui.MessageCount() != before) return 1;
    } else {
        if (args.Positionals().size() < 3) throw UsageError("missing INDEX");
        std::vector<int> indexes;
        for (size_t i = 2; i < args.Positionals().size(); ++i) {
            const auto index = ParseInteger(args.Positionals()[i]);
            if (!index || *index < 0 || *index >= static_cast<int64_t>(view.GetMatchPoints().size()))
                throw UsageError("no cue point " + args.Positionals()[i]);
            indexes.push_back(static_cast<int>(*index));
        }
        view.SelectMatchPoints(indexes);
        view.Remove();
    }
    if (!view.Ok()) throw CommandFailure("could not store the song");
    return 0;
}

}  // namespace

int RunSummaryCommand(CommandContext& context) { return Summary(context); }

int RunAnalyzeCommand(CommandContext& context) { return Analyze(context); }

int RunCueCommand(CommandContext& context) {
    Arguments args(context.words, {"--label", "--tempo"}, {"--json"});
    if (args.Positionals().empty()) throw UsageError("missing cue command");
    const std::string verb = args.Positionals()[0];
    if (verb != "add" && verb != "remove" && verb != "list") throw UsageError("unknown cue command \"" + verb + "\"");
    CMusicDatabase database;
    OpenDatabase(context, database);
    if (verb == "list") return CueList(database, args);
    return CueEdit(context, database, verb, args);
}

// Reached through "db update": the words start with "update".
int RunDbUpdateCommand(CommandContext& context) {
    Arguments(std::vector<std::string>(context.words.begin() + 1, context.words.end()), {}, {}).ExpectPositionals(0, 0);
    CMusicDatabase database;
    CDatabaseUpdate update(context.ui, OpenDatabase(context, database));
    if (!update.Run()) return 1;
    std::printf("%d songs updated in %s\n", update.GetPosition(), update.GetElapsedText().c_str());
    return 0;
}

}  // namespace vantor::cli

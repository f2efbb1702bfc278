// vantor set new|show: creating a set file and listing what a set holds.
#include <cmath>
#include <cstdio>
#include <string>

#include "arguments.h"
#include "command_context.h"
#include "views/set_document.h"
#include "model/set_file.h"
#include "platform/file_io.h"
#include "database/music_database.h"
#include "editing/segment_placement.h"
#include "engine/resampled_wave_summary_file.h"
#include "engine/summary_builder.h"
#include "engine/wave_file.h"
#include "platform/json_writer.h"

namespace vantor::cli {

namespace {

double Seconds(int64_t frames, int32_t sampleRate) {
    return sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0.0;
}

int NewSet(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(1, 1);
    const std::string& path = args.Positional(0, "FILE");
    int64_t tracks = args.IntOption("--tracks").value_or(context.config.GetNumberOfTracks());
    if (tracks < CConfiguration::kMinTracks || tracks > CConfiguration::kMaxTracks)
        throw UsageError("Number of Tracks must be between 1 and 12.");
    if (FileExists(path)) {
        auto answer = context.ui.MessageBox(path + " already exists.\nDo you want to replace it?", "Save As",
                                            MessageButtons::YesNo, MessageIcon::Exclamation);
        if (answer != MessageAnswer::Yes) throw CommandFailure("not replaced: " + path);
    }
    NewSetOptions options;
    options.audioTracks = static_cast<int32_t>(tracks);
    options.tempo = context.config.GetDefaultTempo();
    options.samplesPerSecond = context.config.GetSamplesPerSecond();
    options.channels = context.config.GetChannels();
    options.bitsPerSample = context.config.GetBitsPerSample();
    CSetDocument document(context.ui);
    document.New(options);
    if (!document.SaveAsPath(path)) return 1;
    std::printf("%s: new set with %d audio tracks at %.2f BPM\n", path.c_str(), options.audioTracks, options.tempo);
    return 0;
}

void JsonEffectProfiles(JsonWriter& json, const CArray<CEffectProfile>& profiles) {
    json.BeginArray();
    std::lock_guard lock(profiles.Lock());
    for (int32_t i = 0; i < profiles.GetCount(); ++i) {
        const CEffectProfile* profile = profiles.GetAt(i);
        json.BeginObject().Field("effect", profile->GetEffectName()).Field("parameter", profile->GetParameterName());
        json.Key("curve").BeginArray();
        std::lock_guard curveLock(profile->GetCurve().Lock());
        for (auto* n = profile->GetCurve().GetHead(); n; n = n->GetNext()) {
            const CEffect* piece = n->GetItem();
            json.BeginObject()
                .Field("start", piece->GetStart())
                .Field("end", piece->GetEnd())
                .Field("startLevel", piece->GetStartLevel())
                .Field("endLevel", piece->GetEndLevel())
                .EndObject();
        }
        json.EndArray().EndObject();
    }
    json.EndArray();
}

void JsonEvent(JsonWriter& json, const CEvent& event, int32_t rate) {
    json.BeginObject()
        .Field("position", event.GetPosition())
        .Field("seconds", Seconds(event.GetPosition(), rate))
        .Field("colour", event.GetColour());
    if (const CTempoChange* tempo = event.GetTempoChange()) {
        json.Field("kind", "tempo").Field("tempo", tempo->GetTempo());
    } else if (const CSegmentDesign* design = event.GetSegment()) {
        const CSegment* segment = design->GetSegment();
        json.Field("kind", "segment")
            .Field("name", design->GetName())
            .Field("songKey", segment->GetSongKey())
            .Field("songTitle", segment->GetSongTitle())
            .Field("start", segment->GetStart())
            .Field("end", segment->GetEnd())
            .Field("ratio", segment->GetRatio())
            .Field("length", segment->GetTimelineLength())
            .Field("lengthSeconds", Seconds(segment->GetTimelineLength(), rate))
            .Field("designTempo", design->GetTempo())
            .Field("normalization", design->GetNormalization());
        json.Key("effectProfiles");
        JsonEffectProfiles(json, design->GetEffectProfiles());
    } else {
        json.Field("kind", "none");
    }
    json.EndObject();
}

void PrintEffectProfiles(const CArray<CEffectProfile>& profiles, const char* indent) {
    std::lock_guard lock(profiles.Lock());
    for (int32_t i = 0; i < profiles.GetCount(); ++i) {
        const CEffectProfile* profile = profiles.GetAt(i);
        std::printf("%seffect %s/%s:", indent, profile->GetEffectName(), profile->GetParameterName());
        std::lock_guard curveLock(profile->GetCurve().Lock());
        for (auto* n = profile->GetCurve().GetHead(); n; n = n->GetNext()) {
            const CEffect* piece = n->GetItem();
            std::printf(" [%d-%d %.3f->%.3f]", piece->GetStart(), piece->GetEnd(), piece->GetStartLevel(),
                        piece->GetEndLevel());
        }
        std::printf("\n");
    }
}

void PrintEvent(const CEvent& event, int32_t rate) {
    std::printf("  @ %d (%.3f s)", event.GetPosition(), Seconds(event.GetPosition(), rate));
    if (const CTempoChange* tempo = event.GetTempoChange()) {
        std::printf("  tempo %.2f BPM\n", tempo->GetTempo());
    } else if (const CSegmentDesign* design = event.GetSegment()) {
        const CSegment* segment = design->GetSegment();
        int32_t length = segment->GetTimelineLength();
        std::printf("  segment \"%s\" song %s \"%s\" frames %d-%d ratio %.6f -> %d frames (%.3f s), "
                    "design tempo %.2f, normalization %.4f\n",
                    design->GetName(), segment->GetSongKey(), segment->GetSongTitle(), segment->GetStart(),
                    segment->GetEnd(), segment->GetRatio(), length, Seconds(length, rate), design->GetTempo(),
                    design->GetNormalization());
        PrintEffectProfiles(design->GetEffectProfiles(), "      ");
    } else {
        std::printf("  (empty event)\n");
    }
}

int ShowSet(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(1, 1);
    const std::string& path = args.Positional(0, "FILE");
    CSetDocument document(context.ui);
    if (!document.Open(path)) return 1;
    const CMusicSet& set = *document.GetSet();
    const int32_t rate = set.GetSampleRate();
    const auto& tracks = set.GetTracks();
    std::lock_guard lock(tracks.Lock());

    if (args.Flag("--json")) {
        JsonWriter json;
        json.BeginObject()
            .Field("name", set.GetName())
            .Field("sampleRate", rate)
            .Field("channels", set.GetChannels())
            .Field("blockAlign", set.GetBlockAlign())
            .Field("bitsPerSample", set.GetBitsPerSample());
        json.Key("tracks").BeginArray();
        for (int32_t t = 0; t < tracks.GetCount(); ++t) {
            const CTrack* track = tracks.GetAt(t);
            json.BeginObject().Field("index", t).Field("name", track->GetName());
            json.Key("trackEffects");
            JsonEffectProfiles(json, track->GetTrackEffects());
            json.Key("events").BeginArray();
            std::lock_guard eventsLock(track->GetEvents().Lock());
            for (auto* n = track->GetEvents().GetHead(); n; n = n->GetNext()) JsonEvent(json, *n->GetItem(), rate);
            json.EndArray().EndObject();
        }
        json.EndArray();
        json.Key("setEvents").BeginArray();
        for (auto* n = set.GetSetEvents().GetHead(); n; n = n->GetNext()) JsonEvent(json, *n->GetItem(), rate);
        json.EndArray().EndObject();
        std::printf("%s\n", json.Text().c_str());
        return 0;
    }

    std::printf("Set \"%s\": %d Hz, %d channels, %d bits, block align %d, %d tracks\n", set.GetName(), rate,
                set.GetChannels(), set.GetBitsPerSample(), set.GetBlockAlign(), tracks.GetCount());
    for (int32_t t = 0; t < tracks.GetCount(); ++t) {
        const CTrack* track = tracks.GetAt(t);
        std::printf("Track %d \"%s\": %d event%s, %d track effect%s\n", t, track->GetName(),
                    track->GetEvents().GetCount(), track->GetEvents().GetCount() == 1 ? "" : "s",
                    track->GetTrackEffects().GetCount(), track->GetTrackEffects().GetCount() == 1 ? "" : "s");
        PrintEffectProfiles(track->GetTrackEffects(), "  track ");
        std::lock_guard eventsLock(track->GetEvents().Lock());
        for (auto* n = track->GetEvents().GetHead(); n; n = n->GetNext()) PrintEvent(*n->GetItem(), rate);
    }
    if (set.GetSetEvents().GetCount() > 0) {
        std::printf("Set events: %d\n", set.GetSetEvents().GetCount());
        for (auto* n = set.GetSetEvents().GetHead(); n; n = n->GetNext()) PrintEvent(*n->GetItem(), rate);
    }
    return 0;
}

// Inserts a section of a database song into a track, as dropping a segment
// design on the set editor does, and saves the set.
int AddSegment(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(2, 2);
    const std::string& path = args.Positional(0, "SET");
    const std::string& key = args.Positional(1, "KEY");
    auto track = args.IntOption("--track");
    auto at = args.RealOption("--at");
    if (!track || !at) throw UsageError("--track and --at are needed");
    if (args.Option("--ratio") && args.Flag("--fit-tempo")) throw UsageError("give --ratio or --fit-tempo, not both");
    double ratio = args.RealOption("--ratio").value_or(1.0);
    if (!(ratio > 0.0)) throw UsageError("the ratio must be above 0");

    CSetDocument document(context.ui);
    if (!document.Open(path)) return 1;
    CMusicSet& set = *document.GetSet();
    if (*track < 1 || *track >= set.GetTracks().GetCount())
        throw UsageError("the set has audio tracks 1 to " + std::to_string(set.GetTracks().GetCount() - 1));
    const int32_t rate = set.GetSampleRate();
    if (*at < 0 || *at * rate >= INT32_MAX) throw UsageError("--at lies outside the set");

    CMusicDatabase database;
    if (!database.Open(context.config.GetProgramDirectory()))
        throw CommandFailure("cannot open the music database in " + context.config.GetProgramDirectory());
    RefPtr<CSongProfile> song = database.GetSong(key);
    if (!song) {
        context.ui.MessageBox("Unable to load profile corresponding to this segment!", "Insert Segment",
                              MessageButtons::Ok, MessageIcon::Error);
        return 1;
    }
    CWaveFile wave(song->GetLocalPath(), 100);
    if (wave.GetOpenResult() != 0) {
        context.ui.MessageBox(std::string("Unable to locate wave file ") + song->GetLocalPath() +
                                  ".\nSegment can not be inserted into the set.",
                              "Insert Segment", MessageButtons::Ok, MessageIcon::Error);
        return 1;
    }
    if (static_cast<int32_t>(wave.GetSampleRate()) != rate) {
        char text[160];
        std::snprintf(text, sizeof text, "Sampling rate of segment does not match the set.\nSet: %u. Segment: %u.",
                      static_cast<unsigned>(rate), static_cast<unsigned>(wave.GetSampleRate()));
        context.ui.MessageBox(text, "Insert Segment", MessageButtons::Ok, MessageIcon::Error);
        return 1;
    }
    const uint32_t length = wave.GetLength();
    const double waveRate = wave.GetSampleRate();
    auto from = args.RealOption("--from");
    auto to = args.RealOption("--to");
    int64_t start = from ? static_cast<int64_t>(*from * waveRate) : 0;
    int64_t end = to ? static_cast<int64_t>(*to * waveRate) : length;
    if (start < 0 || end > length || end <= start)
        throw UsageError("--from and --to must lie inside the song (" + std::to_string(length / waveRate) + " s)");

    const int32_t position = static_cast<int32_t>(*at * rate);
    auto design = MakeRef<CSegmentDesign>();
    // The segment's gain from the song's summary, built first when missing.
    auto summary = OpenSongSummary(*song, false);
    if (wave.GetLength() >= kMinSummaryFrames && (!summary || !summary->IsValid())) {
        std::atomic<int32_t> percent{0};
        BuildSongSummary(*song, percent);
        summary = OpenSongSummary(*song, false);
    }
    if (summary && summary->IsValid()) design->SetNormalization(ComputeNormalization(*summary));
    design->SetName(song->GetTitle());
    design->SetTempo(song->GetTempo());
    CSegment* segment = design->GetSegment();
    segment->SetSongKey(song->GetKey());
    segment->SetSongTitle(song->GetTitle());
    segment->SetStart(static_cast<int32_t>(start));
    segment->SetEnd(static_cast<int32_t>(end));
    if (args.Flag("--fit-tempo")) {
        // Resampled to fit: ratio x design tempo / the tempo in effect there.
        double insertTempo = TempoAt(set, position, context.config.GetDefaultTempo());
        if (design->GetTempo() > 0 && insertTempo > 0) ratio = ratio * design->GetTempo() / insertTempo;
        design->SetTempo(insertTempo);
    }
    segment->SetRatio(ratio);
    if (!InsertSegmentEvent(set, static_cast<int32_t>(*track), position, design.get(), nullptr)) {
        context.ui.MessageBox("Segments can not be overlapping.", "Insert Segment", MessageButtons::Ok,
                              MessageIcon::Error);
        return 1;
    }
    set.SetModified(true);
    if (!document.Save()) return 1;
    std::printf("%s: track %lld at %.3f s: %s frames %lld-%lld ratio %.6f\n", path.c_str(),
                static_cast<long long>(*track), *at, song->GetTitle(), static_cast<long long>(start),
                static_cast<long long>(end), ratio);
    return 0;
}

// "SEC:LEVEL" of an envelope point.
std::pair<double, double> ParsePoint(const std::string& text) {
    auto colon = text.find(':');
    auto seconds = colon == std::string::npos ? std::nullopt : ParseReal(text.substr(0, colon));
    auto level = colon == std::string::npos ? std::nullopt : ParseReal(text.substr(colon + 1));
    if (!seconds || !level || *seconds < 0) throw UsageError("an envelope point is SECONDS:LEVEL, not \"" + text + "\"");
    return {*seconds, *level};
}

// Adds an envelope (effect profile) to the segment playing at --at: pieces
// between pairs of points, in seconds from the segment's start on the
// timeline, stored in frames of the song as the renderer reads them.
int AddSegmentEffect(CommandContext& context, const Arguments& args) {
    if (args.Positionals().size() < 5 || args.Positionals().size() % 2 == 0)
        throw UsageError("give the set, the effect, the parameter and pairs of envelope points");
    const std::string& path = args.Positional(0, "SET");
    auto track = args.IntOption("--track");
    auto at = args.RealOption("--at");
    if (!track || !at) throw UsageError("--track and --at are needed");
    CSetDocument document(context.ui);
    if (!document.Open(path)) return 1;
    CMusicSet& set = *document.GetSet();
    CTrack* target = *track >= 1 ? set.GetTrack(static_cast<int32_t>(*track)) : nullptr;
    if (!target) throw UsageError("no audio track " + std::to_string(*track));
    const int64_t frame = static_cast<int64_t>(*at * set.GetSampleRate());
    CEvent* event = nullptr;
    for (auto* n = target->GetEvents().GetHead(); n; n = n->GetNext()) {
        CEvent* e = n->GetItem();
        if (e->GetSegment() && e->GetPosition() <= frame &&
            frame < static_cast<int64_t>(e->GetPosition()) + e->GetSegment()->GetSegment()->GetTimelineLength())
            event = e;
    }
    if (!event) throw CommandFailure("no segment plays on track " + std::to_string(*track) + " at that time");
    const CSegment& segment = *event->GetSegment()->GetSegment();
    auto* profile = new CEffectProfile();
    RefPtr<CEffectProfile> keep(profile);
    profile->SetEffectName(args.Positional(1, "EFFECT"));
    profile->SetParameterName(args.Positional(2, "PARAMETER"));
    auto songFrame = [&](double seconds) {
        return static_cast<int32_t>(segment.GetStart() + std::trunc(seconds * set.GetSampleRate() / segment.GetRatio()));
    };
    for (size_t i = 3; i + 1 < args.Positionals().size(); i += 2) {
        auto [from, fromLevel] = ParsePoint(args.Positionals()[i]);
        auto [to, toLevel] = ParsePoint(args.Positionals()[i + 1]);
        if (to <= from) throw UsageError("each piece must end after it starts");
        profile->AddPiece(songFrame(from), songFrame(to), fromLevel, toLevel);
    }
    event->GetSegment()->GetEffectProfiles().Add(profile);
    set.SetModified(true);
    if (!document.Save()) return 1;
    std::printf("%s: %s/%s on the segment at %.3f s of track %lld\n", path.c_str(), profile->GetEffectName(),
                profile->GetParameterName(), static_cast<double>(event->GetPosition()) / set.GetSampleRate(),
                static_cast<long long>(*track));
    return 0;
}

// Sets a constant effect on a whole track.
int AddTrackEffect(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(4, 4);
    const std::string& path = args.Positional(0, "SET");
    auto track = args.IntOption("--track");
    if (!track) throw UsageError("--track is needed");
    auto value = ParseReal(args.Positional(3, "VALUE"));
    if (!value) throw UsageError("the value is a number");
    CSetDocument document(context.ui);
    if (!document.Open(path)) return 1;
    CMusicSet& set = *document.GetSet();
    CTrack* target = *track >= 1 ? set.GetTrack(static_cast<int32_t>(*track)) : nullptr;
    if (!target) throw UsageError("no audio track " + std::to_string(*track));
    auto* profile = new CEffectProfile();
    profile->SetEffectName(args.Positional(1, "EFFECT"));
    profile->SetParameterName(args.Positional(2, "PARAMETER"));
    profile->AddPiece(0, 0, *value, *value);
    target->GetTrackEffects().Add(profile);
    set.SetModified(true);
    if (!document.Save()) return 1;
    std::printf("%s: track %lld: %s/%s = %g\n", path.c_str(), static_cast<long long>(*track),
                profile->GetEffectName(), profile->GetParameterName(), *value);
    return 0;
}

}  // namespace

int RunSetCommand(CommandContext& context) {
    if (context.words.empty()) throw UsageError("missing set command");
    std::string verb = context.words[0];
    std::vector<std::string> rest(context.words.begin() + 1, context.words.end());
    if (verb == "new") return NewSet(context, Arguments(rest, {"--tracks"}, {}));
    if (verb == "show") return ShowSet(context, Arguments(rest, {}, {"--json"}));
    if (verb == "effect") return AddSegmentEffect(context, Arguments(rest, {"--track", "--at"}, {}));
    if (verb == "track-effect") return AddTrackEffect(context, Arguments(rest, {"--track"}, {}));
    if (verb == "add")
        return AddSegment(context, Arguments(rest, {"--track", "--at", "--from", "--to", "--ratio"}, {"--fit-tempo"}));
    throw UsageError("unknown set command \"" + verb + "\"");
}

}  // namespace vantor::cli

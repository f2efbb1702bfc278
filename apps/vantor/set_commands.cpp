// vantor set new|show|add|effect|track-effect: creating a set file, listing
// what a set holds, and building it from database songs and effects.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_context.h"
#include "editing/effect_placement.h"
#include "editing/song_segment.h"
#include "engine/set_format.h"
#include "json_output.h"
#include "model/set_file.h"
#include "views/replace_question.h"
#include "views/set_document.h"

namespace vantor::cli {

namespace {

double Seconds(int64_t frames, int32_t sampleRate) {
    return sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0.0;
}

// The set of the command: opened through the set document, so that a missing
// or damaged file is reported as the editor reports it.
class OpenedSet {
public:
    OpenedSet(CommandContext& context, const std::string& path) : m_document(context.ui) {
        if (!m_document.Open(path)) throw CommandFailure("cannot open the set " + path);
    }
    CMusicSet& Set() { return *m_document.GetSet(); }
    void Save() {
        if (!m_document.Save()) throw CommandFailure("cannot write the set " + m_document.GetPath());
    }
    // An audio track of the set; a usage error names the tracks it has.
    int32_t AudioTrack(int64_t track) {
        const int32_t count = Set().GetTracks().GetCount();
        if (track < 1 || track >= count)
            throw UsageError("the set has audio tracks 1 to " + std::to_string(count - 1));
        return static_cast<int32_t>(track);
    }

private:
    CSetDocument m_document;
};

int NewSet(CommandContext& context, const std::string& path, std::optional<int32_t> tracks) {
    NewSetOptions options;
    options.audioTracks = tracks.value_or(context.config.GetNumberOfTracks());
    if (options.audioTracks < CConfiguration::kMinTracks || options.audioTracks > CConfiguration::kMaxTracks)
        throw UsageError("Number of Tracks must be between 1 and 12.");
    options.tempo = context.config.GetDefaultTempo();
    options.samplesPerSecond = context.config.GetSamplesPerSecond();
    options.channels = context.config.GetChannels();
    options.bitsPerSample = context.config.GetBitsPerSample();
    // The configuration's format for new sets must be one the engine renders.
    const int32_t blockAlign = options.channels * (options.bitsPerSample / 8);
    if (Status format = CheckRenderFormat(options.samplesPerSecond, options.channels, options.bitsPerSample, blockAlign);
        !format)
        return context.Refused(format.Error());
    if (!ConfirmReplace(context.ui, path)) throw CommandFailure("not replaced: " + path);
    CSetDocument document(context.ui);
    document.New(options);
    if (!document.SaveAsPath(path)) return 1;
    std::printf("%s: new set with %d audio tracks at %.2f BPM\n", path.c_str(), options.audioTracks, options.tempo);
    return 0;
}

Json JsonEffectProfiles(const CArray<CEffectProfile>& profiles) {
    Json list = Json::array();
    std::lock_guard lock(profiles.Lock());
    for (int32_t i = 0; i < profiles.GetCount(); ++i) {
        const CEffectProfile* profile = profiles.GetAt(i);
        Json curve = Json::array();
        std::lock_guard curveLock(profile->GetCurve().Lock());
        for (auto* n = profile->GetCurve().GetHead(); n; n = n->GetNext()) {
            const CEffect* piece = n->GetItem();
            curve.push_back({{"start", piece->GetStart()},
                             {"end", piece->GetEnd()},
                             {"startLevel", JsonReal(piece->GetStartLevel())},
                             {"endLevel", JsonReal(piece->GetEndLevel())}});
        }
        list.push_back(
            {{"effect", profile->GetEffectName()}, {"parameter", profile->GetParameterName()}, {"curve", curve}});
    }
    return list;
}

Json JsonEvent(const CEvent& event, int32_t rate) {
    Json json = {{"position", event.GetPosition()},
                 {"seconds", JsonReal(Seconds(event.GetPosition(), rate))},
                 {"colour", event.GetColour()}};
    if (const CTempoChange* tempo = event.GetTempoChange()) {
        json["kind"] = "tempo";
        json["tempo"] = JsonReal(tempo->GetTempo());
    } else if (const CSegmentDesign* design = event.GetSegment()) {
        const CSegment* segment = design->GetSegment();
        json["kind"] = "segment";
        json["name"] = design->GetName();
        json["songKey"] = segment->GetSongKey();
        json["songTitle"] = segment->GetSongTitle();
        json["start"] = segment->GetStart();
        json["end"] = segment->GetEnd();
        json["ratio"] = JsonReal(segment->GetRatio());
        json["length"] = segment->GetTimelineLength();
        json["lengthSeconds"] = JsonReal(Seconds(segment->GetTimelineLength(), rate));
        json["designTempo"] = JsonReal(design->GetTempo());
        json["normalization"] = JsonReal(design->GetNormalization());
        json["effectProfiles"] = JsonEffectProfiles(design->GetEffectProfiles());
    } else {
        json["kind"] = "none";
    }
    return json;
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
        const int32_t length = segment->GetTimelineLength();
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

int ShowSet(CommandContext& context, const std::string& path, bool json) {
    OpenedSet opened(context, path);
    const CMusicSet& set = opened.Set();
    const int32_t rate = set.GetSampleRate();
    const auto& tracks = set.GetTracks();
    std::lock_guard lock(tracks.Lock());

    if (json) {
        Json out = {{"name", set.GetName()},
                    {"sampleRate", rate},
                    {"channels", set.GetChannels()},
                    {"blockAlign", set.GetBlockAlign()},
                    {"bitsPerSample", set.GetBitsPerSample()}};
        Json trackList = Json::array();
        for (int32_t t = 0; t < tracks.GetCount(); ++t) {
            const CTrack* track = tracks.GetAt(t);
            Json events = Json::array();
            std::lock_guard eventsLock(track->GetEvents().Lock());
            for (auto* n = track->GetEvents().GetHead(); n; n = n->GetNext())
                events.push_back(JsonEvent(*n->GetItem(), rate));
            trackList.push_back({{"index", t},
                                 {"name", track->GetName()},
                                 {"trackEffects", JsonEffectProfiles(track->GetTrackEffects())},
                                 {"events", events}});
        }
        out["tracks"] = trackList;
        Json setEvents = Json::array();
        for (auto* n = set.GetSetEvents().GetHead(); n; n = n->GetNext())
            setEvents.push_back(JsonEvent(*n->GetItem(), rate));
        out["setEvents"] = setEvents;
        PrintJson(out);
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

struct AddOptions {
    std::string set;
    SongSegmentRequest request;
    int64_t track = 0;
};

int AddSegment(CommandContext& context, AddOptions& options) {
    OpenedSet opened(context, options.set);
    options.request.track = opened.AudioTrack(options.track);
    auto placed = InsertSongSegment(opened.Set(), context.Database(), options.request,
                                    context.config.GetReferencePoint(), context.config.GetDefaultTempo());
    if (!placed) return context.Refused(placed.Error());
    opened.Save();
    std::printf("%s: track %d at %.3f s: %s frames %d-%d ratio %.6f\n", options.set.c_str(), options.request.track,
                options.request.atSeconds, placed->title.c_str(), placed->start, placed->end, placed->ratio);
    return 0;
}

struct EffectOptions {
    std::string set;
    int64_t track = 0;
    double at = 0.0;
    std::string effect;
    std::string parameter;
    std::vector<std::string> points;
};

// "SEC:LEVEL" of an envelope point.
EnvelopePoint ParsePoint(const std::string& text) {
    const auto colon = text.find(':');
    try {
        size_t used = 0;
        if (colon != std::string::npos) {
            const double seconds = std::stod(text.substr(0, colon), &used);
            if (used == colon && seconds >= 0) {
                const std::string level = text.substr(colon + 1);
                const double value = std::stod(level, &used);
                if (used == level.size()) return {seconds, value};
            }
        }
    } catch (const std::exception&) {
    }
    throw UsageError("an envelope point is SECONDS:LEVEL, not \"" + text + "\"");
}

int AddSegmentEffect(CommandContext& context, const EffectOptions& options) {
    if (options.points.size() < 2 || options.points.size() % 2 != 0)
        throw UsageError("give pairs of envelope points");
    std::vector<EnvelopePoint> points;
    for (const auto& text : options.points) points.push_back(ParsePoint(text));
    OpenedSet opened(context, options.set);
    const int32_t track = opened.AudioTrack(options.track);
    auto event = AddSegmentEnvelope(opened.Set(), context.Effects(), track, options.at, options.effect, options.parameter, points);
    if (!event) return context.Refused(event.Error());
    opened.Save();
    std::printf("%s: %s/%s on the segment at %.3f s of track %d\n", options.set.c_str(), options.effect.c_str(),
                options.parameter.c_str(), Seconds(event.Value()->GetPosition(), opened.Set().GetSampleRate()), track);
    return 0;
}

struct TrackEffectOptions {
    std::string set;
    int64_t track = 0;
    std::string effect;
    std::string parameter;
    double value = 0.0;
};

int AddTrackEffectCommand(CommandContext& context, const TrackEffectOptions& options) {
    OpenedSet opened(context, options.set);
    const int32_t track = opened.AudioTrack(options.track);
    if (Status added = AddTrackEffect(opened.Set(), context.Effects(), track, options.effect, options.parameter, options.value); !added)
        return context.Refused(added.Error());
    opened.Save();
    std::printf("%s: track %d: %s/%s = %g\n", options.set.c_str(), track, options.effect.c_str(),
                options.parameter.c_str(), options.value);
    return 0;
}

}  // namespace

void AddSetCommands(CLI::App& app, CommandContext& context) {
    CLI::App* group = app.add_subcommand("set", "Set files: create, show and build them");
    group->require_subcommand(1);

    {
        auto* cmd = group->add_subcommand("new", "Create a set with a tempo track and audio tracks");
        auto path = std::make_shared<std::string>();
        auto tracks = std::make_shared<std::optional<int32_t>>();
        cmd->add_option("file", *path, "the set file to write (asks before replacing one)")->required();
        cmd->add_option("--tracks", *tracks, "number of audio tracks, 1 to 12 (default: the configured number)")
            ->transform(DecimalInteger())
            ->check(CLI::Range(1, 12));
        OnRun(cmd, context, [&context, path, tracks] { return NewSet(context, *path, *tracks); });
    }
    {
        auto* cmd = group->add_subcommand("show", "List the tracks, events and effects of a set");
        auto path = std::make_shared<std::string>();
        auto json = std::make_shared<bool>(false);
        cmd->add_option("file", *path, "the set file")->required();
        cmd->add_flag("--json", *json, "print JSON");
        OnRun(cmd, context, [&context, path, json] { return ShowSet(context, *path, *json); });
    }
    {
        auto* cmd = group->add_subcommand(
            "add", "Insert a section of a database song into an audio track, as a dropped segment design");
        auto o = std::make_shared<AddOptions>();
        cmd->add_option("set", o->set, "the set file")->required();
        cmd->add_option("key", o->request.key, "the song's key (its local path)")->required();
        cmd->add_option("--track", o->track, "the audio track, from 1")->required()->transform(DecimalInteger());
        cmd->add_option("--at", o->request.atSeconds, "where the segment starts on the timeline, in seconds")
            ->required()
            ->check(CLI::NonNegativeNumber);
        cmd->add_option("--from", o->request.fromSeconds, "where the section starts in the song, in seconds")
            ->check(CLI::NonNegativeNumber);
        cmd->add_option("--to", o->request.toSeconds, "where the section ends in the song, in seconds")
            ->check(CLI::PositiveNumber);
        auto* ratio = cmd->add_option("--ratio", o->request.ratio,
                                      "rate ratio: 2 plays at double speed and pitch (default 1)")
                          ->check(CLI::PositiveNumber);
        cmd->add_flag("--fit-tempo", o->request.fitTempo,
                      "resample to the tempo in effect at the position (ratio x song tempo / set tempo)")
            ->excludes(ratio);
        OnRun(cmd, context, [&context, o] { return AddSegment(context, *o); });
    }
    {
        auto* cmd = group->add_subcommand("effect", "Add an effect envelope to the segment playing at a time");
        auto o = std::make_shared<EffectOptions>();
        cmd->add_option("set", o->set, "the set file")->required();
        cmd->add_option("effect", o->effect, "effect name, e.g. Volume")->required();
        cmd->add_option("parameter", o->parameter, "parameter name, e.g. Level")->required();
        cmd->add_option("points", o->points,
                        "pairs of envelope points SEC:LEVEL, seconds from the segment's start on the timeline; "
                        "each pair is one piece")
            ->required();
        cmd->add_option("--track", o->track, "the audio track, from 1")->required()->transform(DecimalInteger());
        cmd->add_option("--at", o->at, "a time in seconds at which the segment plays")
            ->required()
            ->check(CLI::NonNegativeNumber);
        OnRun(cmd, context, [&context, o] { return AddSegmentEffect(context, *o); });
    }
    {
        auto* cmd = group->add_subcommand("track-effect", "Set a constant effect on a whole audio track");
        auto o = std::make_shared<TrackEffectOptions>();
        cmd->add_option("set", o->set, "the set file")->required();
        cmd->add_option("effect", o->effect, "effect name, e.g. Echo")->required();
        cmd->add_option("parameter", o->parameter, "parameter name, e.g. Decay")->required();
        cmd->add_option("value", o->value, "the parameter's value")->required();
        cmd->add_option("--track", o->track, "the audio track, from 1")->required()->transform(DecimalInteger());
        OnRun(cmd, context, [&context, o] { return AddTrackEffectCommand(context, *o); });
    }
}

}  // namespace vantor::cli

// vantor set new|show: creating a set file and listing what a set holds.
#include <cstdio>
#include <string>

#include "arguments.h"
#include "command_context.h"
#include "model/set_document.h"
#include "model/set_file.h"
#include "platform/file_io.h"
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

}  // namespace

int RunSetCommand(CommandContext& context) {
    if (context.words.empty()) throw UsageError("missing set command");
    std::string verb = context.words[0];
    std::vector<std::string> rest(context.words.begin() + 1, context.words.end());
    if (verb == "new") return NewSet(context, Arguments(rest, {"--tracks"}, {}));
    if (verb == "show") return ShowSet(context, Arguments(rest, {}, {"--json"}));
    throw UsageError("unknown set command \"" + verb + "\"");
}

}  // namespace vantor::cli

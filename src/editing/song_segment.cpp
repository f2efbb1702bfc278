#include "editing/song_segment.h"

#include <atomic>
#include <cmath>
#include <cstdio>

#include "database/music_database.h"
#include "database/song_summary.h"
#include "editing/segment_placement.h"
#include "engine/resampled_wave_summary_file.h"
#include "engine/summary_builder.h"
#include "engine/wave_file.h"

namespace vantor {

namespace {

constexpr const char* kCaption = "Insert Segment";

Refusal Refuse(std::string text) { return {std::move(text), kCaption, MessageIcon::Error}; }

}  // namespace

Result<PlacedSongSegment> InsertSongSegment(CMusicSet& set, CMusicDatabase& database, const SongSegmentRequest& request,
                                            double referencePoint, double defaultTempo) {
    const int32_t rate = set.GetSampleRate();
    if (request.track < 1 || request.track >= set.GetTracks().GetCount())
        return Refuse("The set has audio tracks 1 to " + std::to_string(set.GetTracks().GetCount() - 1) + ".");
    if (!(request.atSeconds >= 0) || request.atSeconds * rate >= INT32_MAX)
        return Refuse("The position lies outside the set.");

    RefPtr<CSongProfile> song = database.GetSong(request.key);
    if (!song) return Refuse("Unable to load profile corresponding to this segment!");
    CWaveFile wave(song->GetLocalPath(), 100);
    if (wave.GetOpenResult() != 0)
        return Refuse(std::string("Unable to locate wave file ") + song->GetLocalPath() +
                      ".\nSegment can not be inserted into the set.");
    if (static_cast<int32_t>(wave.GetSampleRate()) != rate) {
        char text[160];
        std::snprintf(text, sizeof text, "Sampling rate of segment does not match the set.\nSet: %u. Segment: %u.",
                      static_cast<unsigned>(rate), static_cast<unsigned>(wave.GetSampleRate()));
        return Refuse(text);
    }
    const uint32_t length = wave.GetLength();
    const double waveRate = wave.GetSampleRate();
    const double startFrames = request.fromSeconds ? std::trunc(*request.fromSeconds * waveRate) : 0.0;
    const double endFrames = request.toSeconds ? std::trunc(*request.toSeconds * waveRate) : length;
    if (!(startFrames >= 0) || !(endFrames <= length) || !(endFrames > startFrames)) {
        char text[160];
        std::snprintf(text, sizeof text, "The section must lie inside the song (0 to %.3f s).", length / waveRate);
        return Refuse(text);
    }

    const auto position = static_cast<int32_t>(request.atSeconds * rate);
    auto design = MakeRef<CSegmentDesign>();
    // The segment's gain comes from the song's summary, built first when missing.
    auto summary = OpenSongSummary(*song, false);
    if (length >= kMinSummaryFrames && (!summary || !summary->IsValid())) {
        std::atomic<int32_t> percent{0};
        BuildSongSummary(*song, percent);
        summary = OpenSongSummary(*song, false);
    }
    if (summary && summary->IsValid()) design->SetNormalization(ComputeNormalization(*summary, referencePoint));
    design->SetName(song->GetTitle());
    design->SetTempo(song->GetTempo());
    CSegment* segment = design->GetSegment();
    segment->SetSongKey(song->GetKey());
    segment->SetSongTitle(song->GetTitle());
    segment->SetStart(static_cast<int32_t>(startFrames));
    segment->SetEnd(static_cast<int32_t>(endFrames));
    double ratio = request.ratio;
    if (request.fitTempo) {
        const double insertTempo = TempoAt(set, position, defaultTempo);
        if (design->GetTempo() > 0 && insertTempo > 0) ratio = ratio * design->GetTempo() / insertTempo;
        design->SetTempo(insertTempo);
    }
    if (!(ratio >= CSegment::kMinRatio && ratio <= CSegment::kMaxRatio)) {
        char text[160];
        std::snprintf(text, sizeof text, "The rate ratio must lie between %g and %g; this segment's would be %g.",
                      CSegment::kMinRatio, CSegment::kMaxRatio, ratio);
        return Refuse(text);
    }
    segment->SetRatio(ratio);
    if (!InsertSegmentEvent(set, request.track, position, design.get(), nullptr))
        return Refuse("Segments can not be overlapping.");
    set.SetModified(true);
    return PlacedSongSegment{song->GetTitle(), segment->GetStart(), segment->GetEnd(), ratio};
}

}  // namespace vantor

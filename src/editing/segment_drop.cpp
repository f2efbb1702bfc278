#include "editing/segment_drop.h"

#include <atomic>
#include <cmath>
#include <cstdio>

#include "database/music_database.h"
#include "database/song_summary.h"
#include "editing/segment_placement.h"
#include "engine/resampled_wave_summary_file.h"
#include "engine/summary_builder.h"
#include "engine/wave_file.h"
#include "model/set_clipboard.h"

namespace vantor {

namespace {
constexpr const char* kCaption = "Insert Segment";

bool UsableTempo(double tempo) { return std::isfinite(tempo) && tempo > 0; }
}  // namespace

Result<RefPtr<CSegmentDesign>> SegmentDrop::Prepare(const CSegmentDesign& dropped,
                                                    const std::function<void(int)>& progress) {
    RefPtr<CSongProfile> song = m_database ? m_database->GetSong(dropped.GetSegment()->GetSongKey()) : nullptr;
    if (!song) return Refusal{"Unable to load profile corresponding to this segment!", kCaption, MessageIcon::Error};

    uint32_t waveRate = 0;
    {
        CWaveFile wave(song->GetLocalPath(), 100);
        if (wave.GetOpenResult() != 0)
            return Refusal{std::string("Unable to locate wave file ") + song->GetLocalPath() +
                               ".\nSegment can not be inserted into the set.",
                           kCaption, MessageIcon::Error};
        waveRate = wave.GetSampleRate();
    }

    RefPtr<CSegmentDesign> design(dropped.Clone());
    auto summary = OpenSongSummary(*song, false);
    if (!summary || !summary->IsValid()) {
        std::atomic<int32_t> percent{0};
        if (progress) progress(0);
        bool built = BuildSongSummary(*song, percent);
        if (progress) progress(100);
        if (built) summary = OpenSongSummary(*song, false);
        if (summary && summary->IsValid()) design->SetNormalization(ComputeNormalization(*summary, m_state.GetReferencePoint()));
    }

    const auto setRate = static_cast<uint32_t>(m_state.GetSampleRate());
    if (waveRate != setRate) {
        char text[160];
        std::snprintf(text, sizeof text, "Sampling rate of segment does not match the set.\nSet: %u. Segment: %u.",
                      setRate, waveRate);
        return Refusal{text, kCaption, MessageIcon::Error};
    }
    return design;
}

std::optional<SegmentAt> SegmentDrop::ReplaceTarget() const {
    int32_t t = m_state.FirstTrackWithSelection();
    if (t < 1) return std::nullopt;
    CEvent* event = m_state.GetCurrentEvent(t);
    if (!event || !event->GetSegment() || !FindNode(*m_state.GetTrack(t), event)) return std::nullopt;
    return SegmentAt{t, event};
}

Result<CEvent*> SegmentDrop::Insert(CSegmentDesign* design, int32_t t, int32_t position,
                                    const std::optional<SegmentAt>& replacing) {
    if (!m_state.IsAudioTrack(t))
        return Refusal{"Segments can not be inserted into the tempo track.", kCaption, MessageIcon::Error};
    design->SetPositionOffset(0);
    CTrack& track = *m_state.GetTrack(t);
    const CEvent* ignore = replacing && replacing->track == t ? replacing->event : nullptr;
    if (!SegmentFits(track, position, design->GetSegment()->GetTimelineLength(), ignore))
        return Refusal{"Segments can not be overlapping.", kCaption, MessageIcon::Error};

    CSetHistory& history = m_state.GetHistory();
    if (replacing) {
        // Only the replaced segment is cut, not the rest of the selection.
        CTrack& oldTrack = *m_state.GetTrack(replacing->track);
        RefPtr<CEvent> old(replacing->event);
        PutOnClipboard(*old->GetSegment(), kSegmentDesignFormat);
        if (auto* node = FindNode(oldTrack, old.get())) {
            history.RecordRemove(replacing->track, old.get());
            oldTrack.GetEvents().Remove(node);
        }
        m_state.Deselect(replacing->track, old.get());
        m_state.MarkRepaint(replacing->track);
    }
    auto* node = InsertSegmentEvent(m_state.GetSet(), t, position, design, &history);
    if (!node) return Refusal{"Segments can not be overlapping.", kCaption, MessageIcon::Error};
    m_state.MarkRepaint(t);
    return node->GetItem();
}

InsertChoices SegmentDrop::Choices(int32_t track, int32_t position, const CSegmentDesign& design,
                                   bool mixingHelperAvailable) const {
    InsertChoices choices;
    choices.segmentName = design.GetName();
    choices.segmentTempo = design.GetTempo();
    choices.position = position;
    choices.insertTempo = m_state.TempoAt(position);
    for (const SegmentAt& at : m_state.SegmentsAt(position)) {
        if (at.track == track) continue;
        const CSegmentDesign& other = *at.event->GetSegment();
        choices.mixTargets.push_back(at);
        choices.mixLabels.push_back(std::string(other.GetName()) + " - " + other.GetSegment()->GetSongTitle());
    }
    const bool tempiDiffer = UsableTempo(choices.segmentTempo) && UsableTempo(choices.insertTempo) &&
                             choices.segmentTempo != choices.insertTempo;
    choices.resampleAvailable = tempiDiffer;
    choices.splitAvailable = tempiDiffer;
    choices.mixAvailable = mixingHelperAvailable && !choices.mixTargets.empty();
    if (choices.mixAvailable) {
        choices.defaultChoice = InsertChoice::MixInto;
    } else if (choices.resampleAvailable) {
        choices.defaultChoice = InsertChoice::Resample;
    } else {
        choices.defaultChoice = InsertChoice::Nothing;
        choices.endsAtOnce = true;
    }
    return choices;
}

}  // namespace vantor

#include "editing/mixing_wizard.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "editing/history_group.h"
#include "editing/segment_placement.h"

namespace vantor {

namespace {

Refusal Refuse(const std::string& text) { return {text, MixingWizard::kCaption, MessageIcon::Error}; }

bool Fits32(int64_t value) { return value >= 0 && value <= INT32_MAX; }

}  // namespace

// What OK will do, worked out in full before anything changes.
struct MixingWizard::Plan {
    int64_t mixingPoint = -1;
    int64_t end1 = 0;
    int64_t start2 = 0;
    int64_t end2 = 0;
    double ratio2 = 1.0;
    int64_t position2 = 0;
    bool joins = false;
    bool fades = false;
};

double MixingWizard::FineTunedRatio(double ratio, int sliderPosition) {
    return ratio * (1 + (sliderPosition - 500) * 0.00002);
}

int64_t MixingWizard::BarFrames(int32_t bars, int32_t rate, double tempo) {
    if (!(tempo > 0)) return 0;
    return static_cast<int64_t>(std::trunc(240.0 * bars * rate / tempo));
}

int64_t MixingWizard::MixingPoint(double cursor1) const {
    const CSegment& segment = *m_first.event->GetSegment()->GetSegment();
    return static_cast<int64_t>(std::trunc(m_state.GetSampleRate() * cursor1)) + m_first.event->GetPosition() -
           static_cast<int64_t>(std::trunc(segment.GetRatio() * segment.GetStart()));
}

FadeRanges MixingWizard::Fades(const MixingFields& fields) const {
    const int32_t rate = m_state.GetSampleRate();
    const CSegmentDesign& design = *m_first.event->GetSegment();
    const CSegment& segment = *design.GetSegment();
    // The time of the first segment's start in song 1's resampled time.
    const double startTime = segment.GetRatio() * segment.GetStart() / rate;
    FadeRanges ranges;
    ranges.d = m_first.event->GetPosition() + static_cast<int64_t>(std::trunc((fields.cursor1 - startTime) * rate));
    ranges.h = ranges.d + BarFrames(fields.fadeInBars, rate, design.GetTempo());
    ranges.i = ranges.h + BarFrames(fields.holdBars, rate, design.GetTempo());
    ranges.e = ranges.i + BarFrames(fields.fadeOutBars, rate, design.GetTempo());
    return ranges;
}

Status MixingWizard::Check(const MixingFields& fields, Plan& plan) const {
    if (!m_first.event || !m_second.event || !m_first.event->GetSegment() || !m_second.event->GetSegment() ||
        !m_state.IsAudioTrack(m_first.track) || !m_state.IsAudioTrack(m_second.track))
        return Refuse("Both segments must be segments of audio tracks of the set.");
    const int32_t rate = m_state.GetSampleRate();
    const CSegmentDesign& design1 = *m_first.event->GetSegment();
    const CSegment& first = *design1.GetSegment();
    const CSegment& second = *m_second.event->GetSegment()->GetSegment();
    const double r1 = first.GetRatio();
    if (!(rate > 0) || !(r1 > 0) || !std::isfinite(fields.cursor1) || !std::isfinite(fields.cursor2) ||
        fields.cursor1 < 0 || fields.cursor2 < 0)
        return Refuse("The cursors must lie within the songs.");
    plan.ratio2 = fields.ratio2 == 0.0 ? second.GetRatio() : fields.ratio2;
    if (!(plan.ratio2 > 0) || !std::isfinite(plan.ratio2)) return Refuse("The ratio of song 2 must be above 0.");
    plan.fades = fields.join == MixingFields::Join::Mix && fields.fadesEnabled;
    if (plan.fades && (fields.fadeInBars < 0 || fields.holdBars < 0 || fields.fadeOutBars < 0 ||
                       !(design1.GetTempo() > 0)))
        return Refuse("Fades are whole numbers of bars at the tempo of the first segment.");

    // The join's own refusals come first; the mixing point is checked last.
    Status joined = CheckJoin(fields, plan);
    if (!joined) return joined;
    if (fields.markWithTempoChange) {
        plan.mixingPoint = MixingPoint(fields.cursor1);
        if (!Fits32(plan.mixingPoint)) return Refuse("The mixing point lies outside the set.");
    }
    return Status::Success();
}

Status MixingWizard::CheckJoin(const MixingFields& fields, Plan& plan) const {
    if (fields.join == MixingFields::Join::None) return Status::Success();
    plan.joins = true;
    const int32_t rate = m_state.GetSampleRate();
    const CSegmentDesign& design1 = *m_first.event->GetSegment();
    const CSegment& first = *design1.GetSegment();
    const CSegment& second = *m_second.event->GetSegment()->GetSegment();
    const double r1 = first.GetRatio();
    const double s1 = first.GetStart();
    const int64_t p1 = m_first.event->GetPosition();

    const int64_t firstStart = static_cast<int64_t>(std::trunc(s1 * r1));
    const int64_t c1 = static_cast<int64_t>(std::trunc(rate * fields.cursor1));
    int64_t k = c1;
    if (fields.join == MixingFields::Join::Mix) {
        if (plan.fades) {
            k = c1 + BarFrames(fields.fadeInBars + fields.holdBars + fields.fadeOutBars, rate, design1.GetTempo());
        } else {
            auto length = m_songLengths ? m_songLengths(first.GetSongKey()) : std::nullopt;
            if (!length) return Refuse(std::string("Unable to read the length of ") + first.GetSongKey() + ".");
            k = static_cast<int64_t>(std::trunc(static_cast<double>(*length) * r1));
        }
    }
    if (k < firstStart)
        return Refuse(fields.join == MixingFields::Join::Cut
                          ? "New cutoff for first segment is prior to its original start position.\nThis tool can not "
                            "modify the start position of the first segment."
                          : "New cutoff or Cue Point for first segment is prior to its original start position.\nThis "
                            "tool can not modify the start position of the first segment.");
    plan.end1 = static_cast<int64_t>(std::trunc(k / r1));
    const int64_t c2 = static_cast<int64_t>(std::trunc(rate * fields.cursor2));
    const int64_t length2 = second.GetTimelineLength();
    plan.start2 = static_cast<int64_t>(std::trunc(c2 / plan.ratio2));
    plan.end2 = static_cast<int64_t>(std::trunc((c2 + length2) / plan.ratio2));

    // Neither segment may end at or before its start, nor read past its song.
    if (plan.end1 <= first.GetStart()) return Refuse("The first segment would keep no frame of its song.");
    if (auto length = m_songLengths ? m_songLengths(first.GetSongKey()) : std::nullopt; length && plan.end1 > *length)
        return Refuse("The first segment would end after the end of its song.");
    if (!Fits32(plan.start2) || !Fits32(plan.end2) || plan.end2 <= plan.start2)
        return Refuse("The second segment would keep no frame of its song.");
    if (auto length = m_songLengths ? m_songLengths(second.GetSongKey()) : std::nullopt; length && plan.end2 > *length)
        return Refuse("The second segment would end after the end of its song.");

    const int64_t length1 = static_cast<int64_t>(std::trunc((plan.end1 - first.GetStart()) * r1));
    plan.position2 = fields.join == MixingFields::Join::Cut ? p1 + length1 : c1 + p1 - firstStart;
    const int64_t newLength2 = static_cast<int64_t>(std::trunc((plan.end2 - plan.start2) * plan.ratio2));
    if (!Fits32(plan.position2) || !Fits32(plan.position2 + newLength2) || !Fits32(p1 + length1))
        return Refuse("The second segment would lie outside the set.");

    // Each segment in its new span must share no frame with the other
    // segments of its track; on one track the two must not meet either.
    CTrack& track1 = *m_state.GetTrack(m_first.track);
    CTrack& track2 = *m_state.GetTrack(m_second.track);
    const bool sameTrack = m_first.track == m_second.track;
    auto fitsBeside = [&](const CTrack& track, int64_t position, int64_t length, const CEvent* self, const CEvent* other) {
        for (auto* n = track.GetEvents().GetHead(); n; n = n->GetNext()) {
            const CEvent* event = n->GetItem();
            if (event == self || event == other || !event->GetSegment()) continue;
            if (position < OccupiedEnd(*event) && event->GetPosition() < position + std::max<int64_t>(length, 1))
                return false;
        }
        return true;
    };
    char text[160];
    std::snprintf(text, sizeof text, "The mix would make a segment overlap another one on track %d.", m_first.track);
    if (!fitsBeside(track1, p1, length1, m_first.event, sameTrack ? m_second.event : nullptr)) return Refuse(text);
    std::snprintf(text, sizeof text, "The mix would make a segment overlap another one on track %d.", m_second.track);
    if (!fitsBeside(track2, plan.position2, newLength2, m_second.event, sameTrack ? m_first.event : nullptr) ||
        (sameTrack && plan.position2 < p1 + length1 && p1 < plan.position2 + newLength2))
        return Refuse(text);
    return Status::Success();
}

Result<int32_t> MixingWizard::Ok(const MixingFields& fields, const PresetApplier& applyPreset) {
    Plan plan;
    if (Status checked = Check(fields, plan); !checked) return checked.Error();
    CSetHistory& history = m_state.GetHistory();
    HistoryGroup group(history);

    if (plan.mixingPoint >= 0) {
        CTrack& tempo = *m_state.GetTrack(0);
        const int64_t low = std::max<int64_t>(plan.mixingPoint - kTempoClearance, 0);
        const int64_t high = plan.mixingPoint + kTempoClearance;
        std::vector<RefPtr<CEvent>> changes;
        for (auto* n = tempo.GetEvents().GetHead(); n; n = n->GetNext()) changes.emplace_back(n->GetItem());
        for (const auto& event : changes) {
            if (event->GetPosition() <= low || event->GetPosition() >= high) continue;
            if (auto* node = FindNode(tempo, event.get())) {
                history.RecordRemove(0, event.get());
                m_state.Deselect(0, event.get());
                tempo.GetEvents().Remove(node);
            }
        }
        auto change = MakeRef<CEvent>();
        change->SetTempoChange(new CTempoChange(m_first.event->GetSegment()->GetTempo()));
        change->SetPosition(static_cast<int32_t>(plan.mixingPoint));
        change->SetColour(kTempoEventColour);
        tempo.AddEvent(change.get());
        history.RecordInsert(0, change.get());
        m_state.MarkRepaint(0);
    }
    if (!plan.joins) return static_cast<int32_t>(plan.mixingPoint);

    // The first segment's new end, recorded so Undo takes it back.
    RefPtr<CEvent> before1(m_first.event->Clone());
    RefPtr<CSegmentDesign> design1(m_first.event->GetSegment()->Clone());
    design1->GetSegment()->SetEnd(static_cast<int32_t>(plan.end1));
    m_first.event->SetSegment(design1.get());
    history.RecordReplace(m_first.track, before1.get(), m_first.event);

    RefPtr<CEvent> before2(m_second.event->Clone());
    RefPtr<CSegmentDesign> design2(m_second.event->GetSegment()->Clone());
    CSegment& second = *design2->GetSegment();
    second.SetStart(static_cast<int32_t>(plan.start2));
    second.SetEnd(static_cast<int32_t>(plan.end2));
    second.SetRatio(plan.ratio2);
    m_second.event->SetSegment(design2.get());
    MoveEvent(*m_state.GetTrack(m_second.track), m_second.event, static_cast<int32_t>(plan.position2));
    history.RecordReplace(m_second.track, before2.get(), m_second.event);
    m_state.MarkRepaint(m_first.track);
    m_state.MarkRepaint(m_second.track);

    if (plan.fades && applyPreset) {
        const FadeRanges r = Fades(fields);
        struct Fade {
            const char* preset;
            int32_t track;
            int64_t a;
            int64_t b;
        };
        const Fade fades[] = {{"Fade In", m_second.track, r.d, r.h - 1},
                              {"Hold 2", m_second.track, r.h, r.i - 1},
                              {"Hold 1", m_first.track, r.h, r.i - 1},
                              {"Fade Out", m_first.track, r.i, r.e - 1}};
        for (const Fade& fade : fades) {
            // A fade of no bars has nothing to cover.
            if (fade.b <= fade.a || !Fits32(fade.a) || !Fits32(fade.b)) continue;
            // A preset missing from the presets file applies nothing; the mix stands.
            (void)applyPreset(fade.preset, fade.track, static_cast<int32_t>(fade.a), static_cast<int32_t>(fade.b));
        }
    }
    return static_cast<int32_t>(plan.mixingPoint);
}

}  // namespace vantor

#include "editing/effect_placement.h"

#include <cmath>

namespace vantor {

namespace {

constexpr const char* kCaption = "Add Effect";

Refusal Refuse(std::string text) { return {std::move(text), kCaption, MessageIcon::Error}; }

CTrack* AudioTrack(CMusicSet& set, int32_t track) { return track >= 1 ? set.GetTrack(track) : nullptr; }

}  // namespace

Result<CEvent*> AddSegmentEnvelope(CMusicSet& set, int32_t track, double atSeconds, const std::string& effect,
                                   const std::string& parameter, const std::vector<EnvelopePoint>& points) {
    CTrack* target = AudioTrack(set, track);
    if (!target) return Refuse("There is no audio track " + std::to_string(track) + ".");
    if (points.size() < 2 || points.size() % 2 != 0) return Refuse("An envelope needs pairs of points.");
    const double frame = std::trunc(atSeconds * set.GetSampleRate());
    CEvent* event = nullptr;
    for (auto* n = target->GetEvents().GetHead(); n; n = n->GetNext()) {
        CEvent* e = n->GetItem();
        if (e->GetSegment() && e->GetPosition() <= frame &&
            frame < static_cast<double>(e->GetPosition()) + e->GetSegment()->GetSegment()->GetTimelineLength())
            event = e;
    }
    if (!event) return Refuse("No segment plays on track " + std::to_string(track) + " at that time.");
    const CSegment& segment = *event->GetSegment()->GetSegment();
    auto songFrame = [&](double seconds) {
        return static_cast<int32_t>(segment.GetStart() + std::trunc(seconds * set.GetSampleRate() / segment.GetRatio()));
    };
    auto profile = MakeRef<CEffectProfile>();
    profile->SetEffectName(effect);
    profile->SetParameterName(parameter);
    for (size_t i = 0; i + 1 < points.size(); i += 2) {
        const EnvelopePoint& from = points[i];
        const EnvelopePoint& to = points[i + 1];
        if (!(from.seconds >= 0) || !(to.seconds > from.seconds)) return Refuse("Each piece must end after it starts.");
        profile->AddPiece(songFrame(from.seconds), songFrame(to.seconds), from.level, to.level);
    }
    event->GetSegment()->GetEffectProfiles().Add(profile.get());
    set.SetModified(true);
    return event;
}

Status AddTrackEffect(CMusicSet& set, int32_t track, const std::string& effect, const std::string& parameter,
                      double value) {
    CTrack* target = AudioTrack(set, track);
    if (!target) return Refuse("There is no audio track " + std::to_string(track) + ".");
    auto* profile = new CEffectProfile();
    profile->SetEffectName(effect);
    profile->SetParameterName(parameter);
    profile->AddPiece(0, 0, value, value);
    target->GetTrackEffects().Add(profile);
    set.SetModified(true);
    return Status::Success();
}

}  // namespace vantor

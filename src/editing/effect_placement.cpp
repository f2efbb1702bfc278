#include "editing/effect_placement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/effect_manager_impl.h"

namespace vantor {

namespace {

constexpr const char* kCaption = "Add Effect";
// Steps of the control when its ends are read: any positive range maps the
// same two ends.
constexpr int kControlRange = 10000;

Refusal Refuse(std::string text) { return {std::move(text), kCaption, MessageIcon::Error}; }

CTrack* AudioTrack(CMusicSet& set, int32_t track) { return track >= 1 ? set.GetTrack(track) : nullptr; }

Status CheckValue(const ParameterRange& range, const std::string& effect, const std::string& parameter,
                  double value) {
    if (value >= range.lowest && value <= range.highest) return Status::Success();
    char text[256];
    std::snprintf(text, sizeof text, "%s %s takes values from %g to %g, not %g.", effect.c_str(), parameter.c_str(),
                  range.lowest, range.highest, value);
    return Refuse(text);
}

// Takes out the profile of the same effect and parameter, so that a new one
// replaces it.
void RemoveProfile(CArray<CEffectProfile>& profiles, const std::string& effect, const std::string& parameter) {
    std::lock_guard lock(profiles.Lock());
    for (int32_t i = profiles.GetCount() - 1; i >= 0; --i) {
        const CEffectProfile* profile = profiles.GetAt(i);
        if (effect == profile->GetEffectName() && parameter == profile->GetParameterName()) profiles.RemoveAt(i);
    }
}

}  // namespace

Result<ParameterRange> FindParameterRange(CEffectManagerImpl& effects, const std::string& effect,
                                         const std::string& parameter) {
    IEffect* type = effects.FindEffect(effect.c_str());
    if (!type) return Refuse("There is no effect \"" + effect + "\" in the effects libraries.");
    bool known = false;
    for (int i = 0; i < type->GetParameterCount(); ++i) {
        const char* name = type->GetParameterName(i);
        if (name && parameter == name) known = true;
    }
    if (!known) return Refuse(effect + " has no parameter \"" + parameter + "\".");
    const double top = type->PositionToValue(parameter.c_str(), 0, kControlRange);
    const double bottom = type->PositionToValue(parameter.c_str(), kControlRange, kControlRange);
    return ParameterRange{std::min(top, bottom), std::max(top, bottom)};
}

Result<CEvent*> AddSegmentEnvelope(CMusicSet& set, CEffectManagerImpl& effects, int32_t track, double atSeconds,
                                   const std::string& effect, const std::string& parameter,
                                   const std::vector<EnvelopePoint>& points) {
    CTrack* target = AudioTrack(set, track);
    if (!target) return Refuse("There is no audio track " + std::to_string(track) + ".");
    if (points.size() < 2 || points.size() % 2 != 0) return Refuse("An envelope needs pairs of points.");
    auto range = FindParameterRange(effects, effect, parameter);
    if (!range) return range.Error();
    for (const EnvelopePoint& point : points)
        if (Status ok = CheckValue(range.Value(), effect, parameter, point.level); !ok) return ok.Error();
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
    RemoveProfile(event->GetSegment()->GetEffectProfiles(), effect, parameter);
    event->GetSegment()->GetEffectProfiles().Add(profile.get());
    set.SetModified(true);
    return event;
}

Status AddTrackEffect(CMusicSet& set, CEffectManagerImpl& effects, int32_t track, const std::string& effect,
                      const std::string& parameter, double value) {
    CTrack* target = AudioTrack(set, track);
    if (!target) return Refuse("There is no audio track " + std::to_string(track) + ".");
    auto range = FindParameterRange(effects, effect, parameter);
    if (!range) return range.Error();
    if (Status ok = CheckValue(range.Value(), effect, parameter, value); !ok) return ok;
    auto profile = MakeRef<CEffectProfile>();
    profile->SetEffectName(effect);
    profile->SetParameterName(parameter);
    profile->AddPiece(0, 0, value, value);
    RemoveProfile(target->GetTrackEffects(), effect, parameter);
    target->GetTrackEffects().Add(profile.get());
    set.SetModified(true);
    return Status::Success();
}

}  // namespace vantor

#pragma once

#include "model/array.h"
#include "model/effect_profile.h"
#include "model/event.h"
#include "model/fixed_text.h"
#include "model/weighted_linked_list.h"

namespace vantor {

class CMusicSet;

// One track of a set: its events in order of position (each node weighs its
// event's position) and the effect profiles that act on the whole track.
// Record: the marker 0xAAAAAAAA, the track effects, the events, the name (30).
// Tracks written before track effects existed have no marker.
class CTrack : public ISerializable {
public:
    using Events = CWeightedLinkedList<CEvent>;
    using TrackEffects = CArray<CEffectProfile>;

    static constexpr uint32_t kEffectsMarker = 0xAAAAAAAA;

    explicit CTrack(CMusicSet* owner = nullptr);

    Events& GetEvents() const { return *m_events; }
    TrackEffects& GetTrackEffects() const { return *m_trackEffects; }
    const char* GetName() const { return m_name.c_str(); }
    void SetName(std::string_view name) { m_name.Set(name); }
    // The set the track belongs to; a plain pointer, not a reference.
    CMusicSet* GetOwner() const { return m_owner; }
    void SetOwner(CMusicSet* owner) { m_owner = owner; }

    // Inserts the event at its own position.
    Events::Node* AddEvent(CEvent* event);

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CTrack* Clone() const override;

private:
    CMusicSet* m_owner;
    RefPtr<Events> m_events;
    FixedText<30> m_name;
    RefPtr<TrackEffects> m_trackEffects;
};

}  // namespace vantor

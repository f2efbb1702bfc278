#include "model/track.h"

namespace vantor {

CTrack::CTrack(CMusicSet* owner)
    : m_owner(owner), m_events(new Events()), m_trackEffects(new TrackEffects(5, 5)) {}

CTrack::Events::Node* CTrack::AddEvent(CEvent* event) { return m_events->Insert(event, event->GetPosition()); }

void CTrack::Serialize(CMemoryOStream& out) const {
    WriteInt32(out, static_cast<int32_t>(kEffectsMarker));
    m_trackEffects->Serialize(out);
    m_events->Serialize(out);
    m_name.Write(out);
}

void CTrack::Deserialize(CMemoryIStream& in) {
    m_events = RefPtr<Events>(new Events());
    m_trackEffects = RefPtr<TrackEffects>(new TrackEffects(5, 5));
    m_name.Clear();
    if (static_cast<uint32_t>(ReadInt32(in)) == kEffectsMarker) {
        m_trackEffects->ReadItems(in, CEffectProfile());
    } else {
        in.StepBack(4);  // an old track: the events list starts here
    }
    m_events->ReadItems(in, CEvent());
    m_name.Read(in);
}

CTrack* CTrack::Clone() const {
    auto* copy = new CTrack(m_owner);
    copy->m_events = RefPtr<Events>(m_events->Clone());
    copy->m_trackEffects = RefPtr<TrackEffects>(m_trackEffects->Clone());
    copy->m_name = m_name;
    return copy;
}

}  // namespace vantor

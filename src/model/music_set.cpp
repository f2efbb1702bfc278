#include "model/music_set.h"

#include <string>

namespace vantor {

CMusicSet::CMusicSet() : m_tracks(new Tracks(5, 5)), m_setEvents(new Events()) {}

RefPtr<CMusicSet> CMusicSet::CreateNew(const NewSetOptions& options) {
    auto set = MakeRef<CMusicSet>();
    set->m_sampleRate = options.samplesPerSecond;
    set->m_channels = options.channels;
    set->m_bitsPerSample = options.bitsPerSample;
    set->m_blockAlign = options.bitsPerSample * options.channels / 8;
    set->SetName("Untitled");

    auto* tempoTrack = new CTrack(set.get());
    tempoTrack->SetName("Tempo");
    set->m_tracks->Add(tempoTrack);
    for (int32_t i = 1; i <= options.audioTracks; ++i) {
        auto* track = new CTrack(set.get());
        track->SetName("Track " + std::to_string(i));
        set->m_tracks->Add(track);
    }

    auto* tempoEvent = new CEvent();
    tempoEvent->SetTempoChange(new CTempoChange(options.tempo));
    tempoEvent->SetPosition(0);
    tempoEvent->SetColour(kTempoEventColour);
    tempoTrack->AddEvent(tempoEvent);
    return set;
}

void CMusicSet::Serialize(CMemoryOStream& out) const {
    m_name.Write(out);
    WriteInt32(out, m_sampleRate);
    WriteInt32(out, m_channels);
    WriteInt32(out, m_blockAlign);
    WriteInt32(out, m_bitsPerSample);
    m_tracks->Serialize(out);
    m_setEvents->Serialize(out);
}

void CMusicSet::Deserialize(CMemoryIStream& in) {
    m_tracks = RefPtr<Tracks>(new Tracks(5, 5));
    m_setEvents = RefPtr<Events>(new Events());
    m_sampleRate = 44100;
    m_channels = 2;
    m_blockAlign = 4;
    m_bitsPerSample = 16;
    m_name.Clear();
    m_modified = false;
    if (!m_name.Read(in)) return;
    m_sampleRate = ReadInt32(in);
    m_channels = ReadInt32(in);
    m_blockAlign = ReadInt32(in);
    m_bitsPerSample = ReadInt32(in);
    m_tracks->ReadItems(in, CTrack(this));
    m_setEvents->ReadItems(in, CEvent());
}

CMusicSet* CMusicSet::Clone() const {
    auto* copy = new CMusicSet();
    copy->m_tracks = RefPtr<Tracks>(m_tracks->Clone());
    copy->m_setEvents = RefPtr<Events>(m_setEvents->Clone());
    copy->m_sampleRate = m_sampleRate;
    copy->m_channels = m_channels;
    copy->m_blockAlign = m_blockAlign;
    copy->m_bitsPerSample = m_bitsPerSample;
    copy->m_name = m_name;
    copy->m_modified = m_modified;
    copy->AdoptTracks();
    return copy;
}

void CMusicSet::AdoptTracks() {
    for (int32_t i = 0; i < m_tracks->GetCount(); ++i) m_tracks->GetAt(i)->SetOwner(this);
}

}  // namespace vantor

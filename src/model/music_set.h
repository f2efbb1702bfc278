#pragma once

#include "model/array.h"
#include "model/event.h"
#include "model/fixed_text.h"
#include "model/ref_ptr.h"
#include "model/track.h"
#include "model/weighted_linked_list.h"

namespace vantor {

// What a new set is made with; the configuration supplies the values.
struct NewSetOptions {
    int32_t audioTracks = 8;
    double tempo = kDefaultTempo;
    int32_t samplesPerSecond = 44100;
    int32_t channels = 2;
    int32_t bitsPerSample = 16;
};

// The document a mix designer edits: track 0 holds the tempo changes, tracks
// 1 and up hold segments. The set file is exactly this record: name (255),
// sample rate, channels, block align, bits per sample, the tracks array and
// the set-level events list.
class CMusicSet : public ISerializable {
public:
    using Tracks = CArray<CTrack>;
    using Events = CWeightedLinkedList<CEvent>;

    CMusicSet();

    // A set with the tempo track ("Tempo", one tempo change at 0) and the
    // given number of audio tracks ("Track 1", ...), named "Untitled".
    static RefPtr<CMusicSet> CreateNew(const NewSetOptions& options);

    Tracks& GetTracks() const { return *m_tracks; }
    CTrack* GetTrack(int32_t index) const { return m_tracks->GetAt(index); }
    Events& GetSetEvents() const { return *m_setEvents; }

    int32_t GetSampleRate() const { return m_sampleRate; }
    void SetSampleRate(int32_t rate) { m_sampleRate = rate; }
    int32_t GetChannels() const { return m_channels; }
    void SetChannels(int32_t channels) { m_channels = channels; }
    int32_t GetBlockAlign() const { return m_blockAlign; }
    void SetBlockAlign(int32_t blockAlign) { m_blockAlign = blockAlign; }
    int32_t GetBitsPerSample() const { return m_bitsPerSample; }
    void SetBitsPerSample(int32_t bits) { m_bitsPerSample = bits; }

    const char* GetName() const { return m_name.c_str(); }
    void SetName(std::string_view name) { m_name.Set(name); }
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    // The clone's tracks belong to the clone.
    CMusicSet* Clone() const override;

private:
    void AdoptTracks();

    RefPtr<Tracks> m_tracks;
    RefPtr<Events> m_setEvents;
    int32_t m_sampleRate = 44100;
    int32_t m_channels = 2;
    int32_t m_blockAlign = 4;
    int32_t m_bitsPerSample = 16;
    FixedText<255> m_name;
    bool m_modified = false;
};

}  // namespace vantor

#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "database/music_database.h"
#include "editing/segment_placement.h"
#include "engine/audio_fixtures.h"
#include "model/music_set.h"
#include "model/set_clipboard.h"
#include "model/set_file.h"
#include "platform/clipboard.h"

namespace vantor::test {

inline RefPtr<CMusicSet> NewSet(int32_t audioTracks = 3, double tempo = 130.0) {
    NewSetOptions options;
    options.audioTracks = audioTracks;
    options.tempo = tempo;
    return CMusicSet::CreateNew(options);
}

// A segment event of frames [start, end) of the song at the position; the
// track owns it.
inline CEvent* AddSegment(CMusicSet& set, int32_t track, int32_t position, int32_t start, int32_t end,
                          double ratio = 1.0, const std::string& key = "song.wav", const std::string& name = "Seg",
                          double designTempo = 130.0) {
    auto design = MakeRef<CSegmentDesign>();
    design->SetName(name);
    design->SetTempo(designTempo);
    CSegment& segment = *design->GetSegment();
    segment.SetStart(start);
    segment.SetEnd(end);
    segment.SetRatio(ratio);
    segment.SetSongKey(key);
    segment.SetSongTitle(name + " title");
    auto* event = new CEvent();
    event->SetPosition(position);
    event->SetSegment(design.get());
    set.GetTrack(track)->AddEvent(event);
    return event;
}

inline CEvent* AddTempo(CMusicSet& set, int32_t position, double tempo) {
    auto* event = new CEvent();
    event->SetPosition(position);
    event->SetColour(kTempoEventColour);
    event->SetTempoChange(new CTempoChange(tempo));
    set.GetTrack(0)->AddEvent(event);
    return event;
}

inline std::vector<int32_t> Positions(const CTrack& track) {
    std::vector<int32_t> positions;
    for (auto* n = track.GetEvents().GetHead(); n; n = n->GetNext()) positions.push_back(n->GetItem()->GetPosition());
    return positions;
}

inline CEvent* EventAtIndex(const CTrack& track, int index) {
    auto* n = track.GetEvents().GetHead();
    for (int i = 0; n && i < index; ++i) n = n->GetNext();
    return n ? n->GetItem() : nullptr;
}

inline std::vector<uint8_t> Bytes(const ISerializable& object) { return SerializeToBytes(object); }

// Every list in position order with weights equal to positions; the tempo
// track holds tempo changes only, one at 0, at distinct positions; audio
// tracks hold segments whose spans share no frame.
inline ::testing::AssertionResult TimelineIsSound(const CMusicSet& set) {
    for (int32_t t = 0; t < set.GetTracks().GetCount(); ++t) {
        const CTrack& track = *set.GetTrack(t);
        int64_t previousPosition = -1;
        int64_t previousEnd = 0;
        int index = 0;
        for (auto* n = track.GetEvents().GetHead(); n; n = n->GetNext(), ++index) {
            const CEvent& event = *n->GetItem();
            auto where = [&] {
                return "track " + std::to_string(t) + " event " + std::to_string(index) + " at " +
                       std::to_string(event.GetPosition());
            };
            if (n->GetWeight() != event.GetPosition()) return ::testing::AssertionFailure() << where() << ": weight " << n->GetWeight();
            if (event.GetPosition() < previousPosition) return ::testing::AssertionFailure() << where() << ": out of order";
            if (t == 0) {
                if (!event.GetTempoChange()) return ::testing::AssertionFailure() << where() << ": not a tempo change";
                if (index == 0 && event.GetPosition() != 0) return ::testing::AssertionFailure() << where() << ": no tempo at 0";
                if (event.GetPosition() == previousPosition) return ::testing::AssertionFailure() << where() << ": two tempo changes";
            } else {
                if (!event.GetSegment()) return ::testing::AssertionFailure() << where() << ": not a segment";
                if (event.GetPosition() < previousEnd)
                    return ::testing::AssertionFailure() << where() << ": overlaps the segment ending at " << previousEnd;
                previousEnd = OccupiedEnd(event);
            }
            previousPosition = event.GetPosition();
        }
    }
    return ::testing::AssertionSuccess();
}

inline void ClearClipboard() {
    RegisterSetClipboardFormats();
    Clipboard::Instance().Empty();
}

// A music database in a fresh directory with songs written as wave files of
// a staircase signal.
class SongLibrary {
public:
    SongLibrary() { EXPECT_TRUE(m_database.Open(m_dir.Path() + "/")); }
    ~SongLibrary() { m_database.Close(); }

    // The song's key (its path).
    std::string AddSong(const std::string& name, uint32_t frames, uint32_t rate = 44100, double tempo = 128.0) {
        const std::string path = m_dir / (name + ".wav");
        FmtFields fmt;
        fmt.rate = rate;
        WriteBytes(path, WaveBytes(StaircasePcm(frames), fmt));
        CSongProfile profile;
        profile.SetLocalPath(path);
        profile.SetTitle(name);
        profile.SetTempo(tempo);
        EXPECT_TRUE(m_database.PutSong(profile));
        return path;
    }
    // A profile whose wave file does not exist.
    std::string AddMissingSong(const std::string& name) {
        const std::string path = m_dir / (name + ".wav");
        CSongProfile profile;
        profile.SetLocalPath(path);
        profile.SetTitle(name);
        EXPECT_TRUE(m_database.PutSong(profile));
        return path;
    }

    CMusicDatabase& Database() { return m_database; }
    const TempDir& Dir() const { return m_dir; }

private:
    TempDir m_dir;
    CMusicDatabase m_database;
};

// A design of the song's frames [start, end) as the database window hands it out.
inline RefPtr<CSegmentDesign> SongDesign(const std::string& key, int32_t start, int32_t end, double tempo = 128.0,
                                         const std::string& name = "Dropped") {
    auto design = MakeRef<CSegmentDesign>();
    design->SetName(name);
    design->SetTempo(tempo);
    design->GetSegment()->SetSongKey(key);
    design->GetSegment()->SetSongTitle(name + " title");
    design->GetSegment()->SetStart(start);
    design->GetSegment()->SetEnd(end);
    return design;
}

}  // namespace vantor::test

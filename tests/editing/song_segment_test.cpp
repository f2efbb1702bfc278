#include "editing/song_segment.h"

#include <gtest/gtest.h>

#include "database/music_database.h"
#include "engine/audio_fixtures.h"
#include "model/set_file.h"

namespace vantor {
namespace {

using test::TempDir;

// A database with one two-second song at 120 BPM and a two-track set at 130 BPM.
class SongSegment : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(database.Open(dir.Path() + "/"));
        test::WriteBytes(dir / "song.wav", test::WaveBytes(test::StaircasePcm(88200)));
        CSongProfile song;
        song.SetLocalPath(dir / "song.wav");
        song.SetTitle("Song");
        song.SetTempo(120.0);
        ASSERT_TRUE(database.PutSong(song));
        NewSetOptions options;
        options.audioTracks = 2;
        options.tempo = 130.0;
        set = CMusicSet::CreateNew(options);
    }

    Result<PlacedSongSegment> Insert(SongSegmentRequest request) {
        if (request.key.empty()) request.key = dir / "song.wav";
        return InsertSongSegment(*set, database, request, 0.66, 130.0);
    }

    TempDir dir;
    CMusicDatabase database;
    RefPtr<CMusicSet> set;
};

TEST_F(SongSegment, FitTempoScalesTheRatioByDesignOverSetTempo) {
    SongSegmentRequest request;
    request.track = 1;
    request.atSeconds = 1.0;
    request.fromSeconds = 0.5;
    request.fitTempo = true;
    auto placed = Insert(request);
    ASSERT_TRUE(placed) << placed.Error().text;
    EXPECT_EQ(placed->start, 22050);
    EXPECT_EQ(placed->end, 88200);
    EXPECT_DOUBLE_EQ(placed->ratio, 120.0 / 130.0);
    const CEvent* event = set->GetTrack(1)->GetEvents().GetHead()->GetItem();
    EXPECT_EQ(event->GetPosition(), 44100);
    EXPECT_DOUBLE_EQ(event->GetSegment()->GetTempo(), 130.0);
    EXPECT_TRUE(set->IsModified());
}

TEST_F(SongSegment, RefusalsLeaveTheSetUnchanged) {
    SongSegmentRequest first;
    first.track = 1;
    ASSERT_TRUE(Insert(first));
    const std::vector<uint8_t> before = SerializeToBytes(*set);

    SongSegmentRequest overlapping = first;
    overlapping.atSeconds = 1.9;
    auto refused = Insert(overlapping);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Error().text, "Segments can not be overlapping.");
    EXPECT_EQ(refused.Error().caption, "Insert Segment");

    SongSegmentRequest outside = first;
    outside.track = 2;
    outside.toSeconds = 3.0;
    EXPECT_FALSE(Insert(outside));
    SongSegmentRequest noTrack = first;
    noTrack.track = 3;
    EXPECT_FALSE(Insert(noTrack));
    SongSegmentRequest unknown = first;
    unknown.track = 2;
    unknown.key = "/nowhere.wav";
    EXPECT_EQ(Insert(unknown).Error().text, "Unable to load profile corresponding to this segment!");
    EXPECT_EQ(SerializeToBytes(*set), before);

    // Touching the end of the first segment is no overlap.
    SongSegmentRequest after = first;
    after.atSeconds = 2.0;
    EXPECT_TRUE(Insert(after));
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// A ratio near 0 would make a segment of no frames, a huge one hours of
// timeline from two seconds of song.
TEST_F(SongSegment, RatiosOutsideTheTurntablesRangeAreRefused) {
    for (double ratio : {1e-9, 0.2, 4.5, 1e9}) {
        SongSegmentRequest request;
        request.track = 1;
        request.ratio = ratio;
        auto refused = Insert(request);
        ASSERT_FALSE(refused) << ratio;
        EXPECT_NE(refused.Error().text.find("between 0.25 and 4"), std::string::npos) << refused.Error().text;
    }
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 0);
    SongSegmentRequest edge;
    edge.track = 1;
    edge.ratio = 4.0;
    EXPECT_TRUE(Insert(edge));
}

}  // namespace
}  // namespace vantor

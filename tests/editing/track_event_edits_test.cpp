#include <gtest/gtest.h>

#include "editing/editing_fixtures.h"
#include "editing/track_event_edits.h"

namespace vantor {
namespace {

using test::AddSegment;
using test::AddTempo;
using test::Bytes;
using test::Positions;

class TrackEventEditsTest : public ::testing::Test {
protected:
    void ExpectRefused(const Status& status, const std::string& text, const char* caption = "Update Event") {
        ASSERT_FALSE(status.Ok());
        EXPECT_EQ(status.Error().text, text);
        EXPECT_EQ(status.Error().caption, caption);
        EXPECT_EQ(status.Error().icon, MessageIcon::Error);
    }

    RefPtr<CMusicSet> set = test::NewSet(1);
    CSetHistory history{set.get()};
    std::optional<int64_t> songFrames;
    TrackEventEdits segments{history, *set->GetTrack(1), 1, [this](const std::string&) { return songFrames; }};
    TrackEventEdits tempi{history, *set->GetTrack(0), 0};
};

TEST_F(TrackEventEditsTest, APreviousSegmentEndingAtTheNewStartIsRefusedOneFrameLaterAccepted) {
    AddSegment(*set, 1, 0, 0, 1000);  // ends at 1000
    CEvent* b = AddSegment(*set, 1, 5000, 0, 1000);
    ExpectRefused(segments.UpdateSegment(b, 1000, 2000, "B"),
                  "Start position overlaps with previous event.\nPrevious event ends at 1000.");
    EXPECT_FALSE(history.HasRecords());
    ASSERT_TRUE(segments.UpdateSegment(b, 1001, 2001, "B").Ok());
    EXPECT_EQ(b->GetPosition(), 1001);
    EXPECT_EQ(b->GetSegment()->GetSegment()->GetEnd(), 1000);
    EXPECT_TRUE(test::TimelineIsSound(*set));
}

TEST_F(TrackEventEditsTest, OverlapsAreMeasuredOnTheTimelineWhateverTheRatio) {
    AddSegment(*set, 1, 0, 0, 1000, 2.0);  // 2000 frames on the timeline
    CEvent* b = AddSegment(*set, 1, 5000, 0, 1000, 2.0);
    AddSegment(*set, 1, 9000, 0, 10);
    // By source lengths the previous one would end at 1000.
    ExpectRefused(segments.UpdateSegment(b, 1500, 2000, "B"),
                  "Start position overlaps with previous event.\nPrevious event ends at 2000.");
    // 2500 + 1500 x 2 = 5500 is fine, 2500 + 3300 x 2 reaches 9000.
    ExpectRefused(segments.UpdateSegment(b, 2500, 5800, "B"),
                  "End position overlaps with next event.\nNext event starts at 9000.");
    ASSERT_TRUE(segments.UpdateSegment(b, 2500, 4000, "B").Ok());
    EXPECT_EQ(b->GetSegment()->GetSegment()->GetTimelineLength(), 3000);
    ExpectRefused(segments.UpdateSegment(b, 3000, 3000, "B"), "End position must be after the start position.");
}

TEST_F(TrackEventEditsTest, WideningPastTheSongsWaveFileIsRefusedWithItsLength) {
    songFrames = 44100;
    CEvent* a = AddSegment(*set, 1, 0, 0, 1000);
    ExpectRefused(segments.UpdateSegment(a, 0, 44101, "A"),
                  "Segment is too long for underlying wave file.\nMaximum length is 44100.");
    ASSERT_TRUE(segments.UpdateSegment(a, 0, 44100, "Renamed").Ok());
    EXPECT_STREQ(a->GetSegment()->GetName(), "Renamed");
    // Without a known song there is no length check, but the timeline stays
    // inside 32 bits.
    songFrames.reset();
    a->GetSegment()->GetSegment()->SetRatio(2.0);
    ExpectRefused(segments.UpdateSegment(a, 0, (1 << 30) + 1, "A"),
                  "Segment is too long for underlying wave file.\nMaximum length is 1073741824.");
    EXPECT_TRUE(segments.UpdateSegment(a, 0, 1 << 30, "A").Ok());
}

TEST_F(TrackEventEditsTest, AMovedTempoChangeTakesItsPlaceInTheList) {
    AddTempo(*set, 1000, 120.0);
    CEvent* b = AddTempo(*set, 2000, 125.0);
    AddTempo(*set, 3000, 128.0);
    auto before = Bytes(*set);
    ExpectRefused(tempi.UpdateTempo(b, 1000, 125.0),
                  "Start position overlaps with previous event.\nPrevious event starts at 1000.");
    ExpectRefused(tempi.UpdateTempo(b, 3000, 125.0), "Another tempo change starts at 3000.");
    ASSERT_TRUE(tempi.UpdateTempo(b, 4000, 126.0).Ok());
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0, 1000, 3000, 4000}));
    EXPECT_TRUE(test::TimelineIsSound(*set));
    history.Undo();
    EXPECT_EQ(Bytes(*set), before);
}

TEST_F(TrackEventEditsTest, DeleteAndClearRecordEveryRemoval) {
    AddTempo(*set, 1000, 120.0);
    AddTempo(*set, 2000, 125.0);
    AddSegment(*set, 1, 0, 0, 10);
    CEvent* b = AddSegment(*set, 1, 100, 0, 10);
    AddSegment(*set, 1, 200, 0, 10);
    auto before = Bytes(*set);
    ASSERT_TRUE(segments.Delete(b, false).Ok());
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{0, 200}));
    EXPECT_EQ(tempi.Clear(true), 2);
    EXPECT_EQ(Positions(*set->GetTrack(0)), (std::vector<int32_t>{0}));
    EXPECT_EQ(segments.Clear(false), 2);
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 0);
    history.Undo();  // the segment track's clear, as one step
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{0, 200}));
    history.Undo();
    history.Undo();
    EXPECT_EQ(Bytes(*set), before);
    // Nothing selected: nothing happens.
    EXPECT_TRUE(segments.Delete(nullptr, false).Ok());
    EXPECT_TRUE(segments.UpdateSegment(nullptr, 0, 10, "x").Ok());
    EXPECT_FALSE(history.HasRecords());
}

}  // namespace
}  // namespace vantor

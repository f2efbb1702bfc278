#include <gtest/gtest.h>

#include <random>

#include "model/music_set.h"
#include "model/set_file.h"
#include "support/byte_builder.h"

namespace vantor {
namespace {

using test::ByteBuilder;
using test::SameBytes;

// ---- expected records, written from the layouts ----

void ExpectedProfile(ByteBuilder& b, const std::string& effect, const std::string& parameter,
                     const std::vector<std::array<double, 4>>& pieces) {
    b.Text(effect, 100).Text(parameter, 100).I32(static_cast<int32_t>(pieces.size())).I32(0);
    for (const auto& p : pieces)
        b.I32(static_cast<int32_t>(p[0])).I32(static_cast<int32_t>(p[0])).I32(static_cast<int32_t>(p[1])).F64(p[2]).F64(p[3]);
}

void ExpectedTempoEvent(ByteBuilder& b, int32_t position, uint32_t colour, double tempo) {
    b.I32(position).I32(2).I32(position).I32(colour).I32(0).F64(tempo);
}

// A reader sets each array's capacity and initial capacity to its count, so
// a set that was read back differs from the one built in memory in exactly
// those header words; from then on it writes out unchanged.
struct Headers {
    bool readBack;
    ByteBuilder& Array(ByteBuilder& b, int32_t count, int32_t step = 5) const {
        int32_t capacity = readBack ? count : 5;
        return b.ArrayHeader(capacity, count, step, capacity);
    }
};

std::vector<uint8_t> ExpectedSegmentDesign(Headers h = {false}) {
    ByteBuilder b;
    b.Text("Intro", 255).I32(0).I32(0).F64(128.0).F64(0.9);
    b.I32(100).I32(500).F64(1.5).Text("/music/a.wav", 255).Text("A", 50);
    h.Array(b, 1);
    ExpectedProfile(b, "Volume", "Level", {{0, 1000, 0.0, 1.0}, {1000, 2000, 1.0, 0.5}});
    return b.Bytes();
}

std::vector<uint8_t> ExpectedSet(Headers h = {false}) {
    ByteBuilder b;
    b.Text("demo.set", 255).I32(44100).I32(2).I32(4).I32(16);
    h.Array(b, 3);
    // Track 0: two tempo changes.
    h.Array(b.I32(0xAAAAAAAA), 0).I32(2).I32(0);
    ExpectedTempoEvent(b, 0, 0x7F7F7F, 130.0);
    ExpectedTempoEvent(b, 441000, 215, 128.5);
    b.Text("Tempo", 30);
    // Track 1: one segment.
    h.Array(b.I32(0xAAAAAAAA), 0).I32(1).I32(0);
    b.I32(1000).I32(1).I32(1000).I32(215).Append(ExpectedSegmentDesign(h));
    b.Text("Track 1", 30);
    // Track 2: a track effect and no events.
    h.Array(b.I32(0xAAAAAAAA), 1);
    ExpectedProfile(b, "Echo", "Delay", {});
    b.I32(0).I32(0).Text("Track 2", 30);
    // No set events.
    b.I32(0).I32(0);
    return b.Bytes();
}

RefPtr<CSegmentDesign> MakeDesign() {
    auto design = MakeRef<CSegmentDesign>();
    design->SetName("Intro");
    design->SetTempo(128.0);
    design->SetNormalization(0.9);
    CSegment* segment = design->GetSegment();
    segment->SetStart(100);
    segment->SetEnd(500);
    segment->SetRatio(1.5);
    segment->SetSongKey("/music/a.wav");
    segment->SetSongTitle("A");
    auto* profile = new CEffectProfile();
    profile->SetEffectName("Volume");
    profile->SetParameterName("Level");
    profile->AddPiece(1000, 2000, 1.0, 0.5);
    profile->AddPiece(0, 1000, 0.0, 1.0);
    design->GetEffectProfiles().Add(profile);
    return design;
}

RefPtr<CMusicSet> MakeSet() {
    NewSetOptions options;
    options.audioTracks = 2;
    RefPtr<CMusicSet> set = CMusicSet::CreateNew(options);
    set->SetName("demo.set");
    auto* tempo = new CEvent();
    tempo->SetTempoChange(new CTempoChange(128.5));
    tempo->SetPosition(441000);
    set->GetTrack(0)->AddEvent(tempo);
    auto* segment = new CEvent();
    segment->SetPosition(1000);
    segment->SetSegment(MakeDesign().get());
    set->GetTrack(1)->AddEvent(segment);
    auto* echo = new CEffectProfile();
    echo->SetEffectName("Echo");
    echo->SetParameterName("Delay");
    set->GetTrack(2)->GetTrackEffects().Add(echo);
    return set;
}

RefPtr<CMusicSet> ReadSet(const std::vector<uint8_t>& bytes) {
    auto set = MakeRef<CMusicSet>();
    DeserializeFromBytes(*set, bytes.data(), bytes.size());
    return set;
}

TEST(SetFile, NewSetHasTheTempoTrackAndNamedAudioTracks) {
    NewSetOptions options;
    options.audioTracks = 4;
    options.tempo = 126.0;
    RefPtr<CMusicSet> set = CMusicSet::CreateNew(options);
    ASSERT_EQ(set->GetTracks().GetCount(), 5);
    EXPECT_STREQ(set->GetName(), "Untitled");
    EXPECT_STREQ(set->GetTrack(0)->GetName(), "Tempo");
    EXPECT_STREQ(set->GetTrack(4)->GetName(), "Track 4");
    EXPECT_EQ(set->GetTrack(2)->GetOwner(), set.get());
    const auto& tempoEvents = set->GetTrack(0)->GetEvents();
    ASSERT_EQ(tempoEvents.GetCount(), 1);
    const CEvent* first = tempoEvents.GetHead()->GetItem();
    EXPECT_EQ(first->GetPosition(), 0);
    EXPECT_EQ(first->GetColour(), kTempoEventColour);
    EXPECT_EQ(first->GetKind(), CEvent::kTempoChange);
    EXPECT_EQ(first->GetTempoChange()->GetTempo(), 126.0);
    EXPECT_EQ(set->GetBlockAlign(), 4);
}

TEST(SetFile, SetRecordMatchesTheLayoutByteForByte) {
    RefPtr<CMusicSet> set = MakeSet();
    std::vector<uint8_t> expected = ExpectedSet();
    EXPECT_TRUE(SameBytes(SerializeToBytes(*set), expected));

    // Read back and written again: the same content, with each array's
    // capacity words set to its count; a further round trip, and a clone,
    // give the same bytes again.
    RefPtr<CMusicSet> read = ReadSet(expected);
    const std::vector<uint8_t> readBack = ExpectedSet({true});
    EXPECT_TRUE(SameBytes(SerializeToBytes(*read), readBack));
    EXPECT_TRUE(SameBytes(SerializeToBytes(*ReadSet(readBack)), readBack));
    RefPtr<CMusicSet> clone(read->Clone());
    EXPECT_TRUE(SameBytes(SerializeToBytes(*clone), readBack));
    EXPECT_EQ(clone->GetTrack(1)->GetOwner(), clone.get());
    EXPECT_EQ(read->GetTrack(1)->GetOwner(), read.get());

    const CEvent* segmentEvent = read->GetTrack(1)->GetEvents().GetHead()->GetItem();
    EXPECT_EQ(segmentEvent->GetSegment()->GetSegment()->GetTimelineLength(), 600);
    EXPECT_STREQ(segmentEvent->GetSegment()->GetSegment()->GetSongKey(), "/music/a.wav");
}

TEST(SetFile, FileRoundTripThroughTheDisk) {
    std::string path = ::testing::TempDir() + "round_trip.set";
    RefPtr<CMusicSet> set = MakeSet();
    ASSERT_TRUE(WriteSetFile(*set, path));
    RefPtr<CMusicSet> read = ReadSetFile(path);
    ASSERT_TRUE(read);
    EXPECT_TRUE(SameBytes(SerializeToBytes(*read), ExpectedSet({true})));
    ASSERT_TRUE(WriteSetFile(*read, path));
    EXPECT_TRUE(SameBytes(SerializeToBytes(*ReadSetFile(path)), ExpectedSet({true})));
    EXPECT_FALSE(ReadSetFile(path + ".missing"));
}

TEST(SetFile, SegmentLengthOnTheTimeline) {
    CSegment segment;
    segment.SetStart(100);
    segment.SetEnd(500);
    segment.SetRatio(1.5);
    EXPECT_EQ(segment.GetTimelineLength(), 600);
    segment.SetRatio(0.5);
    EXPECT_EQ(segment.GetTimelineLength(), 200);
    segment.SetRatio(1.0 / 3.0);
    EXPECT_EQ(segment.GetTimelineLength(), 133);  // truncated
    EXPECT_EQ(segment.GetSourceLength(), 400);
    // Damaged ratios never overflow the frame count.
    segment.SetRatio(std::nan(""));
    EXPECT_EQ(segment.GetTimelineLength(), 0);
    segment.SetRatio(1e300);
    EXPECT_EQ(segment.GetTimelineLength(), INT32_MAX);
}

TEST(SetFile, NormalizationIgnoresValuesThatAreNotFinite) {
    CSegmentDesign design;
    design.SetNormalization(0.5);
    design.SetNormalization(std::numeric_limits<double>::infinity());
    design.SetNormalization(std::nan(""));
    EXPECT_EQ(design.GetNormalization(), 0.5);
}

TEST(SetFile, OldTrackFormatWithoutMarkerOpensWithoutTrackEffects) {
    ByteBuilder b;
    b.Text("old.set", 255).I32(44100).I32(2).I32(4).I32(16).ArrayHeader(1, 1, 5, 1);
    b.I32(1).I32(0);  // the events list starts directly
    ExpectedTempoEvent(b, 0, 0x7F7F7F, 140.0);
    b.Text("Tempo", 30).I32(0).I32(0);
    RefPtr<CMusicSet> set = ReadSet(b.Bytes());
    ASSERT_EQ(set->GetTracks().GetCount(), 1);
    const CTrack* track = set->GetTrack(0);
    EXPECT_EQ(track->GetTrackEffects().GetCount(), 0);
    ASSERT_EQ(track->GetEvents().GetCount(), 1);
    EXPECT_EQ(track->GetEvents().GetHead()->GetItem()->GetTempoChange()->GetTempo(), 140.0);
    EXPECT_STREQ(track->GetName(), "Tempo");

    // Written back in the current format: the marker and an empty effects array.
    ByteBuilder now;
    now.Text("old.set", 255).I32(44100).I32(2).I32(4).I32(16).ArrayHeader(1, 1, 5, 1);
    now.I32(0xAAAAAAAA).ArrayHeader(5, 0, 5, 5).I32(1).I32(0);
    ExpectedTempoEvent(now, 0, 0x7F7F7F, 140.0);
    now.Text("Tempo", 30).I32(0).I32(0);
    EXPECT_TRUE(SameBytes(SerializeToBytes(*set), now.Bytes()));
}

TEST(SetFile, HeaderOnlyFileOpensWithNoTracks) {
    auto bytes = ByteBuilder().Text("short", 255).I32(22050).I32(1).I32(2).I32(16).Bytes();
    ASSERT_EQ(bytes.size(), 275u);
    RefPtr<CMusicSet> set = ReadSet(bytes);
    EXPECT_STREQ(set->GetName(), "short");
    EXPECT_EQ(set->GetSampleRate(), 22050);  // stored format values are taken as they are
    EXPECT_EQ(set->GetBlockAlign(), 2);
    EXPECT_EQ(set->GetTracks().GetCount(), 0);
    EXPECT_EQ(set->GetSetEvents().GetCount(), 0);
}

TEST(SetFile, EventOfUnknownKindCarriesNoPayload) {
    ByteBuilder b;
    b.Text("k.set", 255).I32(44100).I32(2).I32(4).I32(16).ArrayHeader(1, 1, 5, 1);
    b.I32(0xAAAAAAAA).ArrayHeader(0, 0, 1, 0).I32(2).I32(0);
    b.I32(10).I32(3).I32(10).I32(0x123456);  // kind 3: no payload
    ExpectedTempoEvent(b, 20, 215, 99.0);       // follows directly after the colour
    b.Text("T", 30).I32(0).I32(0);
    RefPtr<CMusicSet> set = ReadSet(b.Bytes());
    const auto& events = set->GetTrack(0)->GetEvents();
    ASSERT_EQ(events.GetCount(), 2);
    EXPECT_EQ(events.GetHead()->GetItem()->GetKind(), CEvent::kNone);
    EXPECT_EQ(events.GetHead()->GetItem()->GetColour(), 0x123456u);
    EXPECT_EQ(events.GetTail()->GetItem()->GetTempoChange()->GetTempo(), 99.0);
    EXPECT_STREQ(set->GetTrack(0)->GetName(), "T");
}

TEST(SetFile, OversizedTextStopsTheRecordAndKeepsWhatWasRead) {
    // The second track's name claims 300 bytes: the track keeps its events,
    // nothing after it is read, and no buffer is overrun.
    ByteBuilder b;
    b.Text("x.set", 255).I32(44100).I32(2).I32(4).I32(16).ArrayHeader(2, 2, 5, 2);
    b.I32(0xAAAAAAAA).ArrayHeader(0, 0, 1, 0).I32(0).I32(0).Text("One", 30);
    b.I32(0xAAAAAAAA).ArrayHeader(0, 0, 1, 0).I32(1).I32(0);
    ExpectedTempoEvent(b, 5, 215, 120.0);
    b.I32(300).Raw("y", 300);
    b.I32(1).I32(0).I32(0).I32(2).I32(0).I32(0).I32(0).F64(1.0);  // set events, never reached
    RefPtr<CMusicSet> set = ReadSet(b.Bytes());
    ASSERT_EQ(set->GetTracks().GetCount(), 2);
    EXPECT_STREQ(set->GetTrack(0)->GetName(), "One");
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 1);
    EXPECT_STREQ(set->GetTrack(1)->GetName(), "");
    EXPECT_EQ(set->GetSetEvents().GetCount(), 0);
}

// Whatever was read from damaged bytes writes out as a well-formed record: once
// its defaults have been through a reader, it reads and writes unchanged.
::testing::AssertionResult WritesOutWellFormed(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> once = SerializeToBytes(*ReadSet(bytes));
    std::vector<uint8_t> twice = SerializeToBytes(*ReadSet(once));
    return SameBytes(SerializeToBytes(*ReadSet(twice)), twice);
}

TEST(SetFile, TruncatedExtendedAndDamagedFilesNeverCrash) {
    const std::vector<uint8_t> good = ExpectedSet({true});
    for (size_t size = 0; size <= good.size(); size += (size < 400 ? 1 : 7)) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(size));
        EXPECT_TRUE(WritesOutWellFormed(cut)) << "cut at " << size;
    }
    std::vector<uint8_t> extended = good;
    extended.insert(extended.end(), 1000, 0xEE);
    EXPECT_TRUE(SameBytes(SerializeToBytes(*ReadSet(extended)), good));

    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> damaged = good;
        int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i) damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
        EXPECT_TRUE(WritesOutWellFormed(damaged)) << "round " << round;
    }
}

}  // namespace
}  // namespace vantor

#include "database/song_profile.h"

#include <gtest/gtest.h>

#include <cmath>

#include "database/song_summary.h"
#include "model/set_file.h"
#include "record_bytes.h"

namespace vantor {
namespace {

using test::RecordBytes;

std::vector<uint8_t> Bytes(const ISerializable& object) { return SerializeToBytes(object); }

template <class T>
RefPtr<T> ReadBack(const std::vector<uint8_t>& bytes) {
    auto object = MakeRef<T>();
    DeserializeFromBytes(*object, bytes.data(), bytes.size());
    return object;
}

TEST(SongProfileRecord, NewProfileMatchesTheLayoutByteForByte) {
    CSongProfile profile;
    RecordBytes expected;
    expected.Text(255, "").Text(50, "").Text(255, "").Text(100, "");
    expected.Overlaid("", 0).Text(100, "").Overlaid("", 0x1001);
    for (int i = 0; i < 5; ++i) expected.EmptyArray();
    expected.Real(130.0);
    EXPECT_EQ(Bytes(profile), expected.Get());
    EXPECT_EQ(expected.Size(), 259u + 54 + 259 + 4 * 104 + 5 * 16 + 8);
}

TEST(SongProfileRecord, FilledProfileMatchesTheLayoutAndRoundTrips) {
    const std::string album95(95, 'a');
    CSongProfile profile;
    profile.SetArchivePath("/archive/disc1/song.wav");
    profile.SetArchiveName("DISC1");
    profile.SetLocalPath("/music/song.wav");
    profile.SetTitle("Title");
    profile.SetAlbum(album95);
    profile.SetPrivate(true);
    profile.SetMixer("Mixer");
    profile.SetArtist("Artist");
    profile.SetType(0x2005);
    profile.SetTempo(128.5);
    auto point = MakeRef<CMatchPoint>();
    point->SetLabel("Start");
    point->SetPosition(44100);
    point->SetType(CMatchPoint::START_SONG);
    point->SetSongKey("/music/song.wav");
    point->SetTempo(128.5);
    ASSERT_TRUE(profile.AddMatchPoint(point));

    RecordBytes expected;
    expected.Text(255, "/archive/disc1/song.wav").Text(50, "DISC1").Text(255, "/music/song.wav").Text(100, "Title");
    expected.Overlaid(album95, 1).Text(100, "Mixer").Overlaid("Artist", 0x2005);
    expected.Int(5).Int(1).Int(5).Int(5);
    expected.Text(30, "Start").Int(44100).Int(0).Text(255, "/music/song.wav").Real(128.5);
    for (int i = 0; i < 4; ++i) expected.EmptyArray();
    expected.Real(128.5);
    ASSERT_EQ(Bytes(profile), expected.Get());

    auto back = ReadBack<CSongProfile>(expected.Get());
    EXPECT_EQ(std::string(back->GetAlbum()), album95);
    EXPECT_TRUE(back->IsPrivate());
    EXPECT_EQ(back->GetType(), 0x2005);
    EXPECT_TRUE(back->IsSample());
    EXPECT_EQ(back->GetGenre(), 5);
    EXPECT_STREQ(back->GetArtist(), "Artist");
    EXPECT_STREQ(back->GetKey(), "/music/song.wav");
    EXPECT_EQ(back->GetMatchPoints().GetCount(), 1);
    EXPECT_EQ(back->GetMatchPoints().GetAt(0)->GetPosition(), 44100u);
    // Read arrays keep only their count as capacity and initial capacity.
    RecordBytes reread;
    reread.Bytes({expected.Get().begin(), expected.Get().begin() + 259 + 54 + 259 + 4 * 104});
    reread.Int(1).Int(1).Int(5).Int(1);
    reread.Text(30, "Start").Int(44100).Int(0).Text(255, "/music/song.wav").Real(128.5);
    for (int i = 0; i < 4; ++i) reread.Int(0).Int(0).Int(5).Int(0);
    reread.Real(128.5);
    EXPECT_EQ(Bytes(*back), reread.Get());
}

TEST(SongProfileRecord, OverlaidTextsAreCutSoTheirFlagsNeverOverwriteTheText) {
    CSongProfile profile;
    profile.SetAlbum(std::string(99, 'b'));
    profile.SetArtist(std::string(120, 'c'));
    profile.SetPrivate(true);
    auto back = ReadBack<CSongProfile>(Bytes(profile));
    EXPECT_EQ(std::string(back->GetAlbum()), std::string(95, 'b'));
    EXPECT_EQ(std::string(back->GetArtist()), std::string(95, 'c'));
    EXPECT_TRUE(back->IsPrivate());
    EXPECT_EQ(back->GetType(), CSongProfile::kDefaultType);
}

TEST(SongProfileRecord, PrivateFlagIsSetOnlyByTheValueOne) {
    for (int32_t stored : {2, -1, 0x100}) {
        RecordBytes record;
        record.Text(255, "").Text(50, "").Text(255, "/k.wav").Text(100, "");
        record.Overlaid("album", stored).Text(100, "").Overlaid("", 0x1001);
        for (int i = 0; i < 5; ++i) record.EmptyArray();
        record.Real(120.0);
        auto back = ReadBack<CSongProfile>(record.Get());
        EXPECT_FALSE(back->IsPrivate()) << stored;
        EXPECT_STREQ(back->GetAlbum(), "album");
        EXPECT_EQ(back->GetTempo(), 120.0);
    }
}

TEST(SongProfileRecord, DamagedRecordsKeepTheDefaults) {
    // A title longer than its field: reading stops, nothing after it is taken.
    RecordBytes tooLong;
    tooLong.Text(255, "").Text(50, "").Text(255, "/k.wav").Int(5000);
    auto back = ReadBack<CSongProfile>(tooLong.Get());
    EXPECT_STREQ(back->GetLocalPath(), "/k.wav");
    EXPECT_STREQ(back->GetTitle(), "");
    EXPECT_EQ(back->GetType(), CSongProfile::kDefaultType);
    EXPECT_EQ(back->GetTempo(), 130.0);

    // A cue point count larger than the bytes left gives an empty array and
    // the rest of the record is still read from where the stream stands.
    CSongProfile profile;
    profile.SetLocalPath("/k.wav");
    std::vector<uint8_t> bytes = Bytes(profile);
    const size_t arraysAt = 259 + 54 + 259 + 4 * 104;
    bytes[arraysAt + 4] = 0xFF;
    bytes[arraysAt + 5] = 0xFF;
    back = ReadBack<CSongProfile>(bytes);
    EXPECT_EQ(back->GetMatchPoints().GetCount(), 0);
    EXPECT_STREQ(back->GetKey(), "/k.wav");

    // Every cut of a full record reads without harm.
    std::vector<uint8_t> whole = Bytes(profile);
    for (size_t n = 0; n <= whole.size(); n += 7) ReadBack<CSongProfile>({whole.begin(), whole.begin() + n});
}

TEST(SongProfile, CloneIsDeep) {
    CSongProfile profile;
    profile.SetTitle("One");
    auto design = MakeRef<CMixingProfile>();
    design->SetName("mix");
    design->SetClip(new CSetClip());
    profile.GetMixOutDesigns().Add(design.get());
    RefPtr<CSongProfile> copy(profile.Clone());
    EXPECT_EQ(Bytes(*copy), Bytes(profile));
    copy->GetMixOutDesigns().GetAt(0)->SetName("changed");
    copy->GetMatchPoints().Add(new CMatchPoint());
    EXPECT_STREQ(profile.GetMixOutDesigns().GetAt(0)->GetName(), "mix");
    EXPECT_EQ(profile.GetMatchPoints().GetCount(), 0);
    EXPECT_NE(copy->GetMixOutDesigns().GetAt(0)->GetClip(), design->GetClip());
}

TEST(SongProfile, OnlyOneStartAndOneEndCuePoint) {
    CSongProfile profile;
    auto make = [](int32_t type) {
        auto point = MakeRef<CMatchPoint>();
        point->SetType(type);
        return point;
    };
    EXPECT_TRUE(profile.AddMatchPoint(make(CMatchPoint::START_SONG)));
    EXPECT_FALSE(profile.AddMatchPoint(make(CMatchPoint::START_SONG)));
    EXPECT_TRUE(profile.AddMatchPoint(make(CMatchPoint::END_SONG)));
    EXPECT_FALSE(profile.AddMatchPoint(make(CMatchPoint::END_SONG)));
    EXPECT_TRUE(profile.AddMatchPoint(make(CMatchPoint::CHORUS)));
    EXPECT_TRUE(profile.AddMatchPoint(make(CMatchPoint::CHORUS)));
    EXPECT_EQ(profile.GetMatchPoints().GetCount(), 4);
}

TEST(SongProfile, SummaryPathReplacesTheExtension) {
    CSongProfile profile;
    profile.SetLocalPath("/music/a.b/song.wav");
    EXPECT_EQ(profile.GetSummaryPath(), "/music/a.b/song.sm");
    profile.SetLocalPath("/music/a.b/song");
    EXPECT_EQ(profile.GetSummaryPath(), "/music/a.b/song.sm");
    EXPECT_FALSE(profile.HasSummaryFile());
}

TEST(MatchPointRecord, MatchesTheLayoutAndStartsFromDefaults) {
    CMatchPoint point;
    point.SetLabel("Chorus");
    point.SetPosition(0xFFFFFFF0u);
    point.SetType(CMatchPoint::CHORUS);
    point.SetSongKey("/s.wav");
    point.SetTempo(140.25);
    RecordBytes expected;
    expected.Text(30, "Chorus").Int(-16).Int(16).Text(255, "/s.wav").Real(140.25);
    ASSERT_EQ(expected.Size(), static_cast<size_t>(CMatchPoint::kRecordSize));
    EXPECT_EQ(Bytes(point), expected.Get());
    auto back = ReadBack<CMatchPoint>(expected.Get());
    EXPECT_EQ(back->GetPosition(), 0xFFFFFFF0u);
    EXPECT_EQ(Bytes(*back), expected.Get());

    // A label longer than its field: the rest keeps the defaults.
    RecordBytes damaged;
    damaged.Int(31).Raw("x", 31).Int(7).Int(16).Text(255, "/s.wav").Real(99.0);
    auto empty = ReadBack<CMatchPoint>(damaged.Get());
    EXPECT_EQ(empty->GetTempo(), 130.0);
    EXPECT_EQ(empty->GetType(), 0);
    EXPECT_EQ(empty->GetPosition(), 0u);
    EXPECT_EQ(empty->GetKey(), nullptr);
}

TEST(MatchPointTypes, NamesAndDefaultLabels) {
    const std::pair<int32_t, const char*> names[] = {
        {0, "START_SONG"}, {1, "BUILD"},  {2, "FALL"},  {4, "EXPLODE_UP"}, {8, "EXPLODE_DOWN"},
        {16, "CHORUS"},    {32, "VERSE"}, {64, "MISC"}, {255, "END_SONG"},
    };
    for (auto [type, name] : names) {
        EXPECT_STREQ(MatchPointTypeName(type), name);
        EXPECT_EQ(MatchPointTypeFromName(name), type);
    }
    EXPECT_EQ(MatchPointTypeName(3), nullptr);
    EXPECT_EQ(MatchPointTypeName(-1), nullptr);
    EXPECT_EQ(DefaultMatchPointLabel(3), nullptr);
    EXPECT_STREQ(DefaultMatchPointLabel(8), "ExploreDn");
    EXPECT_STREQ(DefaultMatchPointLabel(4), "ExplodeUp");
    EXPECT_STREQ(DefaultMatchPointLabel(255), "End");
}

TEST(MixingProfileRecord, WithoutAClipTheNameIsNotStored) {
    CMixingProfile design;
    design.SetName("lost name");
    design.SetTempo(126.0);
    RecordBytes expected;
    expected.Text(255, "").Real(126.0);
    EXPECT_EQ(Bytes(design), expected.Get());
    auto back = ReadBack<CMixingProfile>(expected.Get());
    EXPECT_STREQ(back->GetName(), "");
    EXPECT_EQ(back->GetClip(), nullptr);
    EXPECT_EQ(back->GetTempo(), 126.0);
}

TEST(MixingProfileRecord, WithAClipTheClipFollows) {
    CMixingProfile design;
    design.SetName("into B");
    auto clip = MakeRef<CSetClip>();
    clip->SetCount(2);
    clip->SetTag(1);
    design.SetClip(clip.get());
    RecordBytes expected;
    expected.Text(255, "into B").Real(130.0).Int(2).Int(1).EmptyArray().EmptyArray();
    EXPECT_EQ(Bytes(design), expected.Get());
    auto back = ReadBack<CMixingProfile>(expected.Get());
    ASSERT_NE(back->GetClip(), nullptr);
    EXPECT_EQ(back->GetClip()->GetCount(), 2);
    EXPECT_EQ(back->GetClip()->GetTag(), 1);
    EXPECT_STREQ(back->GetKey(), "into B");
}

class FixedSummary : public ISongSummary {
public:
    FixedSummary(int32_t level, int32_t maximum) : m_level(level), m_maximum(maximum) {}
    int32_t GetReferenceLevel() const override { return m_level; }
    int32_t GetMaxAmplitude() const override { return m_maximum; }

private:
    int32_t m_level, m_maximum;
};

TEST(ComputeNormalization, BringsTheReferenceLevelToTheReferencePoint) {
    EXPECT_NEAR(ComputeNormalization(FixedSummary(21582, 32767), 0.66), 1.00204, 1e-5);
    // A level above the maximum counts as the maximum.
    EXPECT_DOUBLE_EQ(ComputeNormalization(FixedSummary(40000, 32767), 0.66), 0.66);

    CSegmentDesign design;
    design.SetNormalization(0.9);
    for (FixedSummary bad : {FixedSummary(0, 32767), FixedSummary(-5, 32767), FixedSummary(100, 0)}) {
        double gain = ComputeNormalization(bad, 0.66);
        EXPECT_FALSE(std::isfinite(gain));
        design.SetNormalization(gain);
        EXPECT_EQ(design.GetNormalization(), 0.9);
    }
}

}  // namespace
}  // namespace vantor

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_io.h"
#include "config/configuration.h"
#include "support/byte_builder.h"

namespace vantor {
namespace {

using test::ByteBuilder;
using test::SameBytes;

const char* const kGenres[] = {"Hard House",   "Anthem House", "Vocal House", "Deep House", "Hard Trance",
                               "Progressive Trance", "Vocal Trance", "Techno", "Tribal", "Drum 'n Bass",
                               "Hip Hop",      "Disco",        "Other"};

// The body of a default configuration file, from the field table.
ByteBuilder DefaultBody() {
    ByteBuilder b;
    b.Raw("", 16).Raw("", 16).I32(44100).I32(2).I32(16).I32(8).F64(130.0).F64(30.0).I32(3999999999u);
    b.Raw(".", 255).U8(1).F64(0.2).U8(1).U8(1).Raw(".", 255).F64(0.66).U8(1).I32(60);
    b.U8(0).U8(1).U8(0).U8(0);
    EXPECT_EQ(b.Size(), 606u);
    b.ArrayHeader(15, 13, 5, 5);
    int id = 0;
    for (const char* genre : kGenres) b.Text(genre, 50).I32(id++);
    for (int i = 0; i < 6; ++i) b.Raw("", 50);
    b.I32(0).U8(1).U8(0);
    b.I32(1).F64(88.0).F64(175.0);
    return b;
}

std::vector<uint8_t> FileOf(const ByteBuilder& body) {
    return ByteBuilder().I32(static_cast<int32_t>(body.Size())).Append(body.Bytes()).Bytes();
}

TEST(Configuration, DefaultsWriteTheFieldTableByteForByte) {
    CConfiguration config;
    EXPECT_TRUE(SameBytes(config.SaveToBytes(), FileOf(DefaultBody())));
    EXPECT_EQ(config.GetGenrePresets().GetCount(), 13);
    EXPECT_STREQ(config.GetGenrePresets().GetAt(9)->GetName(), "Drum 'n Bass");
    EXPECT_EQ(config.GetGenrePresets().GetAt(12)->GetId(), 12);
    EXPECT_FALSE(config.GetSetOutputDevice().has_value());
}

TEST(Configuration, FileRoundTripKeepsEveryField) {
    CConfiguration config;
    DeviceId device{};
    device[3] = 7;
    config.SetSetOutputDevice(device);
    config.SetNumberOfTracks(12);
    config.SetWaveDirectory("/music/wave");
    config.SetReferencePoint(0.5);
    config.SetMaxLatestTitles(99);
    config.SetHidePrivateMusic(true);
    config.SetEffectPresetName(2, "Big Echo");
    config.SetEffectPresetName(6, "ignored");
    config.SetMidiInputDevice(3);
    config.SetDecodeMp3(true);
    config.GetGenrePresets().RemoveAll();
    config.GetGenrePresets().Add(new CGenrePreset("Acid", 40));

    std::string path = ::testing::TempDir() + "config_round_trip.cfg";
    ASSERT_TRUE(config.Save(path));
    CConfiguration read;
    ASSERT_EQ(read.Load(path), CConfiguration::FileState::Loaded);
    EXPECT_EQ(read.GetSetOutputDevice(), device);
    EXPECT_EQ(read.GetNumberOfTracks(), 12);
    EXPECT_STREQ(read.GetWaveDirectory(), "/music/wave");
    EXPECT_EQ(read.GetReferencePoint(), 0.5);
    EXPECT_EQ(read.GetMaxLatestTitles(), 99);
    EXPECT_TRUE(read.GetHidePrivateMusic());
    EXPECT_STREQ(read.GetEffectPresetName(2), "Big Echo");
    EXPECT_STREQ(read.GetEffectPresetName(6), "");
    EXPECT_EQ(read.GetMidiInputDevice(), 3);
    EXPECT_TRUE(read.GetDecodeMp3());
    ASSERT_EQ(read.GetGenrePresets().GetCount(), 1);
    EXPECT_STREQ(read.GetGenrePresets().GetAt(0)->GetName(), "Acid");
    EXPECT_EQ(read.GetGenrePresets().GetAt(0)->GetId(), 40);
    // Read and written again: the same file, but for the array's capacity
    // words, which a reader sets to the count.
    EXPECT_EQ(read.SaveToBytes().size(), config.SaveToBytes().size());
    CConfiguration again;
    again.LoadFromBytes(read.SaveToBytes().data(), read.SaveToBytes().size());
    EXPECT_EQ(again.SaveToBytes(), read.SaveToBytes());
    EXPECT_EQ(read.Load(path + ".missing"), CConfiguration::FileState::Missing);
}

TEST(Configuration, ShortFilesSetOnlyTheFieldsTheyReach) {
    CConfiguration config;
    auto guids = ByteBuilder().I32(32).Raw("\x01", 16).Raw("\x02", 16).I32(5).Bytes();
    config.LoadFromBytes(guids.data(), guids.size());
    EXPECT_EQ(config.GetAuditionOutputDeviceId()[0], 1);
    EXPECT_EQ(config.GetSetOutputDeviceId()[0], 2);
    EXPECT_EQ(config.GetSamplesPerSecond(), 44100);  // beyond the count: untouched

    // A body ending inside a field overwrites only that field's first bytes.
    CConfiguration partial;
    auto bytes = ByteBuilder().I32(46).Raw("", 32).I32(1).I32(1).I32(1).U8(0x0C).U8(0).Bytes();
    partial.LoadFromBytes(bytes.data(), bytes.size());
    EXPECT_EQ(partial.GetNumberOfTracks(), 12);  // 8 = 0x00000008 with its low two bytes replaced
    EXPECT_EQ(partial.GetChannels(), 1);
    EXPECT_EQ(partial.GetDefaultTempo(), 130.0);

    // A count larger than the bytes that follow: a short read, nothing is taken.
    CConfiguration shortRead;
    auto truncated = ByteBuilder().I32(600).Raw("\x09", 16).Bytes();
    EXPECT_FALSE(shortRead.LoadFromBytes(truncated.data(), truncated.size()));
    EXPECT_FALSE(shortRead.GetAuditionOutputDevice().has_value());
}

// A damaged file is not silently lost: the first save keeps a copy of it.
TEST(Configuration, ADamagedFileIsKeptBeforeItIsWrittenOver) {
    const std::string path = ::testing::TempDir() + "config_damaged.cfg";
    const auto damaged = ByteBuilder().I32(600).Raw("\x09", 16).Bytes();
    ASSERT_TRUE(WriteFileReplacing(path, damaged.data(), damaged.size()));
    CConfiguration config;
    ASSERT_EQ(config.Load(path), CConfiguration::FileState::Damaged);
    EXPECT_EQ(config.GetNumberOfTracks(), 8) << "the defaults stand";
    config.SetNumberOfTracks(6);
    ASSERT_TRUE(config.Save(path));
    EXPECT_EQ(ReadWholeFile(path + ".damaged"), damaged);
    CConfiguration saved;
    ASSERT_EQ(saved.Load(path), CConfiguration::FileState::Loaded);
    EXPECT_EQ(saved.GetNumberOfTracks(), 6);
    // Later saves leave the kept copy alone.
    ASSERT_TRUE(config.Save(path));
    EXPECT_EQ(ReadWholeFile(path + ".damaged"), damaged);
}

TEST(Configuration, AnEmptyGenreListGetsTheBuiltInGenres) {
    ByteBuilder body = DefaultBody();
    std::vector<uint8_t> all = body.Bytes();
    std::vector<uint8_t> head(all.begin(), all.begin() + 606);
    ByteBuilder b;
    b.Append(head).ArrayHeader(0, 0, 5, 0);
    for (int i = 0; i < 6; ++i) b.Raw(i == 1 ? "Wash" : "", 50);
    b.I32(2).U8(0).U8(1);
    auto file = FileOf(b);
    CConfiguration config;
    config.GetGenrePresets().RemoveAll();
    config.LoadFromBytes(file.data(), file.size());
    EXPECT_EQ(config.GetGenrePresets().GetCount(), 13);
    EXPECT_STREQ(config.GetEffectPresetName(1), "Wash");
    EXPECT_EQ(config.GetMidiInputDevice(), 2);
    EXPECT_FALSE(config.GetGenerateSummaries());
    EXPECT_TRUE(config.GetDecodeMp3());
}

TEST(Configuration, DamagedFilesNeverCrashOrOverrunTheirFields) {
    auto good = FileOf(DefaultBody());
    for (size_t size = 0; size <= good.size(); ++size) {
        CConfiguration config;
        auto cut = good;
        cut.resize(size);
        if (size >= 4) StoreLE32(cut.data(), static_cast<uint32_t>(size - 4));
        config.LoadFromBytes(cut.data(), cut.size());
        EXPECT_GE(config.GetGenrePresets().GetCount(), 1);
    }
    // Text fields without any terminator stay terminated.
    auto unterminated = good;
    for (size_t i = 4 + 68; i < 4 + 68 + 255; ++i) unterminated[i] = 'x';
    CConfiguration config;
    config.LoadFromBytes(unterminated.data(), unterminated.size());
    EXPECT_EQ(std::string(config.GetWaveDirectory()).size(), 254u);
}

// Files written before the tempo detector field end after the mp3 flag.
TEST(Configuration, TempoDetectorFieldRoundTripsAndOlderFilesKeepItsDefaults) {
    auto current = FileOf(DefaultBody());
    std::vector<uint8_t> older(current.begin(), current.end() - 20);
    StoreLE32(older.data(), static_cast<uint32_t>(older.size() - 4));
    CConfiguration changed;
    changed.SetTempoDetector(CConfiguration::kClassicTempoDetector);
    changed.SetTempoRange(70.0, 139.5);
    changed.LoadFromBytes(older.data(), older.size());
    EXPECT_EQ(changed.GetTempoDetector(), CConfiguration::kClassicTempoDetector);  // untouched by the older file
    CConfiguration fresh;
    fresh.LoadFromBytes(older.data(), older.size());
    EXPECT_EQ(fresh.GetTempoDetector(), CConfiguration::kRobustTempoDetector);
    EXPECT_EQ(fresh.GetLowestTempo(), 88.0);
    EXPECT_EQ(fresh.GetHighestTempo(), 175.0);

    std::string path = ::testing::TempDir() + "config_tempo_detector.cfg";
    ASSERT_TRUE(changed.Save(path));
    CConfiguration read;
    ASSERT_EQ(read.Load(path), CConfiguration::FileState::Loaded);
    EXPECT_EQ(read.GetTempoDetector(), CConfiguration::kClassicTempoDetector);
    EXPECT_EQ(read.GetLowestTempo(), 70.0);
    EXPECT_EQ(read.GetHighestTempo(), 139.5);
    auto bytes = read.SaveToBytes();
    ASSERT_EQ(bytes.size(), current.size());
    EXPECT_EQ(LoadLE32(bytes.data() + bytes.size() - 20), 0u);
}

TEST(Configuration, ProgramPathAppendsTheNameToTheDirectory) {
    CConfiguration config;
    config.SetProgramDirectory("/home/dj/vantor");
    EXPECT_EQ(config.ProgramPath("Vantor.cfg"), "/home/dj/vantor/Vantor.cfg");
    config.SetProgramDirectory("/srv/");
    EXPECT_EQ(config.ProgramPath("SONGS.DB"), "/srv/SONGS.DB");
    CConfiguration fresh;
    EXPECT_EQ(fresh.GetProgramDirectory(), std::filesystem::current_path().string() + "/");
}

}  // namespace
}  // namespace vantor

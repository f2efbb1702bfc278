#include "database/profile_fields.h"

#include <gtest/gtest.h>

#include "config/configuration.h"
#include "database/music_database.h"
#include "temp_directory.h"

namespace vantor {
namespace {

class ProfileFields : public ::testing::Test {
protected:
    Status Set(const std::string& field, const std::string& value) {
        return SetProfileField(profile, field, value, config.GetGenrePresets());
    }
    CConfiguration config;
    CSongProfile profile;
};

TEST_F(ProfileFields, ValuesOutsideAFieldsLimitsLeaveTheProfileAsItWas) {
    profile.SetTitle("Night");
    profile.SetTempo(128.0);
    for (const char* tempo : {"0", "-1", "nan", "inf", "1001", "12x", ""}) {
        Status refused = Set("tempo", tempo);
        EXPECT_FALSE(refused) << tempo;
        EXPECT_EQ(profile.GetTempo(), 128.0) << tempo;
    }
    EXPECT_FALSE(Set("title", ""));
    EXPECT_EQ(Set("title", std::string(91, 'x')).Error().text, "The title holds at most 90 characters.");
    EXPECT_STREQ(profile.GetTitle(), "Night");
    EXPECT_FALSE(Set("archive-path", std::string(255, 'p')));
    EXPECT_FALSE(Set("genre", "256"));
    EXPECT_FALSE(Set("type", "record"));
    EXPECT_FALSE(Set("private", "maybe"));
    EXPECT_FALSE(Set("colour", "red"));

    EXPECT_TRUE(Set("title", std::string(90, 'x')));
    EXPECT_TRUE(Set("tempo", "99.5"));
    EXPECT_EQ(profile.GetTempo(), 99.5);
}

TEST_F(ProfileFields, KindAndGenreShareTheTypeWordWithoutDisturbingEachOther) {
    profile.SetType(CSongProfile::kDefaultType);
    ASSERT_TRUE(Set("genre", "7"));
    ASSERT_TRUE(Set("type", "sample"));
    EXPECT_EQ(profile.GetType(), CSongProfile::kTypeSample | 7);
    EXPECT_STREQ(ProfileKindName(profile.GetType()), "sample");
    ASSERT_TRUE(Set("type", "song"));
    EXPECT_EQ(profile.GetType(), CSongProfile::kTypeSong | 7);
    EXPECT_EQ(GenreName(config.GetGenrePresets(), 7), "Techno");
    EXPECT_EQ(GenreName(config.GetGenrePresets(), 250), "250");
}

TEST(StoreChangedProfile, MovesBetweenSongsAndSamplesWithoutLosingTheProfile) {
    test::TempDirectory dir;
    CMusicDatabase database;
    ASSERT_TRUE(database.Open(dir.Path()));
    CSongProfile song;
    song.SetLocalPath("/music/a.wav");
    song.SetTitle("A");
    ASSERT_TRUE(database.PutSong(song));

    RefPtr<CSongProfile> stored = database.GetSong("/music/a.wav");
    RefPtr<CSongProfile> changed(stored->Clone());
    CConfiguration config;
    ASSERT_TRUE(SetProfileField(*changed, "type", "sample", config.GetGenrePresets()));
    ASSERT_TRUE(StoreChangedProfile(database, *stored, *changed));
    EXPECT_EQ(database.GetSongCount(), 0);
    EXPECT_EQ(database.GetSampleCount(), 1);
    ASSERT_TRUE(database.GetSample("/music/a.wav"));
    EXPECT_STREQ(database.GetSample("/music/a.wav")->GetTitle(), "A");
}

}  // namespace
}  // namespace vantor

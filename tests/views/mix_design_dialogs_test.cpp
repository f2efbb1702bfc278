#include <gtest/gtest.h>

#include "config/configuration.h"
#include "editing/editing_fixtures.h"
#include "platform/scripted_user_interface.h"
#include "views/music_set_view.h"

namespace vantor {
namespace {

using Strings = std::vector<std::string>;

// A set with one segment of a song over the markers, the user scripted.
class MixDesignDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        key = library.AddSong("Song", 200000, 44100, 130.0);
        test::AddSegment(*set, 2, 0, 0, 200000, 1.0, key, "Whole");
    }

    test::SongLibrary library;
    std::string key;
    ScriptedUserInterface ui;
    CConfiguration config;
    RefPtr<CMusicSet> set = test::NewSet(2);
    CMusicSetView view{ui, &library.Database(), set.get(), "/sets/d.set", config, 1.0, 2.0};
};

TEST_F(MixDesignDialogsTest, CreateAsksForANameOffersNoMixInAndStoresTheChosenType) {
    int runs = 0;
    ASSERT_TRUE(view.CreateMixDesign([&](CCreateMixingDesignDialog& dialog) {
        ++runs;
        EXPECT_EQ(dialog.GetCandidates(), (Strings{"Track 2: Whole"}));
        EXPECT_FALSE(dialog.IsMixInShown());
        EXPECT_FALSE(dialog.SetType(CCreateMixingDesignDialog::Type::MixIn));
        EXPECT_EQ(dialog.GetType(), CCreateMixingDesignDialog::Type::Within);
        EXPECT_FALSE(dialog.ChoosePrimary(1));
        EXPECT_FALSE(dialog.Ok());
        EXPECT_EQ(ui.Messages().back().text, "Specify a name for this mixing design.");
        EXPECT_EQ(ui.Messages().back().caption, "Create Mixing Design");
        EXPECT_EQ(ui.Messages().back().icon, MessageIcon::Exclamation);
        dialog.SetName("Out");
        EXPECT_TRUE(dialog.SetType(CCreateMixingDesignDialog::Type::MixOut));
        return dialog.Ok();
    }));
    EXPECT_EQ(runs, 1);
    RefPtr<CSongProfile> song = library.Database().GetSong(key);
    ASSERT_EQ(song->GetMixOutDesigns().GetCount(), 1);
    EXPECT_EQ(song->GetWithinSongDesigns().GetCount(), 0);
    EXPECT_STREQ(song->GetMixOutDesigns().GetAt(0)->GetName(), "Out");
    EXPECT_EQ(song->GetMixOutDesigns().GetAt(0)->GetClip()->GetTag(), 1);

    // Cancel stores nothing.
    EXPECT_FALSE(view.CreateMixDesign([](CCreateMixingDesignDialog&) { return false; }));
    EXPECT_EQ(library.Database().GetSong(key)->GetMixOutDesigns().GetCount(), 1);
}

TEST_F(MixDesignDialogsTest, SelectListsWithinThenMixOutUnderTheSongsTitle) {
    ASSERT_TRUE(view.CreateMixDesign("In", false, [](const Strings&) { return 0; }));
    ASSERT_TRUE(view.CreateMixDesign("Out", true, [](const Strings&) { return 0; }));
    int runs = 0;
    EXPECT_FALSE(view.ApplyDesign([&](CSelectMixingDesignDialog&) { return ++runs > 0; }));
    EXPECT_EQ(ui.Messages().back().text, "Only one segment can be selected when applying a mixing design.");
    view.GetState().SelectOnly(2, test::EventAtIndex(*set->GetTrack(2), 0));
    EXPECT_FALSE(view.ApplyDesign([&](CSelectMixingDesignDialog& dialog) {
        ++runs;
        EXPECT_EQ(dialog.GetTitle(), "Song");
        EXPECT_EQ(dialog.GetDesigns(), (Strings{"In (Within)", "Out (Mix out)"}));
        EXPECT_EQ(dialog.GetChosen(), -1);
        EXPECT_FALSE(dialog.Choose(2));
        return true;  // OK without a row applies nothing
    }));
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace vantor

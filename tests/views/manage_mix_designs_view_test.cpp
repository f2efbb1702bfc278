#include "views/manage_mix_designs_view.h"

#include <gtest/gtest.h>

#include "database/music_database.h"
#include "editing/editing_fixtures.h"
#include "platform/scripted_user_interface.h"

namespace vantor {
namespace {

using Strings = std::vector<std::string>;

TEST(ManageMixDesignsViewTest, RemovalAsksFirstStoresTheProfileAndReportsAWriteThatFails) {
    test::SongLibrary library;
    const std::string key = library.AddSong("Song", 1000);
    {
        RefPtr<CSongProfile> song = library.Database().GetSong(key);
        for (const char* name : {"W1", "W2"}) {
            auto design = MakeRef<CMixingProfile>();
            design->SetName(name);
            design->SetClip(MakeRef<CSetClip>().get());  // a design is stored with its clip
            song->GetWithinSongDesigns().Add(design.get());
        }
        auto out = MakeRef<CMixingProfile>();
        out->SetName("O1");
        out->SetClip(MakeRef<CSetClip>().get());
        song->GetMixOutDesigns().Add(out.get());
        ASSERT_TRUE(library.Database().PutSong(*song));
    }
    ScriptedUserInterface ui;
    CManageMixDesignsView view(ui, library.Database());
    EXPECT_EQ(view.GetTitle(), "Manage Mix Designs");
    view.Open(library.Database().GetSong(key).get());
    EXPECT_EQ(view.GetTitle(), "Manage Mix Designs - Song");
    EXPECT_EQ(view.GetWithin(), (Strings{"W1", "W2"}));
    EXPECT_EQ(view.GetMixOut(), (Strings{"O1"}));

    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(view.RemoveWithin(0));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Remove W1. Are you sure?");
    EXPECT_EQ(ui.Messages()[0].caption, "Remove Within Mix");
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(view.RemoveWithin(0));
    ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(view.RemoveMixOut(0));
    EXPECT_EQ(ui.Messages().back().caption, "Remove Within Mix") << "one caption for both lists";
    EXPECT_FALSE(view.RemoveMixOut(0));
    EXPECT_EQ(library.Database().GetSong(key)->GetWithinSongDesigns().GetCount(), 1);
    EXPECT_EQ(library.Database().GetSong(key)->GetMixOutDesigns().GetCount(), 0);

    // A database that cannot be written: the user is told, the design stays.
    CMusicDatabase readOnly;
    ASSERT_TRUE(readOnly.Open(library.Dir().Path() + "/", StoreAccess::ReadOnly));
    ScriptedUserInterface other;
    CManageMixDesignsView locked(other, readOnly);
    locked.Open(readOnly.GetSong(key).get());
    other.QueueAnswer(MessageAnswer::Yes);
    EXPECT_FALSE(locked.RemoveWithin(0));
    EXPECT_EQ(other.Messages().back().text, "The song profile of Song could not be written.");
    EXPECT_EQ(other.Messages().back().icon, MessageIcon::Error);
    EXPECT_EQ(locked.GetWithin(), (Strings{"W2"}));
    readOnly.Close();
}

}  // namespace
}  // namespace vantor

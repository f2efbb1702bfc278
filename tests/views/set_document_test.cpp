#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <filesystem>

#include "views/set_document.h"
#include "model/set_file.h"
#include "platform/file_io.h"
#include "platform/scripted_user_interface.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

class SetDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(::testing::TempDir()) / ("setdoc_" + std::to_string(::getpid()) + "_" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }

    fs::path dir;
    ScriptedUserInterface ui;
    RecentFileList recent;
};

TEST_F(SetDocumentTest, OpeningAMissingFileIsReportedAndOpensNothing) {
    CSetDocument document(ui);
    EXPECT_FALSE(document.Open(Path("nothing.set")));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Unable to find specified file.");
    EXPECT_EQ(ui.Messages()[0].caption, "Open Set");
    EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(document.GetSet(), nullptr);
}

TEST_F(SetDocumentTest, SaveOfANewSetAsksForAPathAndNamesTheSetAfterIt) {
    CSetDocument document(ui, &recent);
    document.New(NewSetOptions{});
    EXPECT_EQ(document.GetTitle(), "Set Editor - Untitled");
    document.GetSet()->SetModified(true);
    ui.QueueSaveFile(Path("mix.set"));
    ASSERT_TRUE(document.Save());
    ASSERT_EQ(ui.FileChoices().size(), 1u);
    EXPECT_EQ(ui.FileChoices()[0].defaultExtension, ".set");
    EXPECT_EQ(ui.FileChoices()[0].filter, "set files (*.set)|*.set|all files (*.*)|*.*||");
    EXPECT_STREQ(document.GetSet()->GetName(), "mix.set");
    EXPECT_EQ(document.GetTitle(), "Set Editor - mix.set");
    EXPECT_FALSE(document.GetSet()->IsModified());
    EXPECT_EQ(recent.Paths(), std::vector<std::string>{Path("mix.set")});

    // The file holds the set; a second save writes the same bytes.
    auto first = ReadWholeFile(Path("mix.set"));
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, SerializeToBytes(*document.GetSet()));
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(*ReadWholeFile(Path("mix.set")), *first);

    CSetDocument reopened(ui);
    ASSERT_TRUE(reopened.Open(Path("mix.set")));
    EXPECT_EQ(reopened.GetSet()->GetTracks().GetCount(), 9);
    EXPECT_STREQ(reopened.GetSet()->GetName(), "mix.set");
}

TEST_F(SetDocumentTest, AFailedSaveIsReportedKeepsTheOldFileAndTheModifiedFlag) {
    CSetDocument document(ui);
    document.New(NewSetOptions{});
    ASSERT_TRUE(document.SaveAsPath(Path("keep.set")));
    auto before = ReadWholeFile(Path("keep.set"));

    document.GetSet()->GetTrack(1)->SetName("changed");
    document.GetSet()->SetModified(true);
    // The disk "fills up" after 500 bytes: the write of the new file fails
    // half-way, as on a full disk.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 500;
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = document.Save();
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);

    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Unable to save set file " + Path("keep.set") + ".");
    EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Error);
    EXPECT_TRUE(document.GetSet()->IsModified());
    EXPECT_EQ(*ReadWholeFile(Path("keep.set")), *before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temporary left
}

TEST_F(SetDocumentTest, SaveIntoAMissingDirectoryFailsWithoutLosingTheSetName) {
    CSetDocument document(ui);
    document.New(NewSetOptions{});
    document.GetSet()->SetModified(true);
    ui.QueueSaveFile(Path("no/such/dir/x.set"));
    EXPECT_FALSE(document.SaveAs());
    EXPECT_STREQ(document.GetSet()->GetName(), "Untitled");
    EXPECT_TRUE(document.GetPath().empty());
    EXPECT_EQ(ui.Messages().size(), 1u);
    // No temporary file is left behind anywhere in the directory.
    EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(SetDocumentTest, ClosingAModifiedSetAsksAndFollowsTheAnswer) {
    CSetDocument document(ui, &recent);
    document.New(NewSetOptions{});
    document.GetSet()->SetModified(true);

    ui.QueueAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(document.Close());
    EXPECT_EQ(ui.Messages().back().text, "Do you wish to save?");
    EXPECT_EQ(ui.Messages().back().caption, "Close Music Set");
    EXPECT_EQ(ui.Messages().back().buttons, MessageButtons::YesNoCancel);
    ASSERT_NE(document.GetSet(), nullptr);

    // Yes without a path asks for one; cancelling that cancels the close.
    ui.QueueAnswer(MessageAnswer::Yes);
    ui.QueueSaveFile(std::nullopt);
    EXPECT_FALSE(document.Close());
    EXPECT_EQ(ui.FileChoices().back().filter, "set files (*.set)|*.set||");

    ui.QueueAnswer(MessageAnswer::Yes);
    ui.QueueSaveFile(Path("closed.set"));
    EXPECT_TRUE(document.Close());
    EXPECT_TRUE(FileExists(Path("closed.set")));
    EXPECT_EQ(recent.Paths().front(), Path("closed.set"));
    EXPECT_EQ(document.GetSet(), nullptr);

    // No closes without writing; an unmodified set closes without a question.
    CSetDocument other(ui);
    other.New(NewSetOptions{});
    other.GetSet()->SetModified(true);
    ui.QueueAnswer(MessageAnswer::No);
    size_t asked = ui.Messages().size();
    EXPECT_TRUE(other.Close());
    EXPECT_EQ(ui.Messages().size(), asked + 1);
    other.New(NewSetOptions{});
    EXPECT_TRUE(other.Close());
    EXPECT_EQ(ui.Messages().size(), asked + 1);
}

TEST_F(SetDocumentTest, PlaylistPathsAreRecognisedByTheirExtension) {
    EXPECT_TRUE(CSetDocument::IsPlaylistPath("a/b.plt"));
    EXPECT_TRUE(CSetDocument::IsPlaylistPath("B.PLT"));
    EXPECT_FALSE(CSetDocument::IsPlaylistPath("b.plt.set"));
    EXPECT_FALSE(CSetDocument::IsPlaylistPath("plt"));
}

}  // namespace
}  // namespace vantor

#include "views/playlist_view.h"

#include <gtest/gtest.h>

#include "platform/scripted_user_interface.h"
#include "database/temp_directory.h"

namespace vantor {
namespace {

using test::TempDirectory;

class PlaylistViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_db.Open(m_dir.Path()));
        // Ten seconds of audio, and a song whose file is missing.
        m_dir.Write("ten.wav", std::vector<uint8_t>(10 * 44100 * 4 + 3, 0));
        AddSong(m_dir / "ten.wav", "Ten", 128.0);
        AddSong(m_dir / "gone.wav", "Gone", 99.5);
    }
    void AddSong(const std::string& key, const std::string& title, double tempo) {
        CSongProfile song;
        song.SetLocalPath(key);
        song.SetTitle(title);
        song.SetArtist("A " + title);
        song.SetMixer("M " + title);
        song.SetTempo(tempo);
        ASSERT_TRUE(m_db.PutSong(song));
    }
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (int32_t i = 0; i < m_view.GetPlaylist().GetCount(); ++i)
            keys.emplace_back(m_view.GetPlaylist().GetAt(i)->GetKey());
        return keys;
    }

    TempDirectory m_dir;
    CMusicDatabase m_db;
    ScriptedUserInterface m_ui;
    RecentFileList m_recent;
    CPlaylistView m_view{m_db, m_ui, &m_recent};
};

TEST_F(PlaylistViewTest, AddingTwiceIsRefusedAndTimeAddsUp) {
    EXPECT_EQ(m_view.GetTitle(), "PlayList Editor - Untitled");
    ASSERT_TRUE(m_view.AddSong(m_dir / "ten.wav"));
    EXPECT_EQ(m_view.GetTotalTime(), "00:00:10");
    EXPECT_FALSE(m_view.AddSong(m_dir / "ten.wav"));
    ASSERT_EQ(m_ui.Messages().size(), 1u);
    EXPECT_EQ(m_ui.Messages()[0].text, "Entry already exists in the playlist.");
    EXPECT_EQ(m_ui.Messages()[0].caption, "Add To PlayList");
    EXPECT_EQ(m_ui.Messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(m_view.GetPlaylist().GetCount(), 1);
    ASSERT_TRUE(m_view.AddSong(m_dir / "gone.wav", 0));
    ASSERT_TRUE(m_view.AddSong("/not/in/database.wav"));
    EXPECT_EQ(Keys(), (std::vector<std::string>{m_dir / "gone.wav", m_dir / "ten.wav", "/not/in/database.wav"}));
    EXPECT_EQ(m_view.GetTotalSeconds(), 10u);
    ASSERT_TRUE(m_view.Remove(1));
    EXPECT_EQ(m_view.GetTotalTime(), "00:00:00");
    EXPECT_FALSE(m_view.Remove(5));
}

TEST_F(PlaylistViewTest, RowsShowKnownSongsOnly) {
    m_view.AddSong(m_dir / "ten.wav");
    m_view.AddSong("/not/in/database.wav");
    m_view.AddSong(m_dir / "gone.wav");
    auto rows = m_view.GetRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].entry, 0);
    EXPECT_EQ(rows[0].title, "Ten");
    EXPECT_EQ(rows[0].artist, "A Ten");
    EXPECT_EQ(rows[0].mixer, "M Ten");
    EXPECT_EQ(rows[0].tempo, "128.000");
    EXPECT_EQ(rows[0].offline, "");
    EXPECT_EQ(rows[1].entry, 2);
    EXPECT_EQ(rows[1].tempo, "99.500");
    EXPECT_EQ(rows[1].offline, "X");
    EXPECT_EQ(rows[1].inSet, "");
}

TEST_F(PlaylistViewTest, EntriesMoveWithinTheList) {
    for (const char* key : {"/a", "/b", "/c"}) m_view.AddSong(key);
    EXPECT_EQ(m_view.MoveUp(0), -1);
    EXPECT_EQ(m_view.MoveDown(2), -1);
    EXPECT_EQ(m_view.MoveDown(0), 1);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"/b", "/a", "/c"}));
    EXPECT_EQ(m_view.MoveUp(2), 1);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"/b", "/c", "/a"}));
}

TEST_F(PlaylistViewTest, MarkFlagsTheSongsOfASet) {
    m_view.AddSong(m_dir / "ten.wav");
    m_view.AddSong(m_dir / "gone.wav");
    auto set = CMusicSet::CreateNew({});
    auto design = MakeRef<CSegmentDesign>();
    design->GetSegment()->SetSongKey(m_dir / "gone.wav");
    auto event = MakeRef<CEvent>();
    event->SetSegment(design.get());
    set->GetTrack(2)->AddEvent(event.get());
    m_view.Mark(set.get());
    EXPECT_FALSE(m_view.GetPlaylist().GetAt(0)->IsInSet());
    EXPECT_TRUE(m_view.GetPlaylist().GetAt(1)->IsInSet());
    EXPECT_EQ(m_view.GetRows()[1].inSet, "X");
    m_view.Mark(nullptr);
    EXPECT_FALSE(m_view.GetPlaylist().GetAt(1)->IsInSet());
}

TEST_F(PlaylistViewTest, SaveAsksForAFileOnceThenWritesThere) {
    m_view.AddSong(m_dir / "ten.wav");
    m_ui.QueueSaveFile(std::nullopt);
    EXPECT_FALSE(m_view.Save());
    ASSERT_EQ(m_ui.FileChoices().size(), 1u);
    EXPECT_EQ(m_ui.FileChoices()[0].defaultExtension, ".plt");
    EXPECT_EQ(m_ui.FileChoices()[0].filter, "playlist files (*.plt)|*.plt||");

    m_ui.QueueSaveFile(m_dir / "mix.plt");
    ASSERT_TRUE(m_view.Save());
    EXPECT_EQ(m_view.GetTitle(), "PlayList Editor - mix.plt");
    EXPECT_EQ(m_recent.Paths(), (std::vector<std::string>{m_dir / "mix.plt"}));
    m_view.AddSong(m_dir / "gone.wav");
    ASSERT_TRUE(m_view.Save());
    EXPECT_EQ(m_ui.FileChoices().size(), 2u);

    CPlaylistView other(m_db, m_ui);
    ASSERT_TRUE(other.Open(m_dir / "mix.plt"));
    EXPECT_EQ(other.GetPlaylist().GetCount(), 2);
    EXPECT_EQ(other.GetTotalTime(), "00:00:10");
    EXPECT_FALSE(other.Open(m_dir / "missing.plt"));
    EXPECT_EQ(other.GetPlaylist().GetCount(), 2);
    // A write that fails leaves the playlist where it was.
    EXPECT_FALSE(other.SaveAsPath("/nonexistent-dir/x.plt"));
    EXPECT_EQ(other.GetPath(), m_dir / "mix.plt");
}

}  // namespace
}  // namespace vantor

namespace vantor {
namespace {

// A playlist whose count was damaged reads as what could be read; the file is
// written again only with the user's consent, and then the original is kept.
TEST_F(PlaylistViewTest, ADamagedFileIsNeverRewrittenWithoutConsent) {
    ASSERT_TRUE(m_view.AddSong(m_dir / "ten.wav"));
    ASSERT_TRUE(m_view.AddSong(m_dir / "gone.wav"));
    const std::string path = m_dir / "list.plt";
    ASSERT_TRUE(m_view.SaveAsPath(path));
    std::vector<uint8_t> damaged = m_dir.Read("list.plt");
    damaged[4] = 0x7f;  // the count: far more entries than the bytes hold
    m_dir.Write("list.plt", damaged);

    CPlaylistView reopened(m_db, m_ui, nullptr);
    ASSERT_TRUE(reopened.Open(path));
    ASSERT_FALSE(m_ui.Messages().empty());
    EXPECT_NE(m_ui.Messages().back().text.find("is damaged"), std::string::npos);
    EXPECT_EQ(m_ui.Messages().back().icon, MessageIcon::Exclamation);

    m_ui.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(reopened.Save());
    EXPECT_EQ(m_dir.Read("list.plt"), damaged);
    EXPECT_FALSE(m_dir.Exists("list.plt.damaged"));

    m_ui.QueueAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(reopened.Save());
    EXPECT_EQ(m_dir.Read("list.plt.damaged"), damaged);
    CPlaylistView again(m_db, m_ui, nullptr);
    const size_t shown = m_ui.Messages().size();
    ASSERT_TRUE(again.Open(path));
    EXPECT_EQ(m_ui.Messages().size(), shown) << "the rewritten file reads cleanly";
}

TEST_F(PlaylistViewTest, AFileWrittenHereReadsCleanly) {
    ASSERT_TRUE(m_view.AddSong(m_dir / "ten.wav"));
    ASSERT_TRUE(m_view.SaveAsPath(m_dir / "clean.plt"));
    bool clean = false;
    ASSERT_TRUE(ReadPlaylistFile(m_dir / "clean.plt", &clean));
    EXPECT_TRUE(clean);
    std::vector<uint8_t> cut = m_dir.Read("clean.plt");
    cut.pop_back();
    m_dir.Write("cut.plt", cut);
    ASSERT_TRUE(ReadPlaylistFile(m_dir / "cut.plt", &clean));
    EXPECT_FALSE(clean);
}

}  // namespace
}  // namespace vantor

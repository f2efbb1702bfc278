#include <QTest>
#include <filesystem>

#include "add_batch_window.h"
#include "configuration_window.h"
#include "load_files_window.h"
#include "mixdown_window.h"
#include "music_database_window.h"
#include "set_window.h"
#include "song_profile_window.h"
#include "support/cli_runner.h"
#include "workstation/workstation_fixture.h"

namespace vantor {
namespace {

using test::WorkstationFixture;

TEST_F(WorkstationFixture, ConfigurationRefusesThirteenTracksAndStoresTwelve) {
    gui::ConfigurationWindow dialog(workstation->App(), &workstation->Main());
    dialog.show();
    ASSERT_GT(dialog.SetDevice()->count(), 0);
    for (int i = 0; i < dialog.SetDevice()->count(); ++i)
        EXPECT_TRUE(dialog.SetDevice()->itemText(i).contains(" (")) << dialog.SetDevice()->itemText(i).toStdString();
    EXPECT_EQ(dialog.ReferencePoint()->text().count('.'), 1);

    dialog.Tracks()->setValue(13);
    dialog.accept();
    Settle();
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], "Number of Tracks must be between 1 and 12.");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(workstation->App().Configuration().GetNumberOfTracks(), 13);

    dialog.Tracks()->setValue(12);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(workstation->App().Configuration().GetNumberOfTracks(), 12);
    workstation->Main().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&workstation->Main()));
    QTest::keyClick(&workstation->Main(), Qt::Key_N, Qt::ControlModifier);
    Settle();
    auto* set = workstation->Find<gui::SetWindow>(WindowKind::MusicSet);
    ASSERT_NE(set, nullptr);
    // A row per track, the tempo track's the first and the narrowest.
    const TimelineGeometry rows = set->Timeline()->Geometry();
    ASSERT_EQ(rows.rowHeights.size(), 13u);
    EXPECT_LT(rows.rowHeights[0], rows.rowHeights[12]);
    EXPECT_STREQ(set->View().GetSet().GetTrack(12)->GetName(), "Track 12");
}

TEST_F(WorkstationFixture, TheSoundServerSwitchWaitsForSetsToClose) {
    Command("New")->trigger();
    gui::ConfigurationWindow dialog(workstation->App(), &workstation->Main());
    const bool before = dialog.SoundServer()->isChecked();
    dialog.SoundServer()->setChecked(!before);
    dialog.accept();
    Settle();
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], "All sets must be closed before changing any Sound Server settings.");
    EXPECT_EQ(workstation->App().Configuration().GetUseSoundServer(), before);
}

TEST_F(WorkstationFixture, AnEmptyProfileIsRefusedWithTheTitleFocused) {
    Command("View Music")->trigger();
    Command("New Song Profile")->trigger();
    Settle();
    auto* editor = workstation->Find<gui::SongProfileWindow>(WindowKind::SongProfile);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->AddButton()->text(), "Add");
    EXPECT_EQ(editor->Field("tempo")->text(), "130");
    QTest::mouseClick(editor->AddButton(), Qt::LeftButton);
    Settle();
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], "Song title must be given");
    EXPECT_EQ(editor->View().GetFocus(), "title");

    const std::string fresh = dir / "fresh.wav";
    std::filesystem::copy_file(songs[0], fresh);
    QTest::keyClicks(editor->Field("title"), "Fresh Cut");
    QTest::keyClicks(editor->Field("localPath"), QString::fromStdString(fresh));
    QTest::mouseClick(editor->AddButton(), Qt::LeftButton);
    Settle();
    EXPECT_EQ(boxes.Texts().size(), 1u);
    auto stored = workstation->App().Database().GetSong(fresh);
    ASSERT_TRUE(stored);
    EXPECT_STREQ(stored->GetTitle(), "Fresh Cut");
    // The open database window heard of the new song and shows it.
    auto* database = workstation->Find<gui::MusicDatabaseWindow>(WindowKind::MusicDatabase);
    ASSERT_NE(database, nullptr);
    EXPECT_EQ(database->Table()->rowCount(), 4);
}

TEST_F(WorkstationFixture, AddBatchListsWhatBecameOfEachFile) {
    const std::string fresh = dir / "Delta - Fresh.wav";
    std::filesystem::copy_file(songs[0], fresh);
    gui::AddBatchWindow dialog(workstation->App(), &workstation->Main());
    auto outcome = dialog.AddFiles({fresh, songs[1]});
    ASSERT_EQ(dialog.Results()->count(), 2);
    EXPECT_TRUE(dialog.Results()->item(0)->text().startsWith("Added: "));
    EXPECT_TRUE(dialog.Results()->item(1)->text().startsWith("Already stored: "));
    EXPECT_TRUE(workstation->App().Database().GetSong(fresh));
}

TEST_F(WorkstationFixture, TheLoaderCopiesQueuedSongsOffTheUserInterfaceThread) {
    const std::string archive = dir / "archive.wav";
    std::filesystem::copy_file(songs[2], archive);
    auto job = LoadJob::Make("Crate", archive, dir / "copied.wav");
    ASSERT_TRUE(job);
    boxes.Queue(QMessageBox::Ok);
    workstation->App().QueueLoad(job.Value());
    Settle();
    auto* loader = workstation->Find<gui::LoadFilesWindow>(WindowKind::LoadFiles);
    ASSERT_NE(loader, nullptr);
    for (int i = 0; i < 200 && !std::filesystem::exists(dir / "copied.wav"); ++i) {
        QTest::qWait(20);
        loader->Turn();
    }
    std::string dropped;
    for (const auto& line : loader->View().GetDropped()) dropped += line + "\n";
    EXPECT_TRUE(std::filesystem::exists(dir / "copied.wav")) << dropped;
    loader->Turn();
    EXPECT_FALSE(loader->Count()->text().isEmpty());
}

TEST_F(WorkstationFixture, MixdownShowsProgressAndFinishes) {
    const char* bin = std::getenv("VANTOR_BIN");
    ASSERT_NE(bin, nullptr);
    const std::string set = dir / "mix.set";
    const std::string home = test::ShellQuote(dir.Path());
    const std::string vantor = test::ShellQuote(bin) + " --home " + home + " --yes ";
    ASSERT_EQ(std::system((vantor + "set new " + test::ShellQuote(set) + " >/dev/null").c_str()), 0);
    ASSERT_EQ(std::system((vantor + "set add " + test::ShellQuote(set) + " --track 1 --at 0 " +
                           test::ShellQuote(songs[0]) + " >/dev/null")
                              .c_str()),
              0);
    const std::string wave = dir / "mix.wav";
    auto* mixdown = gui::MixdownWindow::Start(workstation->App(), set, wave, &workstation->Main());
    ASSERT_NE(mixdown, nullptr);
    mixdown->show();
    EXPECT_EQ(mixdown->Button()->text(), "Cancel");
    for (int i = 0; i < 500 && !mixdown->Dialog().IsFinished(); ++i) {
        QTest::qWait(20);
        mixdown->Tick();
    }
    ASSERT_TRUE(mixdown->Dialog().IsFinished());
    EXPECT_EQ(mixdown->Button()->text(), "Finished");
    EXPECT_EQ(mixdown->Progress()->value(), 100);
    QTest::mouseClick(mixdown->Button(), Qt::LeftButton);
    Settle();
    EXPECT_GT(std::filesystem::file_size(wave), 6u * 44100 * 4);
}

}  // namespace
}  // namespace vantor

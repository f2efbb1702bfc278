#include <gtest/gtest.h>

#include "views/analyzer_view.h"
#include "views/database_update.h"
#include "views/first_time_open.h"
#include "analysis/analysis_fixtures.h"
#include "database/music_database.h"
#include "engine/wave_summary_file.h"
#include "platform/file_io.h"
#include "platform/scripted_user_interface.h"
#include "config/configuration.h"

namespace vantor {
namespace {

using test::Song;
using test::TempDir;

// A database in a fresh directory with songs written as wave files.
class AnalyzerFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(database.Open(dir.Path() + "/")); }

    RefPtr<CSongProfile> AddSong(const std::string& name, const Song& song) {
        const std::string path = dir / (name + ".wav");
        test::WriteBytes(path, test::WaveBytes(song.Bytes()));
        CSongProfile profile;
        profile.SetLocalPath(path);
        profile.SetTitle(name);
        profile.SetArtist("Tester");
        EXPECT_TRUE(database.PutSong(profile));
        return database.GetSong(path);
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : ui.Messages()) texts.push_back(m.text + " | " + m.caption);
        return texts;
    }

    TempDir dir;
    CMusicDatabase database;
    CConfiguration config;
    ScriptedUserInterface ui;
};

TEST_F(AnalyzerFixture, FirstOpenBuildsTheSummaryAndDetectThenOkStoresStartAndTempo) {
    RefPtr<CSongProfile> song = AddSong("groove", test::ClickTrack(126, 12, 44100));
    std::vector<std::string> changed;
    CAnalyzerView view(ui, database, config, [&](const std::string& key) { changed.push_back(key); });
    ASSERT_TRUE(view.Open(song));
    // The first open built the summary and measured it.
    CWaveSummaryFile summary(song->GetSummaryPath(), false);
    ASSERT_TRUE(summary.IsValid());
    EXPECT_NE(summary.GetReferenceLevel(), 32766);
    EXPECT_FALSE(ui.ProgressSteps().empty());
    EXPECT_EQ(view.GetTitle(), "Analyzer - groove (Tester)");
    EXPECT_EQ(view.GetBaseTempoLabel(), "Base Tempo: 130.00000");
    EXPECT_EQ(view.GetLabelText(), "Start");

    view.Detect();
    EXPECT_TRUE(ui.Messages().empty()) << ::testing::PrintToString(Texts());
    ASSERT_EQ(view.GetMatchPoints().size(), 1u);
    EXPECT_EQ(view.GetMatchPoints()[0]->GetPosition(), 44100u);
    EXPECT_EQ(view.GetMatchPoints()[0]->GetTempo(), 126.0);
    EXPECT_EQ(view.GetBaseTempoLabel(), "Base Tempo: 126.00000");
    EXPECT_DOUBLE_EQ(view.GetRulerOrigin(), 1.0);

    // Detect again from a cursor: the start point is replaced, not doubled.
    view.SetCursorTime(0.5);
    view.Detect();
    ASSERT_EQ(view.GetMatchPoints().size(), 1u);

    ASSERT_TRUE(view.Ok());
    EXPECT_FALSE(view.IsOpen());
    EXPECT_EQ(changed, std::vector<std::string>{song->GetLocalPath()});
    RefPtr<CSongProfile> stored = database.GetSong(song->GetLocalPath());
    EXPECT_EQ(stored->GetTempo(), 126.0);
    ASSERT_EQ(stored->GetMatchPoints().GetCount(), 1);
    EXPECT_STREQ(stored->GetMatchPoints().GetAt(0)->GetLabel(), "Start");
    EXPECT_STREQ(stored->GetMatchPoints().GetAt(0)->GetSongKey(), song->GetLocalPath());
}

TEST_F(AnalyzerFixture, RefusalsOfDetectLeaveTheTempoAlone) {
    // 150 beats a minute is outside the accepted range (110, 150).
    config.SetRoundTempo(true);
    config.SetTempoDetector(CConfiguration::kClassicTempoDetector);
    RefPtr<CSongProfile> fast = AddSong("fast", test::ClickTrack(150, 12));
    CAnalyzerView view(ui, database, config);
    ASSERT_TRUE(view.Open(fast));
    view.Detect();
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Unable to find tempo.");
    EXPECT_EQ(ui.Messages()[0].caption, "Detect Tempo");
    EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Error);
    ASSERT_EQ(view.GetMatchPoints().size(), 1u);
    EXPECT_EQ(view.GetMatchPoints()[0]->GetTempo(), 130.0);
    EXPECT_EQ(view.GetBaseTempoLabel(), "Base Tempo: 130.00000");

    // Silence for 25 s: no start.
    ui.ClearLog();
    Song quiet(30 * 44100);
    quiet.Mix(25 * 44100, 4410, [](double) { return 20000; });
    CAnalyzerView silent(ui, database, config);
    ASSERT_TRUE(silent.Open(AddSong("quiet", quiet)));
    silent.Detect();
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Unable to find start position for this song.");
    EXPECT_EQ(ui.Messages()[0].caption, "Generate Points");
    EXPECT_TRUE(silent.GetMatchPoints().empty());
}

TEST_F(AnalyzerFixture, CuePointCommands) {
    RefPtr<CSongProfile> song = AddSong("cues", test::ClickTrack(130, 6));
    CAnalyzerView view(ui, database, config);
    ASSERT_TRUE(view.Open(song));
    view.SetTimeText("1.5");
    view.SetTempoText("128");
    view.Add();  // START_SONG "Start"
    view.Add();
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Only one Cue Point of the selected type can exist.");
    EXPECT_EQ(ui.Messages()[0].caption, "Add Cue Point");
    view.SelectType(CMatchPoint::CHORUS);
    EXPECT_EQ(view.GetLabelText(), "Chorus");
    view.SetTimeText("2.25");
    view.Add();
    view.Add();  // a second chorus is fine
    view.SelectType(CMatchPoint::EXPLODE_DOWN);
    EXPECT_EQ(view.GetLabelText(), "ExploreDn");
    // Times outside the song and tempos that are no tempo are refused with
    // the range, never stored as 0.
    for (const char* time : {"-3", "nan", "7", "1e9", "x"}) {
        view.SetTimeText(time);
        EXPECT_FALSE(view.Add()) << time;
        EXPECT_EQ(ui.Messages().back().text,
                  "The time must be a number of seconds from 0 to 6.000, the song's length.");
    }
    view.SetTimeText("0");
    for (const char* tempo : {"-1", "0", "inf", "1001"}) {
        view.SetTempoText(tempo);
        EXPECT_FALSE(view.Add()) << tempo;
        EXPECT_EQ(ui.Messages().back().text,
                  "The tempo must be a number of beats per minute above 0 and at most 1000.");
    }
    view.SetTempoText("128");
    EXPECT_TRUE(view.Add());
    ASSERT_EQ(view.GetMatchPoints().size(), 4u);
    EXPECT_EQ(view.GetMatchPoints()[0]->GetPosition(), 66150u);
    EXPECT_EQ(view.GetMatchPoints()[1]->GetPosition(), 99225u);
    EXPECT_EQ(view.GetMatchPoints()[3]->GetPosition(), 0u);
    const auto rows = view.GetRows();
    EXPECT_EQ(rows[1].time, "2.25000");
    EXPECT_EQ(rows[1].type, "CHORUS");
    EXPECT_EQ(rows[1].tempo, "128.00000");
    EXPECT_EQ(rows[1].label, "Chorus");

    view.SelectMatchPoints({1});
    EXPECT_EQ(view.GetTimeText(), "2.25000");
    EXPECT_DOUBLE_EQ(view.GetRulerOrigin(), 2.25);
    EXPECT_EQ(view.GetRulerTempo(), 128.0);
    view.Goto();
    EXPECT_DOUBLE_EQ(view.GetViewTime(), 2.25);
    view.SelectMatchPoints({2, 3, 99});
    view.Remove();
    ASSERT_EQ(view.GetMatchPoints().size(), 2u);

    view.SetCursorTime(3.0);
    view.ShiftRulerGuide();
    EXPECT_DOUBLE_EQ(view.GetRulerOrigin(), 3.0);
    view.SetTempoText("127.25");
    view.BaseTempo();
    EXPECT_EQ(view.GetBaseTempoLabel(), "Base Tempo: 127.25");

    ui.ClearLog();
    view.ClearAll();  // unscripted: No
    EXPECT_EQ(ui.Messages().at(0).text, "Are you sure?");
    EXPECT_EQ(ui.Messages().at(0).caption, "Clear All Cue Points");
    EXPECT_EQ(view.GetMatchPoints().size(), 2u);
    ASSERT_TRUE(view.Ok());
    RefPtr<CSongProfile> stored = database.GetSong(song->GetLocalPath());
    EXPECT_EQ(stored->GetTempo(), 127.25);
    EXPECT_EQ(stored->GetMatchPoints().GetCount(), 2);
}

TEST_F(AnalyzerFixture, CancelStoresNothingAndAnotherWindowsChangeCloses) {
    RefPtr<CSongProfile> song = AddSong("keep", test::ClickTrack(130, 6));
    {
        CAnalyzerView view(ui, database, config);
        ASSERT_TRUE(view.Open(song));
        view.Add();
        view.Cancel();
        EXPECT_FALSE(view.IsOpen());
    }
    EXPECT_EQ(database.GetSong(song->GetLocalPath())->GetMatchPoints().GetCount(), 0);
    CAnalyzerView view(ui, database, config);
    ASSERT_TRUE(view.Open(song));
    view.OnSongChanged("other");
    EXPECT_TRUE(view.IsOpen());
    view.OnSongChanged(song->GetLocalPath());
    EXPECT_FALSE(view.IsOpen());
}

TEST_F(AnalyzerFixture, MissingAudioIsAnErrorOpeningTheWaveFile) {
    CSongProfile profile;
    profile.SetLocalPath(dir / "gone.wav");
    CAnalyzerView view(ui, database, config);
    EXPECT_FALSE(view.Open(RefPtr<CSongProfile>(profile.Clone())));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Error opening wave file");
    EXPECT_EQ(ui.Messages()[0].caption, "Song Analyzer");
    EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Error);
}

TEST_F(AnalyzerFixture, ThreadedUpdatePassBuildsAndMeasuresEverySong) {
    RefPtr<CSongProfile> a = AddSong("alpha", test::ClickTrack(128, 8));
    RefPtr<CSongProfile> b = AddSong("beta", test::ClickTrack(132, 8));
    CSongProfile gone;
    gone.SetLocalPath(dir / "gone.wav");
    gone.SetTitle("gone");
    ASSERT_TRUE(database.PutSong(gone));

    CDatabaseUpdate declined(ui, database);
    EXPECT_FALSE(declined.Run());  // unscripted OK/Cancel: Cancel
    EXPECT_FALSE(FileExists(a->GetSummaryPath()));
    EXPECT_EQ(ui.Messages().at(0).caption, "Update Music Database");

    ui.QueueAnswer(MessageAnswer::Ok);
    CDatabaseUpdate update(ui, database);
    EXPECT_EQ(update.GetElapsedText(), "0:00");
    ASSERT_TRUE(update.Run());
    EXPECT_EQ(update.GetRange(), 3);
    EXPECT_EQ(update.GetPosition(), 3);
    EXPECT_EQ(update.GetStatusText(), "Done");
    EXPECT_EQ(update.GetCancelButtonText(), "Finished");
    for (const auto& song : {a, b}) {
        CWaveSummaryFile summary(song->GetSummaryPath(), false);
        ASSERT_TRUE(summary.IsValid());
        // Clicks of 24000 (bucket 73), some riding on the tail of the click
        // before (74).
        EXPECT_GE(summary.GetReferenceLevel(), 327 * 73);
        EXPECT_LE(summary.GetReferenceLevel(), 327 * 74);
    }
}

TEST(FormatDuration, HoursMinutesSeconds) {
    EXPECT_EQ(FormatDuration(0), "00:00:00");
    EXPECT_EQ(FormatDuration(3725.4), "01:02:05");
}

}  // namespace
}  // namespace vantor

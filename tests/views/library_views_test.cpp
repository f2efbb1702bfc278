// Scripted tests of the music library's windows: the profile editor, the
// batch dialog, the loader, the category editor, the database and find
// windows, and Load Set Music.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/configuration.h"
#include "database/music_database.h"
#include "engine/audio_fixtures.h"
#include "model/recent_title_list.h"
#include "platform/file_io.h"
#include "platform/scripted_user_interface.h"
#include "views/add_batch_dialog.h"
#include "views/decompress_mp3_files.h"
#include "views/edit_categories_view.h"
#include "views/find_music_view.h"
#include "views/load_files_view.h"
#include "views/load_set_music_dialog.h"
#include "views/music_database_view.h"
#include "views/song_profile_view.h"

namespace vantor {
namespace {

using Shown = ScriptedUserInterface::ShownMessage;

class LibraryViews : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir / "local");
        std::filesystem::create_directories(dir / "archive");
        ASSERT_TRUE(database.Open(dir / "local/"));
        config.SetWaveDirectory(dir / "local");
        config.SetGenerateSummaries(false);
    }
    std::string Local(const std::string& name) const { return dir / ("local/" + name); }
    std::string Archive(const std::string& name) const { return dir / ("archive/" + name); }
    static void WriteWave(const std::string& path, uint32_t frames = 4410) {
        test::WriteBytes(path, test::WaveBytes(test::SineBurstPcm(frames)));
    }
    RefPtr<CSongProfile> StoreSong(const std::string& title, int32_t type = CSongProfile::kDefaultType,
                                   double tempo = 130.0, const std::string& archive = "") {
        auto song = MakeRef<CSongProfile>();
        song->SetTitle(title);
        song->SetArtist("Artist " + title);
        song->SetLocalPath(Local(title + ".wav"));
        song->SetArchivePath(archive);
        song->SetArchiveName(archive.empty() ? "" : "DISC");
        song->SetType(type);
        song->SetTempo(tempo);
        EXPECT_TRUE(database.PutSong(*song));
        return song;
    }
    const Shown& Last() const { return ui.Messages().back(); }
    CSongProfileView Editor() {
        return CSongProfileView(ui, database, &recent, config,
                                {[this](LoadJob job) { jobs.push_back(job); },
                                 [this](const std::string& key) { changed.push_back(key); }});
    }

    test::TempDir dir;
    CMusicDatabase database;
    CRecentTitleList recent;
    CConfiguration config;
    ScriptedUserInterface ui;
    std::vector<LoadJob> jobs;
    std::vector<std::string> changed;
};

// The profile editor.

TEST_F(LibraryViews, ProfileEditorRefusesAnIncompleteFormWithItsMessages) {
    CSongProfileView editor = Editor();
    EXPECT_EQ(editor.GetButtonText(), "Add");
    EXPECT_EQ(editor.Form().tempoText, "130");
    EXPECT_EQ(editor.Form().kind, CSongProfile::kTypeSong);
    EXPECT_EQ(editor.Form().genreId, 0);

    EXPECT_FALSE(editor.OnAdd());
    EXPECT_EQ(Last().text, "Song title must be given");
    EXPECT_EQ(Last().caption, "Edit Profile");
    EXPECT_EQ(editor.GetFocus(), "title");

    editor.Form().title = "T";
    EXPECT_FALSE(editor.OnAdd());
    EXPECT_EQ(Last().text, "Local or archive path must be given");
    EXPECT_EQ(editor.GetFocus(), "localPath");

    editor.Form().localPath = "/" + std::string(254, 'a');  // 255 characters
    EXPECT_FALSE(editor.OnAdd());
    EXPECT_EQ(Last().text, "Local or archive path is too long (must be < 255 characters)");
    editor.Form().localPath = "/" + std::string(253, 'a');  // 254: accepted, but missing
    EXPECT_FALSE(editor.OnAdd());
    EXPECT_EQ(Last().text, "Local filename does not exist.");

    test::FmtFields mono;
    mono.channels = 1;
    mono.blockAlign = 2;
    test::WriteBytes(Local("mono.wav"), test::WaveBytes(test::SineBurstPcm(4410, 1), mono));
    editor.Form().localPath = Local("mono.wav");
    EXPECT_FALSE(editor.OnAdd());
    EXPECT_EQ(Last().text,
              "Wave file is not in a supported format. All wave files must be:\nPCM, 44.1 khz, 16-bit, 2 channels.");
    EXPECT_EQ(database.GetSongCount(), 0);
}

TEST_F(LibraryViews, ProfileEditorRequiresAFiniteTempoAboveZeroAndFieldsThatFit) {
    WriteWave(Local("a.wav"));
    CSongProfileView editor = Editor();
    editor.Form().title = "T";
    editor.Form().localPath = Local("a.wav");
    for (const char* tempo : {"0", "-5", "abc", "nan", "inf", "", "12x"}) {
        editor.Form().tempoText = tempo;
        EXPECT_FALSE(editor.OnAdd()) << tempo;
        EXPECT_EQ(Last().text, "Tempo must be a number above 0.") << tempo;
    }
    editor.Form().tempoText = "128.5";
    editor.Form().title = std::string(100, 't');
    EXPECT_FALSE(editor.OnAdd());
    EXPECT_EQ(Last().text, "Title is too long (must be < 100 characters)");
    editor.Form().title = "T";
    editor.Form().archiveName = std::string(50, 'n');
    EXPECT_FALSE(editor.OnAdd());
    EXPECT_EQ(database.GetSongCount(), 0);
}

TEST_F(LibraryViews, ProfileEditorAddsAndModifiesWritingTheNewRecordFirst) {
    WriteWave(Local("Artist - Song (Dub).wav"));
    CSongProfileView editor = Editor();
    editor.ChooseLocalFile(Local("Artist - Song (Dub).wav"));
    EXPECT_EQ(editor.Form().artist, "Artist");
    EXPECT_EQ(editor.Form().title, "Song");
    EXPECT_EQ(editor.Form().mixer, "Dub");
    editor.Form().genreId = 5;
    editor.Form().tempoText = "127";
    ASSERT_TRUE(editor.OnAdd());
    auto stored = database.GetSong(Local("Artist - Song (Dub).wav"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->GetType(), CSongProfile::kTypeSong | 5);
    EXPECT_EQ(stored->GetTempo(), 127.0);
    ASSERT_EQ(jobs.size(), 1u) << "a new file is summarised by the loader";
    EXPECT_EQ(jobs[0].sourcePath, jobs[0].destinationPath);
    EXPECT_EQ(recent.GetCount(), 1);
    EXPECT_EQ(changed, std::vector<std::string>{Local("Artist - Song (Dub).wav")});

    // Only the kind changes: from the song store to the sample store.
    editor.ShowProfile(stored);
    EXPECT_EQ(editor.GetButtonText(), "Modify");
    editor.Form().kind = CSongProfile::kTypeSample;
    ASSERT_TRUE(editor.OnAdd());
    EXPECT_FALSE(database.GetSample(Local("Artist - Song (Dub).wav")) == nullptr);
    EXPECT_EQ(database.GetSongCount(), 0);
    EXPECT_EQ(database.GetSampleCount(), 1);
    EXPECT_EQ(jobs.size(), 1u) << "the same file is not summarised again";
    EXPECT_TRUE(editor.GetShownProfile()->IsSample());
}

TEST_F(LibraryViews, ProfileEditorKeepsTheOldRecordWhenTheNewOneCannotBeWritten) {
    WriteWave(Local("old.wav"));
    auto old = StoreSong("old");
    CSongProfileView editor = Editor();
    editor.ShowProfile(old);
    database.Close();  // every write fails from here on
    editor.Form().title = "renamed";
    EXPECT_FALSE(editor.OnAdd());
    EXPECT_EQ(Last().text, "The profile could not be stored.");
    ASSERT_TRUE(database.Open(Local("")));
    auto kept = database.GetSong(Local("old.wav"));
    ASSERT_TRUE(kept);
    EXPECT_STREQ(kept->GetTitle(), "old");
}

TEST_F(LibraryViews, ProfileEditorMovesAChangedLocalPathAndBuildsOneFromTheArchive) {
    WriteWave(Local("old.wav"));
    WriteWave(Local("new.wav"));
    auto old = StoreSong("old");
    CSongProfileView editor = Editor();
    editor.ShowProfile(old);
    editor.Form().localPath = Local("new.wav");
    ASSERT_TRUE(editor.OnAdd());
    EXPECT_FALSE(database.GetSong(Local("old.wav")));
    EXPECT_TRUE(database.GetSong(Local("new.wav")));

    CSongProfileView fresh = Editor();
    fresh.Form().title = "From archive";
    fresh.Form().archivePath = Archive("disc/song.wav");
    fresh.Form().archiveName = "DISC";
    ASSERT_TRUE(fresh.OnAdd());
    EXPECT_TRUE(database.GetSong(Local("song.wav"))) << "the configured wave directory gives the local path";
}

TEST_F(LibraryViews, ProfileEditorDecodesMp3FilesAfterAskingOrWhenConfigured) {
    test::WriteBytes(Local("a.mp3"), {1, 2, 3});
    CSongProfileView editor = Editor();
    editor.Form().title = "A";
    editor.Form().localPath = Local("a.mp3");
    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(editor.OnAdd());
    EXPECT_EQ(Last().text, "Vantor needs to decode your MP3 file into a WAVE file.\nDo you wish to continue?");
    EXPECT_EQ(Last().caption, "Add Profile");
    EXPECT_TRUE(jobs.empty());

    ui.QueueAnswer(MessageAnswer::Yes);
    ui.QueueSaveFile(std::nullopt);
    EXPECT_FALSE(editor.OnAdd());
    ASSERT_EQ(ui.FileChoices().size(), 1u);
    EXPECT_EQ(ui.FileChoices()[0].title, "Decode MP3");
    EXPECT_EQ(ui.FileChoices()[0].defaultExtension, ".wav");
    EXPECT_EQ(ui.FileChoices()[0].filter, "wave files (*.wav)|*.wav|all files (*.*)|*.*||");
    EXPECT_EQ(ui.FileChoices()[0].initialPath, Local("a.wav"));

    ui.QueueAnswer(MessageAnswer::Yes);
    ui.QueueSaveFile(Local("chosen.wav"));
    ASSERT_TRUE(editor.OnAdd());
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].sourcePath, Local("a.mp3"));
    EXPECT_EQ(jobs[0].destinationPath, Local("chosen.wav"));
    EXPECT_TRUE(database.GetSong(Local("chosen.wav")));

    config.SetDecodeMp3(true);
    ui.ClearLog();
    CSongProfileView quiet = Editor();
    quiet.Form().title = "B";
    quiet.Form().localPath = Local("a.mp3");
    ASSERT_TRUE(quiet.OnAdd());
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(jobs.back().destinationPath, Local("a.wav"));
}

// Add Batch of Music and Decompress MP3 Files.

TEST_F(LibraryViews, BatchDialogAsksForFilesAndAddsThem) {
    CAddBatchDialog dialog(ui, database, &recent, [this](LoadJob job) { jobs.push_back(job); },
                           [](const std::string&) { return std::string("LABEL"); });
    EXPECT_TRUE(dialog.Start().added.empty()) << "no file chosen, nothing happens";
    ASSERT_EQ(ui.FileChoices().size(), 1u);
    EXPECT_EQ(ui.FileChoices()[0].title, "Add Files");
    EXPECT_EQ(ui.FileChoices()[0].filter, CAddBatchDialog::kFilter);
    EXPECT_TRUE(ui.FileChoices()[0].multiple);

    dialog.Settings().location = BatchAddSettings::Location::Archive;
    dialog.Settings().useVolumeLabel = true;
    dialog.Settings().localWaveDirectory = Local("");
    ui.QueueOpenFiles({Archive("x - y.mp3")});
    const auto outcome = dialog.Start();
    ASSERT_EQ(outcome.added.size(), 1u);
    EXPECT_EQ(jobs.back().archiveName, "LABEL");
    EXPECT_STREQ(database.GetSong(Local("x - y.wav"))->GetArchiveName(), "LABEL");
}

TEST_F(LibraryViews, DecompressQueuesEveryChosenMp3File) {
    CDecompressMp3Files command(ui, [this](LoadJob job) { jobs.push_back(job); });
    ui.QueueOpenFiles({Local("a.mp3"), Local("b.MP3")});
    EXPECT_EQ(command.Run().size(), 2u);
    EXPECT_EQ(ui.FileChoices()[0].title, "Decompress MP3 Files");
    EXPECT_EQ(ui.FileChoices()[0].filter, "mp3 audio (*.mp3)|*.mp3|all files (*.*)|*.*||");
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[1].destinationPath, Local("b.wav"));
}

// The Music Loader window.

TEST_F(LibraryViews, ThreadedLoaderAsksForTheArchiveOnTheWindowsSide) {
    WriteWave(Archive("a.wav"));
    WriteWave(Archive("b.wav"));
    std::atomic<int> refills{0};
    CLoadFilesView loader(ui, config, [&] { ++refills; });
    loader.QueueLoad(LoadJob::Make("DISC", Archive("a.wav"), Local("a.wav")).Value());
    loader.QueueLoad(LoadJob::Make("DISC", Archive("b.wav"), Local("b.wav")).Value());
    EXPECT_EQ(loader.GetCountText(), "2");
    ui.QueueAnswer(MessageAnswer::Ok);
    loader.RunUntilIdle();
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Insert archive DISC. Ready?");
    EXPECT_EQ(ui.Messages()[0].caption, "Load Music");
    EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(refills, 2);
    EXPECT_EQ(loader.GetCountText(), "0");
    EXPECT_TRUE(FileExists(Local("b.wav")));

    loader.QueueLoad(LoadJob::Make("DISC", Archive("a.wav"), Local("c.wav")).Value());
    ui.QueueAnswer(MessageAnswer::Cancel);
    loader.RunUntilIdle();
    EXPECT_FALSE(FileExists(Local("c.wav")));
    ASSERT_EQ(loader.GetDropped().size(), 1u);
    EXPECT_TRUE(loader.Close().empty());
}

// The music database window and Load/Unload/Remove.

TEST_F(LibraryViews, DatabaseWindowFiltersSortsAndJumps) {
    StoreSong("beta", CSongProfile::kTypeSong | 1, 90.0);
    StoreSong("Alpha", CSongProfile::kTypeBeats | 2, 128.0);
    StoreSong("gamma", CSongProfile::kTypeAcapella | 3, 100.0);
    StoreSong("9 lives", CSongProfile::kTypeSong | 1, 140.0);
    auto hidden = StoreSong("zeta private");
    hidden->SetPrivate(true);
    database.PutSong(*hidden);
    CSongProfile sample;
    sample.SetTitle("a sample");
    sample.SetLocalPath(Local("sample.wav"));
    sample.SetType(CSongProfile::kTypeSample);
    database.PutSample(sample);

    config.SetHidePrivateMusic(true);
    CMusicDatabaseView view(ui, database, recent, config);
    view.Open();
    EXPECT_EQ(view.GetListChoices()[0], "All");
    EXPECT_EQ(view.GetListChoices()[1], "Latest");
    auto titles = [&] {
        std::vector<std::string> out;
        for (const auto& row : view.GetRows()) out.push_back(row.title);
        return out;
    };
    EXPECT_EQ(titles(), (std::vector<std::string>{"9 lives", "Alpha", "beta", "gamma"}));
    EXPECT_EQ(view.GetRows()[0].tempo, "140.000");
    EXPECT_EQ(view.GetRows()[0].offline, "X");

    view.ToggleKind(CSongProfile::kTypeSong);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Alpha", "gamma"}));
    view.ToggleKind(CSongProfile::kTypeSong);

    // Tempo texts sort as text: "100.000000" < "128.000000" < "140..." < "90...".
    view.ClickHeader(2);
    EXPECT_EQ(titles(), (std::vector<std::string>{"gamma", "Alpha", "9 lives", "beta"}));
    view.ClickHeader(4);
    EXPECT_EQ(view.GetSortMode(), 2);

    view.ClickHeader(0);
    view.SetVisibleRows(2);  // the top row is clamped to what leaves the window full
    view.JumpToLetter('B');
    EXPECT_EQ(view.GetTopRow(), 2);
    EXPECT_EQ(titles(), (std::vector<std::string>{"beta", "gamma"}));
    view.SetVisibleRows(1);
    view.JumpToLetter('1');
    EXPECT_EQ(titles(), std::vector<std::string>{"9 lives"});
    view.ScrollTo(100);
    EXPECT_EQ(view.GetTopRow(), view.GetScrollMaximum());
    view.ScrollTo(-4);
    EXPECT_EQ(view.GetTopRow(), 0);

    // Private music is hidden from key lists too.
    view.SetVisibleRows(30);
    view.ShowKeys({hidden->GetKey(), "", Local("beta.wav")});
    EXPECT_EQ(titles(), std::vector<std::string>{"beta"});
}

// A genre filter shows one genre's songs in every list mode and lets the
// kind toggles still apply.
TEST_F(LibraryViews, DatabaseWindowFiltersByGenre) {
    StoreSong("one", CSongProfile::kTypeSong | 7);
    StoreSong("two", CSongProfile::kTypeBeats | 7);
    StoreSong("three", CSongProfile::kTypeSong | 2);
    CMusicDatabaseView view(ui, database, recent, config);
    view.Open();
    auto titles = [&] {
        std::vector<std::string> out;
        for (const auto& row : view.GetRows()) out.push_back(row.title);
        return out;
    };
    view.SetGenreFilter(7);
    EXPECT_EQ(titles(), (std::vector<std::string>{"one", "two"}));
    view.ToggleKind(CSongProfile::kTypeBeats);
    EXPECT_EQ(titles(), std::vector<std::string>{"one"});
    view.ShowKeys({Local("three.wav"), Local("one.wav")});
    EXPECT_EQ(titles(), std::vector<std::string>{"one"});
    view.SetGenreFilter(std::nullopt);
    EXPECT_EQ(titles(), (std::vector<std::string>{"three", "one"}));
}

// The editor lists the shown profile's cue points and stores the form's:
// one start and one end at most, labels within their field.
TEST_F(LibraryViews, ProfileEditorStoresTheFormsCuePoints) {
    WriteWave(Local("cues.wav"));
    auto song = StoreSong("cues");
    auto start = MakeRef<CMatchPoint>();
    start->SetType(CMatchPoint::START_SONG);
    start->SetPosition(100);
    start->SetLabel("Start");
    ASSERT_TRUE(song->AddMatchPoint(start));
    ASSERT_TRUE(database.PutSong(*song));

    CSongProfileView editor = Editor();
    editor.ShowProfile(database.GetSong(song->GetKey()));
    ASSERT_EQ(editor.Form().cuePoints.size(), 1u);
    EXPECT_EQ(editor.Form().cuePoints[0].position, 100u);
    editor.Form().cuePoints.push_back({CMatchPoint::CHORUS, 4000, "Drop", 128.0});
    ASSERT_TRUE(editor.OnAdd());
    auto stored = database.GetSong(song->GetKey());
    ASSERT_EQ(stored->GetMatchPoints().GetCount(), 2);
    EXPECT_STREQ(stored->GetMatchPoints().GetAt(1)->GetLabel(), "Drop");
    EXPECT_STREQ(stored->GetMatchPoints().GetAt(1)->GetSongKey(), song->GetKey());

    editor.Form().cuePoints.push_back({CMatchPoint::START_SONG, 10, "Again", 128.0});
    EXPECT_FALSE(editor.OnAdd());
    EXPECT_EQ(Last().text, "A song has one start and one end cue point at most.");
    editor.Form().cuePoints.pop_back();
    editor.Form().cuePoints.push_back({CMatchPoint::VERSE, 10, std::string(30, 'l'), 128.0});
    EXPECT_FALSE(editor.OnAdd());
    EXPECT_EQ(Last().text, "Cue point label is too long (must be < 30 characters)");
    editor.Form().cuePoints.back() = {CMatchPoint::VERSE, 10, "Verse", -1.0};
    EXPECT_FALSE(editor.OnAdd());
    EXPECT_EQ(database.GetSong(song->GetKey())->GetMatchPoints().GetCount(), 2) << "refusals store nothing";
}

// Files named on a command line may not exist; the dialog refuses them.
TEST_F(LibraryViews, BatchDialogRefusesFilesThatDoNotExist) {
    WriteWave(Local("here.wav"));
    CAddBatchDialog dialog(ui, database, &recent, [this](LoadJob job) { jobs.push_back(job); });
    const auto outcome = dialog.AddFiles({Local("gone.wav"), Local("here.wav")});
    EXPECT_EQ(outcome.added, std::vector<std::string>{Local("here.wav")});
    ASSERT_EQ(outcome.refused.size(), 1u);
    EXPECT_EQ(Last().text, Local("gone.wav") + ": Local filename does not exist.");
    EXPECT_EQ(Last().caption, "Add Batch of Music");
}

TEST_F(LibraryViews, DatabaseWindowPrunesLatestTitlesWhoseSongsAreGone) {
    auto kept = StoreSong("kept");
    recent.AddTitle(kept->GetKey());
    recent.AddTitle(Local("gone.wav"));
    CMusicDatabaseView view(ui, database, recent, config);
    view.ChooseList("Latest");
    EXPECT_EQ(recent.GetCount(), 1);
    ASSERT_EQ(view.GetRows().size(), 1u);
    ASSERT_TRUE(database.CreateCategory("House"));
    ASSERT_TRUE(database.AddToCategory("House", kept->GetKey()));
    view.ChooseList("House");
    EXPECT_EQ(view.GetListMode(), CMusicDatabaseView::ListMode::Keys);
    EXPECT_EQ(view.GetRows().size(), 1u);
}

TEST_F(LibraryViews, LoadUnloadAndRemoveSongSpeakWithTheirMessages) {
    WriteWave(Local("local.wav"));
    StoreSong("local", CSongProfile::kDefaultType, 130.0, Archive("local.wav"));
    StoreSong("offline", CSongProfile::kDefaultType, 130.0, Archive("offline.wav"));
    WriteWave(Local("noarchive.wav"));
    StoreSong("noarchive");
    CMusicDatabaseView view(ui, database, recent, config, {[this](LoadJob job) { jobs.push_back(job); }, {}, {}, {}});
    view.Open();
    ASSERT_EQ(view.GetRows().size(), 3u);  // local, noarchive, offline

    view.LoadMusic(0);
    EXPECT_EQ(Last().text, "Already loaded to the local path.");
    EXPECT_EQ(Last().caption, "Load Music");
    EXPECT_EQ(Last().icon, MessageIcon::Information);
    view.LoadMusic(2);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].archiveName, "DISC");

    view.UnloadMusic(1);
    EXPECT_EQ(Last().text, "No archive path is defined for this item.\nUnloading this file would permanently remove it.");
    EXPECT_TRUE(FileExists(Local("noarchive.wav")));
    view.UnloadMusic(2);
    EXPECT_EQ(Last().text, "File has not be loaded to local path.");
    view.UnloadMusic(0);
    EXPECT_FALSE(FileExists(Local("local.wav")));

    view.AnalyzeSong(2);
    EXPECT_EQ(Last().text, "File is offline. Load file to the local hard disk and reselect this option.");
    EXPECT_EQ(Last().caption, "Analyze Song");
    view.OpenMixingDesigns(2);
    EXPECT_EQ(Last().caption, "Segment Editor");

    ui.QueueAnswer(MessageAnswer::No);
    view.RemoveSong(1);
    EXPECT_EQ(Last().text, "Are you sure?");
    EXPECT_EQ(Last().caption, "Remove Song");
    EXPECT_EQ(database.GetSongCount(), 3);
    ui.QueueAnswer(MessageAnswer::Yes);
    view.RemoveSong(1);
    EXPECT_EQ(database.GetSongCount(), 2);
}

TEST_F(LibraryViews, ADraggedSongBecomesASegmentDesignOnlyWhenItsAudioOpens) {
    WriteWave(Local("here.wav"), 22050);
    StoreSong("here", CSongProfile::kDefaultType, 126.0);
    StoreSong("there");
    CMusicDatabaseView view(ui, database, recent, config);
    view.Open();
    EXPECT_FALSE(view.BeginDrag(1).has_value());
    auto design = view.BeginDrag(0);
    ASSERT_TRUE(design.has_value());
    EXPECT_STREQ((*design)->GetName(), "here");
    EXPECT_EQ((*design)->GetTempo(), 126.0);
    EXPECT_EQ((*design)->GetSegment()->GetStart(), 0);
    EXPECT_EQ((*design)->GetSegment()->GetEnd(), 22050);
    EXPECT_EQ((*design)->GetSegment()->GetRatio(), 1.0);
    EXPECT_STREQ((*design)->GetSegment()->GetSongKey(), Local("here.wav").c_str());

    // Dropped on the category editor it joins the selected category.
    CEditCategoriesView categories(ui, database);
    ASSERT_TRUE(categories.Add("Warmup"));
    EXPECT_FALSE(categories.DropSegmentDesign(**design, 2));
    EXPECT_TRUE(categories.DropSegmentDesign(**design, 1));
    EXPECT_EQ(categories.GetTotalText(), "Total Items: 1");
}

// The find window.

TEST_F(LibraryViews, FindWithoutCriteriaListsEverySongInTitleOrder) {
    StoreSong("b");
    StoreSong("a", CSongProfile::kTypeBeats | 4, 150.0);
    std::vector<std::string> shown;
    CFindMusicView find(ui, database, config, [&](std::vector<std::string> keys) { shown = keys; });
    EXPECT_EQ(find.GetGenreBoxes().size(), 13u);
    EXPECT_EQ(find.Find(), (std::vector<std::string>{Local("a.wav"), Local("b.wav")}));
    EXPECT_EQ(shown.size(), 2u);

    find.GetFields().beats = true;
    EXPECT_EQ(find.Find(), std::vector<std::string>{Local("a.wav")});
    find.SelectNone();
    find.GetFields().tempoFrom = "140";
    EXPECT_EQ(find.Find(), std::vector<std::string>{Local("a.wav")});
    find.GetFields().tempoFrom = "x";
    EXPECT_TRUE(find.Find().empty());
    EXPECT_EQ(Last().text, "Tempo must be a number.");
}

TEST_F(LibraryViews, FindLooksGenreBoxesUpByIdSoADamagedIdMatchesNone) {
    StoreSong("fine", CSongProfile::kTypeSong | 4);
    StoreSong("damaged", CSongProfile::kTypeSong | 200);
    StoreSong("mixed", CSongProfile::kTypeSong | 1);
    auto mixed = database.GetSong(Local("mixed.wav"));
    mixed->SetMixer("Club Dub");
    mixed->SetAlbum("Summer");
    database.PutSong(*mixed);
    CFindMusicView find(ui, database, config, {});
    EXPECT_FALSE(find.SetGenreBox(200, true));
    ASSERT_TRUE(find.SetGenreBox(4, true));
    EXPECT_EQ(find.Find(), std::vector<std::string>{Local("fine.wav")});
    find.SelectAll();
    EXPECT_EQ(find.Find().size(), 2u) << "the damaged id has no box";
    find.SelectNone();
    find.GetFields().mixer = "dub";
    find.GetFields().album = "SUMM";
    EXPECT_EQ(find.Find(), std::vector<std::string>{Local("mixed.wav")});
}

// The category editor.

TEST_F(LibraryViews, CategoryEditorAddsRemovesAndReportsItsEntries) {
    auto song = StoreSong("song", CSongProfile::kDefaultType, 128.5);
    song->SetMixer("Mix");
    database.PutSong(*song);
    CEditCategoriesView editor(ui, database);
    editor.Open();
    EXPECT_TRUE(editor.Add("House"));
    EXPECT_FALSE(editor.Add("House"));
    EXPECT_EQ(Last().text, "That category already exists!");
    EXPECT_EQ(Last().caption, "Add Category");
    EXPECT_FALSE(editor.Add(" Space"));
    EXPECT_EQ(Last().text, "Category must not be empty and not begin with a space character.");
    EXPECT_FALSE(editor.Add("../../escape"));
    EXPECT_FALSE(std::filesystem::exists(dir / "escape"));
    EXPECT_TRUE(editor.Add("Techno"));
    EXPECT_EQ(editor.GetSelected(), "Techno");

    editor.Select("House");
    ASSERT_TRUE(database.AddToCategory("House", song->GetKey()));
    editor.Select("House");
    EXPECT_EQ(editor.GetTotalText(), "Total Items: 1");
    editor.ShowInfo(0);
    EXPECT_EQ(Last().text, "Name: song\nArtist: Artist song\nMixer: Mix\nTempo: 128.500\n");
    EXPECT_EQ(Last().caption, "Entry Info");
    EXPECT_TRUE(editor.RemoveEntry(0));
    EXPECT_EQ(editor.GetTotalText(), "Total Items: 0");

    ui.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(editor.Remove("Techno"));
    EXPECT_EQ(Last().caption, "Remove Category");
    ui.QueueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(editor.Remove("Techno"));
    EXPECT_EQ(editor.GetSelected(), "House");
    EXPECT_EQ(database.CategoryNames(), std::vector<std::string>{"House"});
}

// Load Set Music.

TEST_F(LibraryViews, ThreadedLoadSetMusicAsksPerArchiveAndEndsFinished) {
    WriteWave(Archive("a.wav"));
    WriteWave(Archive("b.wav"));
    StoreSong("a", CSongProfile::kDefaultType, 130.0, Archive("a.wav"));
    StoreSong("b", CSongProfile::kDefaultType, 130.0, Archive("b.wav"));
    CLoadSetMusicDialog dialog(ui, database);
    ui.QueueAnswer(MessageAnswer::Ok);
    ui.QueueAnswer(MessageAnswer::Cancel);
    ui.QueueAnswer(MessageAnswer::Yes);
    const auto result = dialog.Run({{"one", Local("a.wav")}, {"two", Local("b.wav")}});
    ASSERT_EQ(ui.Messages().size(), 3u);
    EXPECT_EQ(ui.Messages()[0].text, "Files will be copied from archive: one. Ready?");
    EXPECT_EQ(ui.Messages()[0].caption, "Load Set Music");
    EXPECT_EQ(ui.Messages()[2].text, "Skipping to next archive. Do you wish to continue?");
    EXPECT_EQ(ui.Messages()[2].buttons, MessageButtons::YesNo);
    EXPECT_EQ(result.copied, 1u);
    EXPECT_TRUE(FileExists(Local("a.wav")));
    EXPECT_FALSE(FileExists(Local("b.wav")));
    EXPECT_EQ(dialog.GetStatusText(), "Done");
    EXPECT_EQ(dialog.GetCancelButtonText(), "Finished");
    EXPECT_EQ(dialog.GetRemainingText(), "0:00");
}

}  // namespace
}  // namespace vantor

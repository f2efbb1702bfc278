// The music library at its sizes: batch adding short generated wave files
// with summaries on (the store, the loader's job and its summary per file),
// then listing, filtering, jumping and finding in a database of 100,000
// songs through the music database and find windows.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "database/key_entry.h"
#include "database/music_database.h"
#include "database/song_search.h"
#include "library/batch_add.h"
#include "model/recent_title_list.h"
#include "model/set_file.h"
#include "platform/file_io.h"
#include "platform/little_endian.h"
#include "platform/scripted_user_interface.h"
#include "views/find_music_view.h"
#include "views/music_database_view.h"

using namespace vantor;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double CpuMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

// Runs the work and prints the median of its wall-clock times and of the
// processor time it took (which a busy machine does not stretch).
template <class Work>
void Report(const std::string& name, int runs, Work work) {
    std::vector<double> times, cpu;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        const double cpuStart = CpuMilliseconds();
        work();
        cpu.push_back(CpuMilliseconds() - cpuStart);
        times.push_back(Milliseconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%s: %.1f ms\n%s_cpu: %.1f ms\n", name.c_str(), times[times.size() / 2], name.c_str(),
                cpu[cpu.size() / 2]);
}

void Fail(const char* what) {
    std::fprintf(stderr, "library_bench: %s\n", what);
    std::exit(1);
}

// A 16-bit stereo wave file of silence with a few clicks, just long enough
// for the loader to build its summary (more than 200000 frames).
void WriteShortWave(const std::string& path, uint32_t frames) {
    std::vector<uint8_t> bytes(44 + static_cast<size_t>(frames) * 4, 0);
    auto put = [&](size_t at, uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    };
    std::copy_n("RIFF", 4, bytes.begin());
    put(4, static_cast<uint32_t>(bytes.size() - 8), 4);
    std::copy_n("WAVEfmt ", 8, bytes.begin() + 8);
    put(16, 16, 4);
    put(20, 1, 2);
    put(22, 2, 2);
    put(24, 44100, 4);
    put(28, 44100 * 4, 4);
    put(32, 4, 2);
    put(34, 16, 2);
    std::copy_n("data", 4, bytes.begin() + 36);
    put(40, frames * 4, 4);
    for (uint32_t f = 0; f < frames; f += 11025) put(44 + static_cast<size_t>(f) * 4, 0x40004000, 4);
    if (!WriteFileReplacing(path, bytes.data(), bytes.size())) Fail("could not write the wave file");
}

// Batch adding count files in local mode with summaries on: the batch
// stores each default profile and queues its job; each job is then carried
// out as the loader's worker does (the summary step, the file being its
// own destination). The files are hard links of one generated file, so
// the disk holds one file's audio however many are added.
void BenchBatchAdd(const std::string& dir, int count) {
    const std::string music = dir + "music/";
    fs::create_directories(music);
    const std::string original = music + "original.wav";
    WriteShortWave(original, 200100);
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        files.push_back(music + "Artist " + std::to_string(i % 97) + " - Title " + std::to_string(i) + ".wav");
        fs::create_hard_link(original, files.back());
    }
    fs::create_directories(dir + "batch/");
    CMusicDatabase database;
    if (!database.Open(dir + "batch/")) Fail("the batch database did not open");
    CRecentTitleList recent;
    std::vector<LoadJob> jobs;
    CBatchAdd batch(database, &recent, [&](LoadJob job) { jobs.push_back(std::move(job)); }, {});
    const auto start = Clock::now();
    const BatchAddOutcome outcome = batch.Run(files, BatchAddSettings{});
    const double storing = Milliseconds(Clock::now() - start);
    if (outcome.added.size() != files.size() || jobs.size() != files.size()) Fail("the batch did not add every file");
    double summarySeconds = 0.0;
    const LoadSettings settings{true};
    for (const LoadJob& job : jobs) {
        const LoadJobOutcome done = CarryOutLoadJob(job, settings);
        if (!done.carriedOut) Fail("a load job failed");
        summarySeconds += done.summarySeconds;
    }
    const double total = Milliseconds(Clock::now() - start);
    if (!fs::exists(ReplaceExtension(files.back(), ".sm"))) Fail("no summary was built");
    std::printf("batch_add_%d_files_total: %.0f ms\n", count, total);
    std::printf("batch_add_per_file: %.3f ms\n", total / count);
    std::printf("batch_add_store_per_file: %.3f ms\n", storing / count);
    std::printf("batch_add_summary_share: %.1f %%\n", 100.0 * summarySeconds * 1000.0 / total);
}

// A song store of count songs written straight from the record layouts,
// as a compacted store holds them: kinds mostly Song, some Beats and
// Acapella; thirteen genres; titles beginning with every letter and digit.
void BuildStore(const std::string& dir, int count) {
    fs::create_directories(dir);
    std::mt19937 random(42);
    const char* initials = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::vector<uint8_t> data;
    std::vector<uint8_t> keys(4 + static_cast<size_t>(count) * KeyEntry::kSize);
    StoreLE32(keys.data(), static_cast<uint32_t>(count));
    for (int i = 0; i < count; ++i) {
        CSongProfile song;
        const std::string key = "/home/dj/music/artist " + std::to_string(i % 997) + "/song " + std::to_string(i) +
                                ".wav";
        song.SetLocalPath(key);
        song.SetTitle(std::string(1, initials[random() % 36]) + "itle " + std::to_string(random() % 1000000));
        song.SetArtist("Artist " + std::to_string(i % 997));
        song.SetMixer(i % 50 == 0 ? "Dub Mix" : "Original Mix");
        song.SetAlbum("Album " + std::to_string(i % 500));
        song.SetTempo(120.0 + static_cast<double>(random() % 2000) / 100.0);
        const int32_t kind = i % 10 == 0 ? CSongProfile::kTypeBeats
                             : i % 10 == 1 ? CSongProfile::kTypeAcapella
                                           : CSongProfile::kTypeSong;
        song.SetType(kind | (i % 13 + 1));
        const std::vector<uint8_t> record = SerializeToBytes(song);
        KeyEntry entry;
        entry.SetKey(key);
        entry.offset = static_cast<int32_t>(data.size());
        entry.size = static_cast<int32_t>(record.size());
        entry.SetSort(0, song.GetTitle());
        entry.SetSort(1, song.GetArtist());
        char tempo[64];
        std::snprintf(tempo, sizeof tempo, "%f", song.GetTempo());
        entry.SetSort(2, tempo);
        entry.Encode(keys.data() + 4 + static_cast<size_t>(i) * KeyEntry::kSize);
        data.insert(data.end(), record.begin(), record.end());
    }
    if (!WriteFileReplacing(dir + "SONGS.DB", data.data(), data.size()) ||
        !WriteFileReplacing(dir + "SONGS.KYS", keys.data(), keys.size()))
        Fail("could not write the store");
}

void BenchListing(const std::string& dir, int count) {
    BuildStore(dir, count);
    CMusicDatabase database;
    if (!database.Open(dir) || database.GetSongCount() != count) Fail("the big database did not open");
    CConfiguration config;
    ScriptedUserInterface ui;
    CRecentTitleList recent;
    CMusicDatabaseView view(ui, database, recent, config);
    const std::string size = std::to_string(count / 1000) + "k";

    Report("list_window_open_" + size, 5, [&] { view.Open(); });
    Report("list_window_sort_by_artist_" + size, 5, [&] { view.ClickHeader(CMusicDatabase::kSortArtist); });
    view.ClickHeader(CMusicDatabase::kSortTitle);
    Report("list_window_scroll_to_middle_" + size, 5, [&] { view.ScrollTo(count / 2); });
    Report("list_window_jump_to_letter_" + size, 5, [&] { view.JumpToLetter('M'); });
    // Songs off: the window fills with the Beats and Acapella songs.
    Report("filter_window_songs_off_" + size, 5, [&] { view.ToggleKind(CSongProfile::kTypeSong); });
    view.ToggleKind(CSongProfile::kTypeSong);
    Report("filter_window_one_genre_" + size, 5, [&] { view.SetGenreFilter(7); });
    view.SetGenreFilter(std::nullopt);

    // The whole listing, as db list prints it.
    view.SetVisibleRows(1);
    Report("list_all_rows_" + size, 1, [&] {
        view.SetVisibleRows(count);
        if (view.GetRows().size() != static_cast<size_t>(count)) Fail("the listing lost songs");
    });
    view.SetVisibleRows(1);
    view.ToggleKind(CSongProfile::kTypeSong);
    view.ToggleKind(CSongProfile::kTypeAcapella);
    Report("filter_all_rows_beats_only_" + size, 1, [&] {
        view.SetVisibleRows(count);
        if (view.GetRows().size() != static_cast<size_t>(count / 10)) Fail("the filter lost songs");
    });

    // The first search after the database was opened reads every record
    // into the search rows; later ones search the rows, and a change made
    // through this database only rearranges them.
    CFindMusicView find(ui, database, config, {});
    find.GetFields().mixer = "dub";
    Report("find_first_after_open_" + size, 1, [&] {
        if (find.Find().size() != static_cast<size_t>(count / 50)) Fail("find lost songs");
    });
    Report("find_mixer_" + size, 5, [&] {
        if (find.Find().size() != static_cast<size_t>(count / 50)) Fail("find lost songs");
    });
    Report("find_title_" + size, 5, [&] {
        if (FindSongKeys(database, SongTextField::Title, "itle 12345").empty()) Fail("no title found");
    });
    const std::vector<std::string> keys = database.SortedSongKeys(CMusicDatabase::kSortTitle);
    RefPtr<CSongProfile> changed = database.GetSong(keys[keys.size() / 2]);
    changed->SetMixer("Changed Dub");
    if (!database.PutSong(*changed)) Fail("could not store a song");
    Report("find_after_a_change_" + size, 1, [&] {
        if (find.Find().size() != static_cast<size_t>(count / 50) + 1) Fail("find missed the change");
    });
}

}  // namespace

// Arguments: the number of files to add (10000) and of songs to list (100000).
int main(int argc, char** argv) {
    const int files = argc > 1 ? std::max(10, std::atoi(argv[1])) : 10000;
    const int songs = argc > 2 ? std::max(1000, std::atoi(argv[2])) : 100000;
    const std::string dir =
        (fs::temp_directory_path() / ("vantor-library-bench-" + std::to_string(::getpid()))).string() + "/";
    fs::create_directories(dir);
    BenchBatchAdd(dir, files);
    BenchListing(dir + "big/", songs);
    fs::remove_all(dir);
    return 0;
}

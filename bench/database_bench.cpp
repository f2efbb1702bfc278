// The music database at 100,000 songs: storing a changed song, reading an
// uncached one and sorting the keys by title, next to SQLite doing the same
// work on a one-table schema (insert or replace one row of the same size,
// select by key), both with their default durability.
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "database/key_entry.h"
#include "database/music_database.h"
#include "model/set_file.h"
#include "platform/file_io.h"

using namespace vantor;

namespace {

// The library size; a smaller one may be given on the command line.
int kSongs = 100000;
using Clock = std::chrono::steady_clock;

double Microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string Key(int i) {
    return "/home/dj/music/library/artist " + std::to_string(i % 997) + "/song number " + std::to_string(i) + ".wav";
}

RefPtr<CSongProfile> Song(int i, std::mt19937& random) {
    auto song = MakeRef<CSongProfile>();
    song->SetLocalPath(Key(i));
    song->SetTitle("Title " + std::to_string(random() % 1000000));
    song->SetArtist("Artist " + std::to_string(i % 997));
    song->SetMixer("Original Mix");
    song->SetTempo(120.0 + static_cast<double>(random() % 2000) / 100.0);
    for (int c = 0; c < 3; ++c) {
        auto point = MakeRef<CMatchPoint>();
        point->SetType(c == 0 ? CMatchPoint::START_SONG : CMatchPoint::CHORUS);
        point->SetPosition(static_cast<uint32_t>(c * 441000));
        point->SetSongKey(Key(i));
        song->AddMatchPoint(point);
    }
    return song;
}

// Writes the store's two files straight from the record layouts, as a
// compacted store of kSongs songs would hold them; storing them one by one
// would spend the run on fsync.
void BuildStore(const std::string& dir, std::vector<std::vector<uint8_t>>& records) {
    std::mt19937 random(42);
    std::vector<uint8_t> data;
    std::vector<uint8_t> keys(4 + static_cast<size_t>(kSongs) * KeyEntry::kSize);
    StoreLE32(keys.data(), kSongs);
    for (int i = 0; i < kSongs; ++i) {
        auto song = Song(i, random);
        std::vector<uint8_t> record = SerializeToBytes(*song);
        KeyEntry entry;
        entry.SetKey(song->GetKey());
        entry.offset = static_cast<int32_t>(data.size());
        entry.size = static_cast<int32_t>(record.size());
        entry.SetSort(0, song->GetTitle());
        entry.SetSort(1, song->GetArtist());
        char tempo[64];
        std::snprintf(tempo, sizeof tempo, "%f", song->GetTempo());
        entry.SetSort(2, tempo);
        entry.Encode(keys.data() + 4 + static_cast<size_t>(i) * KeyEntry::kSize);
        data.insert(data.end(), record.begin(), record.end());
        records.push_back(std::move(record));
    }
    WriteFileReplacing(dir + "SONGS.DB", data.data(), data.size());
    WriteFileReplacing(dir + "SONGS.KYS", keys.data(), keys.size());
}

void Check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite %s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) kSongs = std::max(1000, std::atoi(argv[1]));
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("vantor-db-bench-" + std::to_string(::getpid()))).string() + "/";
    std::filesystem::create_directories(dir);
    std::vector<std::vector<uint8_t>> records;
    BuildStore(dir, records);
    std::mt19937 random(7);
    std::vector<int> picks(1000);
    for (int& pick : picks) pick = static_cast<int>(random() % kSongs);

    CMusicDatabase db;
    auto openStart = Clock::now();
    if (!db.Open(dir) || db.GetSongCount() != kSongs) {
        std::fprintf(stderr, "the database did not open with %d songs\n", kSongs);
        return 1;
    }
    std::printf("database_open_100k: %.1f ms\n", Microseconds(Clock::now() - openStart) / 1000);

    std::vector<double> gets;
    for (int pick : picks) {
        auto start = Clock::now();
        RefPtr<CSongProfile> song = db.GetSong(Key(pick));
        gets.push_back(Microseconds(Clock::now() - start));
        if (!song) return 1;
    }
    const double getMedian = Median(gets);
    std::printf("get_song_uncached_100k_median: %.1f us\n", getMedian);

    std::vector<double> puts;
    for (int n = 0; n < 300; ++n) {
        RefPtr<CSongProfile> song(db.GetSong(Key(picks[static_cast<size_t>(n)]))->Clone());
        song->SetTitle("Changed " + std::to_string(n));
        auto start = Clock::now();
        if (!db.PutSong(*song)) return 1;
        puts.push_back(Microseconds(Clock::now() - start));
    }
    const double putMedian = Median(puts);
    std::printf("put_song_changed_100k_median: %.1f us\n", putMedian);

    std::vector<double> sorts;
    for (int n = 0; n < 5; ++n) {
        auto start = Clock::now();
        auto keys = db.SortedSongKeys(CMusicDatabase::kSortTitle);
        sorts.push_back(Microseconds(Clock::now() - start) / 1000);
        if (keys.size() != static_cast<size_t>(kSongs)) return 1;
    }
    std::printf("sorted_keys_by_title_100k_median: %.1f ms\n", Median(sorts));

    auto compactStart = Clock::now();
    if (!db.CompactDatabase()) return 1;
    std::printf("compact_database_100k: %.1f ms\n", Microseconds(Clock::now() - compactStart) / 1000);
    db.Close();

    // SQLite: the same records as blobs in one table keyed by the song key.
    sqlite3* sql = nullptr;
    Check(sqlite3_open((dir + "songs.sqlite").c_str(), &sql), sql, "open");
    Check(sqlite3_exec(sql,
                       "CREATE TABLE songs (key TEXT PRIMARY KEY, title TEXT, artist TEXT, tempo TEXT, record BLOB)",
                       nullptr, nullptr, nullptr),
          sql, "create");
    sqlite3_stmt* insert = nullptr;
    Check(sqlite3_prepare_v2(sql, "INSERT OR REPLACE INTO songs VALUES (?1, ?2, ?3, ?4, ?5)", -1, &insert, nullptr),
          sql, "prepare insert");
    auto bindRow = [&](int i, const std::string& title) {
        sqlite3_reset(insert);
        const std::string key = Key(i);
        sqlite3_bind_text(insert, 1, key.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, "Artist", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 4, "128.000000", -1, SQLITE_STATIC);
        const auto& record = records[static_cast<size_t>(i)];
        sqlite3_bind_blob(insert, 5, record.data(), static_cast<int>(record.size()), SQLITE_STATIC);
        Check(sqlite3_step(insert), sql, "insert");
    };
    Check(sqlite3_exec(sql, "BEGIN", nullptr, nullptr, nullptr), sql, "begin");
    for (int i = 0; i < kSongs; ++i) bindRow(i, "Title " + std::to_string(i));
    Check(sqlite3_exec(sql, "COMMIT", nullptr, nullptr, nullptr), sql, "commit");

    std::vector<double> sqlPuts;
    for (int n = 0; n < 300; ++n) {
        auto start = Clock::now();
        bindRow(picks[static_cast<size_t>(n)], "Changed " + std::to_string(n));
        sqlPuts.push_back(Microseconds(Clock::now() - start));
    }
    sqlite3_stmt* select = nullptr;
    Check(sqlite3_prepare_v2(sql, "SELECT record FROM songs WHERE key = ?1", -1, &select, nullptr), sql, "prepare select");
    std::vector<double> sqlGets;
    for (int pick : picks) {
        const std::string key = Key(pick);
        auto start = Clock::now();
        sqlite3_reset(select);
        sqlite3_bind_text(select, 1, key.c_str(), -1, SQLITE_TRANSIENT);
        Check(sqlite3_step(select), sql, "select");
        // Reading a record means having its profile, as GetSong gives it.
        auto song = MakeRef<CSongProfile>();
        DeserializeFromBytes(*song, static_cast<const uint8_t*>(sqlite3_column_blob(select, 0)),
                             static_cast<size_t>(sqlite3_column_bytes(select, 0)));
        sqlGets.push_back(Microseconds(Clock::now() - start));
    }
    sqlite3_finalize(insert);
    sqlite3_finalize(select);
    sqlite3_close(sql);

    const double sqlPut = Median(sqlPuts), sqlGet = Median(sqlGets);
    std::printf("sqlite_insert_or_replace_100k_median: %.1f us\n", sqlPut);
    std::printf("sqlite_select_by_key_100k_median: %.1f us\n", sqlGet);
    std::printf("put_song_vs_sqlite_ratio: %.2f x\n", putMedian / sqlPut);
    std::printf("get_song_vs_sqlite_ratio: %.2f x\n", getMedian / sqlGet);
    std::filesystem::remove_all(dir);
    return 0;
}

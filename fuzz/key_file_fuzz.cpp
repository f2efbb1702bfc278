// A store opened on an outside key file (and the same bytes as its data
// file): every lookup, listing, change and compaction must stay inside the
// files and never lose a readable record.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "database/music_database.h"
#include "platform/file_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantor;
    static const std::string dir = [] {
        std::string path = (std::filesystem::temp_directory_path() / ("vantor-key-fuzz-" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(path);
        return path + "/";
    }();
    for (const char* name : {"SONGS.DB", "SONGS.KYS", "SAMPLES.DB", "SAMPLES.KYS", "temp.db", "temp.kys", "temp.cmt"})
        std::filesystem::remove(dir + name);
    WriteFileReplacing(dir + "SONGS.KYS", data, size);
    WriteFileReplacing(dir + "SONGS.DB", data, size);

    CMusicDatabase db;
    if (!db.Open(dir)) return 0;
    const auto keys = db.SortedSongKeys(CMusicDatabase::kSortTempo);
    for (const auto& key : keys) db.GetSong(key);
    CSongProfile song;
    song.SetLocalPath("/fuzz/new.wav");
    db.PutSong(song);
    if (!keys.empty()) {
        CSongProfile first;
        first.SetLocalPath(keys.front());
        db.RemoveSong(first);
    }
    size_t readable = 0;
    for (const auto& key : db.SortedSongKeys(CMusicDatabase::kSortTitle))
        if (db.GetSong(key)) ++readable;
    if (db.CompactDatabase()) {
        size_t after = 0;
        for (const auto& key : db.SortedSongKeys(CMusicDatabase::kSortTitle))
            if (db.GetSong(key)) ++after;
        if (after < readable) std::abort();
    }
    return 0;
}

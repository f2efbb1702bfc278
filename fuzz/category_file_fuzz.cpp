// An outside category file, listed against a small store and rewritten.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "database/music_database.h"
#include "platform/file_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantor;
    static const std::string dir = [] {
        std::string path =
            (std::filesystem::temp_directory_path() / ("vantor-cat-fuzz-" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(path);
        return path + "/";
    }();
    static CMusicDatabase db;
    static bool opened = [] {
        if (!db.Open(dir)) return false;
        for (const char* key : {"/a.wav", "/b.wav", "/c.wav"}) {
            CSongProfile song;
            song.SetLocalPath(key);
            song.SetTitle(key + 1);
            db.PutSong(song);
        }
        return true;
    }();
    if (!opened) return 0;
    WriteFileReplacing(dir + "Fuzz.cat", data, size);
    db.ListCategory("Fuzz", CMusicDatabase::kSortArtist);
    db.AddToCategory("Fuzz", "/b.wav");
    db.RemoveFromCategory("Fuzz", "/a.wav");
    db.ListCategory("Fuzz", CMusicDatabase::kSortTitle);
    return 0;
}

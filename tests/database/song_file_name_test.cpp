#include "database/song_file_name.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

void ExpectSplit(const std::string& path, const std::string& artist, const std::string& title,
                 const std::string& mixer) {
    SongFileName name = SplitSongFileName(path);
    EXPECT_EQ(name.artist, artist) << path;
    EXPECT_EQ(name.title, title) << path;
    EXPECT_EQ(name.mixer, mixer) << path;
}

TEST(SongFileName, HyphenRules) {
    ExpectSplit("/m/Artist - Title (Club Mix).wav", "Artist", "Title", "Club Mix");
    ExpectSplit("/m/Artist - Title - Mixer.wav", "Artist", "Title", "Mixer");
    ExpectSplit("/m/Artist-Title-Mixer-Extra.mp3", "Artist", "Title", "Mixer");
    ExpectSplit("/m/Just A Name.wav", "Just A Name", "", "");
    ExpectSplit("/m/Artist - Title.wav", "Artist", "Title", "");
    ExpectSplit("/m/Artist - Title (Unclosed.wav", "Artist", "Title", "Unclosed");
    ExpectSplit("/m.d/ - .wav", "", "", "");
    ExpectSplit("noext", "noext", "", "");
}

}  // namespace
}  // namespace vantor

#include "model/playlist_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "model/set_file.h"
#include "model/value_io.h"

namespace vantor {
namespace {

std::vector<uint8_t> Int(int32_t v) {
    std::vector<uint8_t> b(4);
    StoreLE32(b.data(), static_cast<uint32_t>(v));
    return b;
}

void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& more) { out.insert(out.end(), more.begin(), more.end()); }

std::vector<uint8_t> KeyField(const std::string& key) {
    std::vector<uint8_t> field = Int(255);
    std::vector<uint8_t> text(255, 0);
    std::copy(key.begin(), key.end(), text.begin());
    Append(field, text);
    return field;
}

TEST(PlaylistFile, EmptyPlaylistIsSixteenBytes) {
    auto playlist = NewPlaylist();
    std::vector<uint8_t> expected;
    for (int32_t v : {5, 0, 5, 5}) Append(expected, Int(v));
    EXPECT_EQ(SerializeToBytes(*playlist), expected);
    auto back = PlaylistFromBytes(expected.data(), expected.size());
    EXPECT_EQ(back->GetCount(), 0);
}

TEST(PlaylistFile, EntriesFollowTheLayoutAndAnyNonZeroIsInSet) {
    auto playlist = NewPlaylist();
    playlist->Add(new CPlayListEntry("/a.wav"));
    auto* marked = new CPlayListEntry("/b.wav");
    marked->SetInSet(true);
    playlist->Add(marked);
    std::vector<uint8_t> expected;
    for (int32_t v : {5, 2, 5, 5}) Append(expected, Int(v));
    Append(expected, KeyField("/a.wav"));
    Append(expected, Int(0));
    Append(expected, KeyField("/b.wav"));
    Append(expected, Int(1));
    EXPECT_EQ(SerializeToBytes(*playlist), expected);
    EXPECT_EQ(expected.size(), 16u + 2 * CPlayListEntry::kRecordSize);

    expected[16 + 259] = 7;  // in-set value 7 on the first entry
    auto back = PlaylistFromBytes(expected.data(), expected.size());
    ASSERT_EQ(back->GetCount(), 2);
    EXPECT_TRUE(back->GetAt(0)->IsInSet());
    EXPECT_STREQ(back->GetAt(1)->GetKey(), "/b.wav");
}

TEST(PlaylistFile, DamagedFilesGiveWhatCouldBeRead) {
    // A count larger than the bytes left: empty.
    std::vector<uint8_t> bytes;
    for (int32_t v : {5, 1000000, 5, 5}) Append(bytes, Int(v));
    EXPECT_EQ(PlaylistFromBytes(bytes.data(), bytes.size())->GetCount(), 0);
    // A key length beyond its field: the entry stops there, nothing overruns.
    bytes.clear();
    for (int32_t v : {5, 1, 5, 5}) Append(bytes, Int(v));
    Append(bytes, Int(100000));
    bytes.resize(bytes.size() + 300, 'k');
    auto playlist = PlaylistFromBytes(bytes.data(), bytes.size());
    ASSERT_EQ(playlist->GetCount(), 1);
    EXPECT_STREQ(playlist->GetAt(0)->GetKey(), "");
    EXPECT_EQ(PlaylistFromBytes(nullptr, 0)->GetCount(), 0);
}

TEST(PlaylistFile, WritesAndReadsFiles) {
    const std::string path = (std::filesystem::temp_directory_path() / "vantor-playlist-test.plt").string();
    auto playlist = NewPlaylist();
    playlist->Add(new CPlayListEntry("/a.wav"));
    ASSERT_TRUE(WritePlaylistFile(*playlist, path));
    auto back = ReadPlaylistFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetCount(), 1);
    std::filesystem::remove(path);
    EXPECT_FALSE(ReadPlaylistFile(path));
    EXPECT_FALSE(WritePlaylistFile(*playlist, "/nonexistent-dir/x.plt"));
}

}  // namespace
}  // namespace vantor

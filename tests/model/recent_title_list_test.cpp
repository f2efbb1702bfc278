#include "model/recent_title_list.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "model/value_io.h"
#include "platform/file_io.h"

namespace vantor {
namespace {

class RecentTitleListTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = (std::filesystem::temp_directory_path() /
                  ("vantor-recent-" + std::to_string(::getpid()) + ".lst")).string();
        std::filesystem::remove(m_path);
    }
    void TearDown() override { std::filesystem::remove(m_path); }

    std::vector<std::string> Titles(const CRecentTitleList& list) {
        std::vector<std::string> titles;
        for (int32_t i = 0; i < list.GetCount(); ++i) titles.emplace_back(list.GetTitle(i));
        return titles;
    }
    std::vector<std::string> FileTitles() {
        CRecentTitleList list;
        list.Load(m_path);
        return Titles(list);
    }
    std::string m_path;
};

TEST_F(RecentTitleListTest, FileIsACountThenLimitAndList) {
    CRecentTitleList list;
    list.Load(m_path);
    EXPECT_EQ(list.GetCount(), 0);
    list.SetLimit(7);
    list.AddTitle("/a.wav");
    std::vector<uint8_t> expected(4);
    auto put = [&](int32_t v) {
        uint8_t b[4];
        StoreLE32(b, static_cast<uint32_t>(v));
        expected.insert(expected.end(), b, b + 4);
    };
    put(7);          // limit
    put(1);          // count
    put(0);          // base weight
    put(0);          // weight
    put(255);        // key field
    std::vector<uint8_t> key(255, 0);
    std::string text = "/a.wav";
    std::copy(text.begin(), text.end(), key.begin());
    expected.insert(expected.end(), key.begin(), key.end());
    StoreLE32(expected.data(), static_cast<uint32_t>(expected.size() - 4));
    EXPECT_EQ(ReadWholeFile(m_path).value(), expected);
    EXPECT_EQ(list.ToFileBytes(), expected);
}

TEST_F(RecentTitleListTest, AddingKeepsOneEntryPerKeyAndTheLimit) {
    CRecentTitleList list;
    list.Load(m_path);
    list.SetLimit(3);
    for (const char* key : {"a", "b", "a", "c", "d"}) list.AddTitle(key);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"b", "c", "d"}));
    EXPECT_EQ(FileTitles(), (std::vector<std::string>{"b", "c", "d"}));
    // The stored limit comes back with the file.
    CRecentTitleList back;
    back.Load(m_path);
    EXPECT_EQ(back.GetLimit(), 3);
    list.SetLimit(1);
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"d"}));
    list.SetLimit(0);
    list.AddTitle("e");
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(RecentTitleListTest, RemovalReachesTheFileWithTheNextAddition) {
    CRecentTitleList list;
    list.Load(m_path);
    list.AddTitle("a");
    list.AddTitle("b");
    list.RemoveTitle("a");
    list.RemoveTitle("not there");
    EXPECT_EQ(Titles(list), (std::vector<std::string>{"b"}));
    EXPECT_EQ(FileTitles(), (std::vector<std::string>{"a", "b"}));
    list.AddTitle("c");
    EXPECT_EQ(FileTitles(), (std::vector<std::string>{"b", "c"}));
}

TEST_F(RecentTitleListTest, LookupStaysRightAcrossChanges) {
    CRecentTitleList list;
    for (const char* key : {"a", "b", "c", "d", "e"}) list.AddTitle(key);
    EXPECT_STREQ(list.GetTitle(2), "c");
    EXPECT_STREQ(list.GetTitle(3), "d");
    EXPECT_STREQ(list.GetTitle(2), "c");
    EXPECT_STREQ(list.GetTitle(0), "a");
    EXPECT_EQ(list.GetTitle(5), nullptr);
    EXPECT_EQ(list.GetTitle(-1), nullptr);
    // Removing an entry before the remembered one shifts the indexes.
    EXPECT_STREQ(list.GetTitle(3), "d");
    list.RemoveTitle("a");
    EXPECT_STREQ(list.GetTitle(3), "e");
    // The limit drops the remembered node itself.
    EXPECT_STREQ(list.GetTitle(0), "b");
    list.SetLimit(2);
    EXPECT_STREQ(list.GetTitle(0), "d");
    EXPECT_STREQ(list.GetTitle(1), "e");
}

TEST_F(RecentTitleListTest, DamagedFilesNeverOverrun) {
    // A stated size beyond the file, a negative one, a huge entry count.
    for (std::vector<uint8_t> bytes : {std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 3, 0, 0, 0},
                                       std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0},
                                       std::vector<uint8_t>{12, 0, 0, 0, 3, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0},
                                       std::vector<uint8_t>{1, 0}}) {
        CRecentTitleList list;
        list.FromFileBytes(bytes.data(), bytes.size());
        EXPECT_EQ(list.GetCount(), 0);
    }
    CRecentTitleList list;
    list.Load("/nonexistent-dir/RECENT.lst");
    EXPECT_EQ(list.GetCount(), 0);
}

}  // namespace
}  // namespace vantor

#include <gtest/gtest.h>

#include <fstream>

#include "platform/recent_file_list.h"
#include "support/temp_dir.h"

namespace vantor {
namespace {

TEST(RecentFileList, KeepsTheNewestFiveBetweenRuns) {
    test::TempDir dir;
    RecentFileList list(5);
    for (int i = 0; i < 7; ++i) list.Add("/sets/" + std::to_string(i) + ".set");
    list.Add("/sets/4.set");
    ASSERT_TRUE(list.Save(dir / "recent"));
    RecentFileList again(5);
    again.Load(dir / "recent");
    EXPECT_EQ(again.Paths(), (std::vector<std::string>{"/sets/4.set", "/sets/6.set", "/sets/5.set", "/sets/3.set",
                                                       "/sets/2.set"}));
    again.Remove("/sets/6.set");
    EXPECT_EQ(again.Paths().size(), 4u);
}

TEST(RecentFileList, ADamagedFileGivesWhatCanBeReadAndNothingBreaksALine) {
    test::TempDir dir;
    {
        std::ofstream file(dir / "recent", std::ios::binary);
        file << "\n/a.set\n/a.set\n" << std::string(5000, 'x') << "\n/b.set\n/c.set\n/d.set\n/e.set\n/f.set\n/g.set";
        file.write("\0/h.set\n", 8);
    }
    RecentFileList list(5);
    list.Load(dir / "recent");
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/a.set", "/b.set", "/c.set", "/d.set", "/e.set"}));
    list.Add("/two\nlines.set");
    EXPECT_EQ(list.Paths().front(), "/a.set");
    RecentFileList missing(5);
    missing.Load(dir / "none");
    EXPECT_TRUE(missing.Paths().empty());
}

}  // namespace
}  // namespace vantor

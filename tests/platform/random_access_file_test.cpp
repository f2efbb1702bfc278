#include "platform/random_access_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace vantor {
namespace {

using Access = RandomAccessFile::Access;

TEST(RandomAccessFileTest, ReadsAndWritesAtOffsetsAndKeepsTheSize) {
    test::TempDir dir;
    std::string path = dir / "records";
    RandomAccessFile file;
    EXPECT_FALSE(file.Open(path, Access::ReadWrite)) << "not created without asking";
    ASSERT_TRUE(file.Open(path, Access::ReadWriteCreate));
    EXPECT_TRUE(file.IsRegular());
    EXPECT_EQ(file.Size(), 0);

    ASSERT_TRUE(file.WriteAt(4, "efgh", 4));  // leaves a hole of zeros
    ASSERT_TRUE(file.WriteAt(0, "abcd", 4));
    EXPECT_EQ(file.Size(), 8);
    char buffer[16] = {};
    EXPECT_EQ(file.ReadAt(2, buffer, 16), 6u) << "short at the end of the file";
    EXPECT_EQ(std::string(buffer, 6), "cdefgh");
    EXPECT_EQ(file.ReadAt(8, buffer, 4), 0u);
    EXPECT_EQ(file.ReadAt(-1, buffer, 4), 0u);
    EXPECT_FALSE(file.WriteAt(-1, "x", 1));

    ASSERT_TRUE(file.Truncate(3));
    EXPECT_FALSE(file.Truncate(-1));
    EXPECT_TRUE(file.Sync());
    EXPECT_EQ(file.Size(), 3);

    // Moving hands the open file over; the moved-from object is closed.
    RandomAccessFile moved(std::move(file));
    EXPECT_FALSE(file.IsOpen());  // NOLINT: checking the moved-from state
    EXPECT_EQ(file.Size(), -1);   // NOLINT
    EXPECT_EQ(moved.ReadAt(0, buffer, 16), 3u);
    moved.Close();
    EXPECT_FALSE(moved.IsOpen());
    EXPECT_EQ(moved.ReadAt(0, buffer, 1), 0u);
    EXPECT_FALSE(moved.WriteAt(0, "x", 1));
}

TEST(RandomAccessFileTest, ReadOnlyFilesRefuseWritesAndDirectoriesAreNotRegular) {
    test::TempDir dir;
    std::string path = dir / "ro";
    {
        RandomAccessFile writer;
        ASSERT_TRUE(writer.Open(path, Access::ReadWriteCreate));
        ASSERT_TRUE(writer.WriteAt(0, "data", 4));
    }
    RandomAccessFile reader;
    ASSERT_TRUE(reader.Open(path, Access::Read));
    reader.AdviseSequential();
    EXPECT_FALSE(reader.WriteAt(0, "x", 1));
    EXPECT_FALSE(reader.Truncate(0));
    char buffer[4];
    EXPECT_EQ(reader.ReadAt(0, buffer, 4), 4u);

    EXPECT_FALSE(reader.Open(dir / "missing", Access::Read));
    EXPECT_FALSE(reader.IsOpen()) << "a failed open leaves nothing open";
    RandomAccessFile directory;
    ASSERT_TRUE(directory.Open(dir.Path(), Access::Read));
    EXPECT_FALSE(directory.IsRegular());
    EXPECT_FALSE(directory.Open(dir.Path(), Access::ReadWriteCreate));
}

}  // namespace
}  // namespace vantor

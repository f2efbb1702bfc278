#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

TEST(FileIoTest, PathPartsFollowTheLastSlash) {
    EXPECT_EQ(DirectoryOf("a/b/c.set"), "a/b");
    EXPECT_EQ(DirectoryOf("c.set"), ".");
    EXPECT_EQ(DirectoryOf("/c.set"), "/");
    EXPECT_EQ(DirectoryOf("/out/sets.v2/"), "/out/sets.v2");
    EXPECT_EQ(FileNameOf("a/b/c.set"), "c.set");
    EXPECT_EQ(FileNameOf("c.set"), "c.set");
    EXPECT_EQ(FileNameOf("a/"), "");
    EXPECT_EQ(ExtensionStart("a/b.c"), 3u);
    EXPECT_EQ(ExtensionStart("a.d/b"), 5u) << "a dot of a directory is no extension";
    EXPECT_EQ(ExtensionStart("mix.tar.gz"), 7u);
    EXPECT_EQ(ExtensionStart(".hidden"), 0u);
    EXPECT_EQ(ExtensionStart(""), 0u);
}

TEST(FileIoTest, RegularFileSizeOnlyForRegularFiles) {
    test::TempDir dir;
    std::ofstream(dir / "five.bin", std::ios::binary) << "12345";
    std::ofstream(dir / "empty.bin", std::ios::binary);
    fs::create_directory(dir / "sub");
    fs::create_symlink(dir / "five.bin", dir / "link.bin");

    EXPECT_EQ(RegularFileSize(dir / "five.bin"), 5u);
    EXPECT_EQ(RegularFileSize(dir / "empty.bin"), 0u);
    EXPECT_EQ(RegularFileSize(dir / "link.bin"), 5u) << "links are followed";
    EXPECT_FALSE(RegularFileSize(dir / "sub"));
    EXPECT_FALSE(RegularFileSize(dir / "missing"));
    EXPECT_FALSE(RegularFileSize("/dev/null"));
    EXPECT_TRUE(IsRegularFile(dir / "five.bin"));
    EXPECT_FALSE(IsRegularFile(dir / "sub"));
    EXPECT_TRUE(FileExists(dir / "sub"));

    std::FILE* open = std::fopen((dir / "five.bin").c_str(), "rb");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(RegularFileSize(open), 5u);
    std::fclose(open);
    std::FILE* directory = std::fopen((dir / "sub").c_str(), "r");
    if (directory) {  // glibc opens a directory for reading; its size is no file's
        EXPECT_FALSE(RegularFileSize(directory));
        std::fclose(directory);
    }
    EXPECT_FALSE(RegularFileSize(static_cast<std::FILE*>(nullptr)));
}

TEST(FileIoTest, TemporaryFileBesideIsAnOrdinaryEmptyFileInTheSameDirectory) {
    test::TempDir dir;
    std::string target = dir / "mix.wav";
    std::string first = CreateTemporaryFileBeside(target);
    std::string second = CreateTemporaryFileBeside(target);
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(DirectoryOf(first), dir.Path());
    EXPECT_EQ(FileNameOf(first).rfind(".mix.wav.", 0), 0u) << first;
    EXPECT_EQ(RegularFileSize(first), 0u);
    EXPECT_EQ(fs::status(first).permissions(), fs::perms(0644));
    EXPECT_FALSE(FileExists(target));

    EXPECT_EQ(CreateTemporaryFileBeside(dir / "no/such/dir/mix.wav"), "");
}

TEST(FileIoTest, FreeSpaceAndWorkingDirectoryComeFromTheSystem) {
    test::TempDir dir;
    auto free = FreeDiskBytes(dir.Path());
    ASSERT_TRUE(free);
    EXPECT_GT(*free, 0u);
    EXPECT_FALSE(FreeDiskBytes(dir / "missing"));

    EXPECT_EQ(CurrentDirectory(), fs::current_path().string());
}

}  // namespace
}  // namespace vantor

#include "platform/riff_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vantor {
namespace {

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string(name) + std::to_string(::getpid()))).string();
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(RiffFileTest, CreatedChunksGetTheirSizesAndPadBytes) {
    std::string path = TempPath("riff-create-");
    {
        RiffFile file;
        ASSERT_EQ(file.Open(path, RiffFile::Mode::Create, 16), kRiffOk);  // tiny buffer: many flushes
        RiffChunk riff;
        riff.id = kFourCCRiff;
        riff.formType = MakeFourCC('T', 'E', 'S', 'T');
        ASSERT_EQ(file.CreateChunk(riff), kRiffOk);
        RiffChunk odd;
        odd.id = MakeFourCC('o', 'd', 'd', ' ');
        ASSERT_EQ(file.CreateChunk(odd), kRiffOk);
        ASSERT_TRUE(file.Write("abc", 3));
        ASSERT_EQ(file.Ascend(odd), kRiffOk);
        RiffChunk big;
        big.id = MakeFourCC('b', 'i', 'g', ' ');
        ASSERT_EQ(file.CreateChunk(big), kRiffOk);
        std::vector<uint8_t> payload(40, 7);
        ASSERT_TRUE(file.Write(payload.data(), payload.size()));
        ASSERT_EQ(file.Ascend(big), kRiffOk);
        ASSERT_EQ(file.Ascend(riff), kRiffOk);
        ASSERT_EQ(file.Close(), kRiffOk);
    }
    std::vector<uint8_t> expected = {'R', 'I', 'F', 'F', 64, 0, 0, 0, 'T', 'E', 'S', 'T',
                                     'o', 'd', 'd', ' ', 3,  0, 0, 0, 'a', 'b', 'c', 0,
                                     'b', 'i', 'g', ' ', 40, 0, 0, 0};
    expected.insert(expected.end(), 40, 7);
    EXPECT_EQ(FileBytes(path), expected);

    // Reading it back: find a chunk by id inside the parent, skipping the
    // padded one; a missing chunk is not found, however its neighbours look.
    RiffFile file;
    ASSERT_EQ(file.Open(path, RiffFile::Mode::Read), kRiffOk);
    RiffChunk riff;
    riff.formType = MakeFourCC('T', 'E', 'S', 'T');
    ASSERT_EQ(file.Descend(riff, nullptr, RiffFile::Find::Riff), kRiffOk);
    EXPECT_EQ(riff.size, 64u);
    RiffChunk big;
    big.id = MakeFourCC('b', 'i', 'g', ' ');
    ASSERT_EQ(file.Descend(big, &riff, RiffFile::Find::Chunk), kRiffOk);
    EXPECT_EQ(big.size, 40u);
    uint8_t first = 0;
    EXPECT_EQ(file.Read(&first, 1), 1);
    EXPECT_EQ(first, 7);
    ASSERT_EQ(file.Seek(12, SEEK_SET), 12);
    RiffChunk missing;
    missing.id = MakeFourCC('n', 'o', 'n', 'e');
    EXPECT_EQ(file.Descend(missing, &riff, RiffFile::Find::Chunk), kRiffChunkNotFound);
    std::remove(path.c_str());
}

TEST(RiffFileTest, DamagedSizesAndMissingFiles) {
    RiffFile none;
    EXPECT_EQ(none.Open("/nonexistent/dir/x.wav", RiffFile::Mode::Read), kRiffCannotOpen);
    EXPECT_EQ(none.Read(nullptr, 0), -1);

    // A chunk that claims 4 GB inside a 20-byte file is skipped without reading
    // it and the search ends at the end of the file.
    std::string path = TempPath("riff-damaged-");
    std::vector<uint8_t> bytes = {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'W', 'A',
                                  'V', 'E', 'j', 'u', 'n',  'k',  0xF0, 0xFF, 0xFF, 0xFF};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    RiffFile file;
    ASSERT_EQ(file.Open(path, RiffFile::Mode::Read), kRiffOk);
    RiffChunk riff;
    ASSERT_EQ(file.Descend(riff, nullptr, RiffFile::Find::Next), kRiffOk);
    RiffChunk data;
    data.id = MakeFourCC('d', 'a', 't', 'a');
    EXPECT_EQ(file.Descend(data, &riff, RiffFile::Find::Chunk), kRiffChunkNotFound);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace vantor

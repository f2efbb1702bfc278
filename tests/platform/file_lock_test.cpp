#include "platform/file_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace vantor {
namespace {

using Mode = FileLock::Mode;
using Wait = FileLock::Wait;
using Outcome = FileLock::Outcome;

// Two opens of one file stand for two processes: the lock belongs to the
// open file.
TEST(FileLockTest, SharedHoldersTogetherAnExclusiveOneAlone) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("vantor-lock-" + std::to_string(::getpid()))).string();
    std::filesystem::remove(path);
    FileLock missing;
    EXPECT_FALSE(missing.Open(path, false));
    EXPECT_NE(missing.Error().find("No such file"), std::string::npos) << missing.Error();
    EXPECT_EQ(missing.Lock(Mode::Shared, Wait::Try), Outcome::Failed);

    FileLock first, second;
    ASSERT_TRUE(first.Open(path, true));
    ASSERT_TRUE(second.Open(path, false));
    EXPECT_EQ(first.Lock(Mode::Shared, Wait::Try), Outcome::Locked);
    EXPECT_EQ(second.Lock(Mode::Shared, Wait::Try), Outcome::Locked);
    EXPECT_EQ(second.Lock(Mode::Exclusive, Wait::Try), Outcome::Busy);
    first.Unlock();
    EXPECT_EQ(second.Lock(Mode::Exclusive, Wait::Try), Outcome::Locked);
    EXPECT_EQ(first.Lock(Mode::Shared, Wait::Try), Outcome::Busy);
    // Closing lets go, as a process that ends does.
    second.Close();
    EXPECT_EQ(first.Lock(Mode::Exclusive, Wait::Block), Outcome::Locked);
    first.Close();
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace vantor

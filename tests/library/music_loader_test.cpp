#include "library/music_loader.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "database/song_profile.h"
#include "library/library_fixture.h"
#include "platform/file_copy.h"
#include "platform/file_io.h"
#include "platform/volume_label.h"
#include "engine/wave_file.h"

namespace vantor {
namespace {

using test::LibraryFixture;

class MusicLoader : public LibraryFixture {
protected:
    LoadJob Job(const std::string& archive, const std::string& source, const std::string& destination) {
        return LoadJob::Make(archive, source, destination).Value();
    }
    std::vector<std::string> HiddenFilesIn(const std::string& directory) {
        std::vector<std::string> hidden;
        for (const auto& entry : std::filesystem::directory_iterator(directory))
            if (entry.path().filename().string().front() == '.') hidden.push_back(entry.path().string());
        return hidden;
    }
};

TEST_F(MusicLoader, AsksOncePerArchiveAndAgainAfterTheQueueRanEmpty) {
    for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"}) WriteWave(Archive(std::string("music/") + name));
    std::atomic<int> carried{0};
    CMusicLoader loader({false}, {[&](const LoadJob&) { ++carried; }, {}, {}});
    loader.QueueLoad(Job("ONE", Archive("music/a.wav"), Local("a.wav")));
    loader.QueueLoad(Job("ONE", Archive("music/b.wav"), Local("b.wav")));
    loader.QueueLoad(Job("TWO", Archive("music/c.wav"), Local("c.wav")));
    AnswerUntilIdle(loader, {true, true});
    EXPECT_EQ(asked, (std::vector<std::string>{"Insert archive ONE. Ready?", "Insert archive TWO. Ready?"}));
    EXPECT_EQ(carried, 3);
    EXPECT_EQ(test::ReadBytes(Local("b.wav")), test::ReadBytes(Archive("music/b.wav")));

    // The queue ran empty: the archive asked last is asked for again.
    asked.clear();
    loader.QueueLoad(Job("TWO", Archive("music/d.wav"), Local("d.wav")));
    AnswerUntilIdle(loader, {true});
    EXPECT_EQ(asked, (std::vector<std::string>{"Insert archive TWO. Ready?"}));
    EXPECT_TRUE(loader.Close().empty());
}

TEST_F(MusicLoader, DecliningDropsOnlyTheFirstJobOfTheArchive) {
    WriteWave(Archive("music/a.wav"));
    WriteWave(Archive("music/b.wav"));
    std::vector<std::string> dropped;
    CMusicLoader loader({false}, {{}, [&](const LoadJob& job, const std::string&) { dropped.push_back(job.sourcePath); }, {}});
    loader.QueueLoad(Job("ONE", Archive("music/a.wav"), Local("a.wav")));
    loader.QueueLoad(Job("ONE", Archive("music/b.wav"), Local("b.wav")));
    AnswerUntilIdle(loader, {false});
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(dropped, std::vector<std::string>{Archive("music/a.wav")});
    EXPECT_FALSE(FileExists(Local("a.wav")));
    EXPECT_TRUE(FileExists(Local("b.wav")));
    EXPECT_EQ(loader.GetCount(), 0u);
}

TEST_F(MusicLoader, AnUnreachableArchiveChangesNothing) {
    test::WriteBytes(Local("a.wav"), {1, 2, 3});
    std::string why;
    CMusicLoader loader({true}, {{}, [&](const LoadJob&, const std::string& reason) { why = reason; }, {}});
    loader.QueueLoad(Job("GONE", "/nonexistent-medium/a.wav", Local("a.wav")));
    AnswerUntilIdle(loader, {true});
    EXPECT_NE(why.find("cannot be reached on archive GONE"), std::string::npos) << why;
    EXPECT_EQ(test::ReadBytes(Local("a.wav")), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(MusicLoader, SummaryStepCopiesTheSourcesOrBuildsOneWhenConfigured) {
    // Same source and destination: nothing is copied, the summary is built.
    WriteWave(Local("long.wav"), 200001);
    WriteWave(Local("short.wav"), 200000);
    {
        CMusicLoader loader({true});
        loader.QueueLoad(Job("", Local("long.wav"), Local("long.wav")));
        loader.QueueLoad(Job("", Local("short.wav"), Local("short.wav")));
        AnswerUntilIdle(loader, {});
    }
    EXPECT_TRUE(FileExists(Local("long.sm")));
    EXPECT_FALSE(FileExists(Local("short.sm"))) << "songs of 200000 frames have no summary";
    EXPECT_TRUE(asked.empty()) << "jobs without an archive ask nothing";

    // The archive's summary travels with the song and is not replaced.
    WriteWave(Archive("music/x.wav"), 200001);
    test::WriteBytes(Archive("music/x.sm"), {9, 9});
    WriteWave(Local("off.wav"), 200001);
    {
        CMusicLoader loader({false});
        loader.QueueLoad(Job("ONE", Archive("music/x.wav"), Local("x.wav")));
        loader.QueueLoad(Job("", Local("off.wav"), Local("off.wav")));
        AnswerUntilIdle(loader, {true});
    }
    EXPECT_EQ(test::ReadBytes(Local("x.sm")), (std::vector<uint8_t>{9, 9}));
    EXPECT_FALSE(FileExists(Local("off.sm"))) << "summaries are built only when configured";
}

TEST_F(MusicLoader, DecodesMp3SourcesOnTheWay) {
    const auto pcm = test::SineBurstPcm(44100);
    if (!test::EncodeMp3(dir, pcm, Archive("music/song.mp3"), 128)) GTEST_SKIP() << "no MP3 encoder";
    CMusicLoader loader({false});
    loader.QueueLoad(Job("ONE", Archive("music/song.mp3"), Local("song.wav")));
    AnswerUntilIdle(loader, {true});
    CWaveFile wave(Local("song.wav"), 100);
    ASSERT_NE(wave.GetFormat(), nullptr);
    EXPECT_GT(wave.GetLength(), 40000u);
}

TEST_F(MusicLoader, ThreadedCancelMidQueueLosesNothingAndLeavesNoPartialWave) {
    // A big file copied while the window closes.
    std::vector<uint8_t> big(64u << 20, 7);
    test::WriteBytes(Archive("music/big.wav"), big);
    WriteWave(Archive("music/next.wav"));
    test::WriteBytes(Local("big.wav"), {1, 2, 3, 4});
    CMusicLoader loader({false});
    loader.QueueLoad(Job("", Archive("music/big.wav"), Local("big.wav")));
    loader.QueueLoad(Job("", Archive("music/next.wav"), Local("next.wav")));
    // Close as soon as the copy has begun.
    for (int i = 0; i < 2000 && HiddenFilesIn(Local("")).empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto left = loader.Close();
    ASSERT_EQ(left.size(), 2u) << "the jobs not carried out are handed back";
    EXPECT_EQ(left[0].sourcePath, Archive("music/big.wav"));
    EXPECT_EQ(test::ReadBytes(Local("big.wav")), (std::vector<uint8_t>{1, 2, 3, 4})) << "the old file stands";
    EXPECT_FALSE(FileExists(Local("next.wav")));
    EXPECT_TRUE(HiddenFilesIn(Local("")).empty()) << "no temporary file is left";
    EXPECT_EQ(test::ReadBytes(Archive("music/big.wav")).size(), big.size());
}

TEST_F(MusicLoader, ThreadedCloseDoesNotWaitForAnUnansweredQuestion) {
    WriteWave(Archive("music/a.wav"));
    CMusicLoader loader({false});
    loader.QueueLoad(Job("ONE", Archive("music/a.wav"), Local("a.wav")));
    ASSERT_TRUE(loader.Questions().WaitForQuestion(5000));
    const auto started = std::chrono::steady_clock::now();
    const auto left = loader.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(left.size(), 1u);
    EXPECT_FALSE(FileExists(Local("a.wav")));
}

TEST_F(MusicLoader, KilledCopyLeavesNoPartialFileUnderTheFinalName) {
    std::vector<uint8_t> big(32u << 20, 5);
    test::WriteBytes(Archive("music/big.wav"), big);
    const std::string destination = Local("big.wav");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Slowed down so that the parent kills it mid-copy.
        CopyFileAtomically(Archive("music/big.wav"), destination, true, nullptr,
                           [](uint64_t, uint64_t) { ::usleep(20000); });
        ::_exit(0);
    }
    bool copying = false;
    for (int i = 0; i < 5000 && !copying; ++i) {
        for (const auto& hidden : HiddenFilesIn(Local("")))
            if (std::filesystem::file_size(hidden) > 0) copying = true;
        if (!copying) ::usleep(1000);
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(copying) << "the child never began copying";
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_FALSE(FileExists(destination));
}

TEST_F(MusicLoader, CopyWithoutReplaceKeepsTheDestination) {
    test::WriteBytes(Archive("a.sm"), {1});
    test::WriteBytes(Local("a.sm"), {2});
    EXPECT_EQ(CopyFileAtomically(Archive("a.sm"), Local("a.sm"), false), CopyOutcome::DestinationExists);
    EXPECT_EQ(test::ReadBytes(Local("a.sm")), std::vector<uint8_t>{2});
    EXPECT_EQ(CopyFileAtomically(Archive("missing"), Local("b"), true), CopyOutcome::Failed);
    EXPECT_FALSE(FileExists(Local("b")));
}

TEST(ArchiveMedia, AVolumeIsNamedByItsLabelOrItsMountPoint) {
    EXPECT_EQ(VolumeLabelOf("/nonexistent/path"), "");
    const std::string mount = MountPointOf("/tmp");
    ASSERT_FALSE(mount.empty());
    const std::string label = VolumeLabelOf("/tmp");
    EXPECT_FALSE(label.empty());
    if (!std::filesystem::exists("/dev/disk/by-label")) {
        EXPECT_EQ(label, mount == "/" ? "/" : std::filesystem::path(mount).filename().string());
    }
}

TEST(ArchiveMedia, ALabelledLoopImageIsNamedByItsLabel) {
    test::TempDir dir;
    const std::string image = dir / "disk.img";
    const std::string mount = dir / "mnt";
    std::filesystem::create_directories(mount);
    if (!test::Run("truncate -s 8M " + image + " && mkfs.ext4 -q -L VANTOR_T " + image + " >/dev/null 2>&1") ||
        !test::Run("mount -o loop " + image + " " + mount + " >/dev/null 2>&1"))
        GTEST_SKIP() << "this machine cannot mount a loop image";
    const bool labels = std::filesystem::exists("/dev/disk/by-label/VANTOR_T");
    const std::string label = VolumeLabelOf(mount);
    test::Run("umount " + mount);
    EXPECT_EQ(label, labels ? "VANTOR_T" : "mnt");
}

}  // namespace
}  // namespace vantor

// vantor samples and vantor mixer, without a Sound Server and on one.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engine/wave_writer.h"
#include "model/set_file.h"
#include "server/server_link.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

bool Alive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    auto close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

class LiveCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("VANTOR_BIN"), nullptr);
        ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
        std::vector<int16_t> pcm(2 * 441, 700);
        WaveWriter writer;
        ASSERT_TRUE(writer.Open(Wave(), WaveFormat{}));
        ASSERT_TRUE(writer.Write(pcm.data(), pcm.size() * 2));
        ASSERT_TRUE(writer.Finish(441));
    }
    void TearDown() override {
        if (pid > 0 && Alive(pid)) {
            CServerLink link;
            link.Shutdown();
            if (!test::WaitUntil([&] { return !Alive(pid); })) ::kill(pid, SIGKILL);
        }
    }
    std::string Wave() const { return home / "horn.wav"; }
    test::CliResult Run(const std::string& arguments) { return test::RunVantor("--home " + home.Path() + " " + arguments); }
    void StartServer() {
        auto started = Run("server start");
        ASSERT_EQ(started.exitCode, 0) << started.err;
        pid = std::atoi(started.out.c_str() + started.out.find("process ") + 8);
    }

    test::TempDir home{"live-cli-home"};
    test::TempDir runtime{"live-cli-run"};
    pid_t pid = -1;
};

TEST_F(LiveCliTest, WithoutAServerSamplesEditTheDefaultPresetsAndTheMixerExplains) {
    auto mixer = Run("mixer");
    EXPECT_EQ(mixer.exitCode, 1);
    EXPECT_NE(mixer.err.find("No set plays on the Sound Server"), std::string::npos) << mixer.err;
    auto trigger = Run("samples trigger 1");
    EXPECT_EQ(trigger.exitCode, 1);
    EXPECT_NE(trigger.err.find("No Sound Server is running"), std::string::npos) << trigger.err;
    EXPECT_EQ(Run("samples trigger 10").exitCode, 2);
    EXPECT_EQ(Run("mixer --track 1").exitCode, 2);

    auto loaded = Run("samples load 3 Horn " + Wave());
    ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
    EXPECT_TRUE(fs::exists(home / "DEFAULT.SP"));
    EXPECT_EQ(Run("samples load 3 Horn " + (home / "missing.wav")).exitCode, 1);
    auto listed = Run("samples list --json");
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("{\"slot\":3,\"name\":\"Horn\",\"file\":\"" + Wave() + "\"}"), std::string::npos)
        << listed.out;

    ASSERT_EQ(Run("samples save " + (home / "live")).exitCode, 0);
    ASSERT_TRUE(fs::exists(home / "live.sp"));
    EXPECT_EQ(fs::file_size(home / "live.sp"), 4u + 9 * 510);
    fs::remove(home / "DEFAULT.SP");
    EXPECT_EQ(Run("samples list").out.find("Horn"), std::string::npos);
    ASSERT_EQ(Run("samples open " + (home / "live.sp")).exitCode, 0);
    EXPECT_NE(Run("samples list").out.find("3  Horn  (" + Wave() + ")"), std::string::npos);
}

TEST_F(LiveCliTest, OnARunningServerSamplesAndTheMixerReachItsBankAndSet) {
    ASSERT_NO_FATAL_FAILURE(StartServer());
    NewSetOptions options;
    options.audioTracks = 3;
    auto set = CMusicSet::CreateNew(options);
    set->SetName("Friday");
    const std::string file = home / "friday.set";
    ASSERT_TRUE(WriteSetFile(*set, file));
    ASSERT_EQ(Run("mixer").exitCode, 1);  // nothing plays yet
    ASSERT_EQ(Run("play " + file + " --server --device null").exitCode, 0);

    auto mixer = Run("mixer");
    ASSERT_EQ(mixer.exitCode, 0) << mixer.err;
    EXPECT_EQ(mixer.out, "track 1: 1.000\ntrack 2: 1.000\ntrack 3: 1.000\n");
    auto set2 = Run("mixer --track 2 --volume 0.25 --json");
    ASSERT_EQ(set2.exitCode, 0) << set2.err;
    EXPECT_EQ(set2.out, "[{\"track\":1,\"volume\":1},{\"track\":2,\"volume\":0.25},{\"track\":3,\"volume\":1}]\n");
    EXPECT_EQ(Run("mixer --track 4 --volume 1").exitCode, 2);
    EXPECT_EQ(Run("mixer --track 1 --volume 2").exitCode, 2);

    auto loaded = Run("samples load 1 Horn " + Wave());
    ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
    EXPECT_NE(loaded.out.find("on the Sound Server"), std::string::npos);
    EXPECT_FALSE(fs::exists(home / "DEFAULT.SP"));  // the server's bank, not the file
    EXPECT_EQ(Run("samples load 2 Gone " + (home / "missing.wav")).exitCode, 1);
    auto listed = Run("samples list");
    EXPECT_EQ(listed.out.substr(0, 8), "1  Horn\n") << listed.out;
    EXPECT_EQ(Run("samples trigger 1").exitCode, 0);
    ASSERT_EQ(Run("samples save " + (home / "server")).exitCode, 0);
    EXPECT_TRUE(fs::exists(home / "server.sp"));
    ASSERT_EQ(Run("server stop").exitCode, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return !Alive(pid); }));
}

// What a playing server hands back is the set it was sent, byte for byte,
// also once its songs have been looked up, rendered and played a while.
TEST_F(LiveCliTest, TheSetReadBackFromAPlayingServerIsTheSetSent) {
    const std::string song = home / "Artist - Song.wav";
    {
        std::vector<int16_t> pcm(2 * 44100 * 3);
        for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>(1000 + i % 500);
        WaveWriter writer;
        ASSERT_TRUE(writer.Open(song, WaveFormat{}));
        ASSERT_TRUE(writer.Write(pcm.data(), pcm.size() * 2));
        ASSERT_TRUE(writer.Finish(44100 * 3));
    }
    const std::string effects = fs::path(std::getenv("VANTOR_BIN")).parent_path().string();
    ASSERT_EQ(Run("config set effects-directory " + effects).exitCode, 0);
    ASSERT_EQ(Run("db add \"" + song + "\"").exitCode, 0);
    const std::string file = home / "s.set";
    ASSERT_EQ(Run("--yes set new " + file + " --tracks 2").exitCode, 0);
    ASSERT_EQ(Run("set add " + file + " --track 1 --at 0 \"" + song + "\" --to 2").exitCode, 0);
    ASSERT_EQ(Run("set add " + file + " --track 2 --at 1 \"" + song + "\" --ratio 2").exitCode, 0);
    ASSERT_EQ(Run("set effect " + file + " --track 2 --at 1.5 Volume Level 0:-50 1:0").exitCode, 0);
    RefPtr<CMusicSet> sent = ReadSetFile(file);
    ASSERT_TRUE(sent);

    ASSERT_NO_FATAL_FAILURE(StartServer());
    ASSERT_EQ(Run("play " + file + " --server --device null --from 0.5").exitCode, 0);
    CServerLink link;
    ASSERT_TRUE(test::WaitUntil([&] { return link.GetPosition().value_or(0) > 44100; }));
    RefPtr<CMusicSet> playing = link.GetSet();
    ASSERT_TRUE(playing);
    EXPECT_EQ(SerializeToBytes(*playing), SerializeToBytes(*sent));
    link.Shutdown();
}

}  // namespace
}  // namespace vantor

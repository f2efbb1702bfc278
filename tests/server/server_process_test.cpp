// The sound server as a separate process: started through the command line,
// reached over its socket by this test process.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "model/set_file.h"
#include "platform/audio_device.h"
#include "platform/local_socket.h"
#include "server/server_link.h"
#include "server/server_message.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

// A process that exists and is not a zombie.
bool Alive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    auto close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

long ResidentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

class ServerProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("VANTOR_BIN"), nullptr);
        ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
        auto started = Run("server start");
        ASSERT_EQ(started.exitCode, 0) << started.err;
        auto at = started.out.find("process ");
        ASSERT_NE(at, std::string::npos) << started.out;
        pid = std::atoi(started.out.c_str() + at + 8);
        ASSERT_GT(pid, 0);
    }
    void TearDown() override {
        if (pid > 0 && Alive(pid)) {
            CServerLink link;
            link.Shutdown();
            if (!test::WaitUntil([&] { return !Alive(pid); })) ::kill(pid, SIGKILL);
        }
    }

    test::CliResult Run(const std::string& arguments) { return test::RunVantor("--home " + home.Path() + " " + arguments); }

    static RefPtr<CMusicSet> TwoTrackSet() {
        NewSetOptions options;
        options.audioTracks = 2;
        auto set = CMusicSet::CreateNew(options);
        set->SetName("Friday");
        return set;
    }

    test::TempDir home{"server-home"};
    test::TempDir runtime{"server-run"};
    pid_t pid = -1;
};

TEST_F(ServerProcessTest, PlaysLoopsAndHandsItsSetToTheNextClient) {
    auto set = TwoTrackSet();
    {
        CServerLink link;
        EXPECT_EQ(link.GetPosition().value_or(-1), 0);  // nothing plays
        EXPECT_EQ(link.GetTrackVolume(0), -1.0);
        EXPECT_FALSE(link.GetSet());
        ASSERT_TRUE(link.StartSet(&NullDeviceId(), *set, 0));
        ASSERT_TRUE(link.SetLoop(44100, 3 * 44100));
        int32_t start = 0, end = 0;
        ASSERT_TRUE(link.GetLoop(start, end));
        EXPECT_EQ(start, 44100);
        EXPECT_EQ(end, 3 * 44100);
        int32_t first = link.GetPosition().value_or(-1);
        EXPECT_TRUE(test::WaitUntil([&] { return link.GetPosition().value_or(-1) > first; }));
        EXPECT_TRUE(link.SetTrackVolume(1, 0.25));
        EXPECT_DOUBLE_EQ(link.GetTrackVolume(1), 0.25);
        EXPECT_DOUBLE_EQ(link.GetTrackVolume(2), 0.0);  // beyond the set's tracks
        EXPECT_DOUBLE_EQ(link.GetTrackVolume(-7), 0.0);
        EXPECT_EQ(link.GetSampleCount().value_or(0), 9);
        EXPECT_EQ(link.GetSampleName(3), "");
    }
    // A workstation killed while the set plays: the server plays on.
    pid_t client = ::fork();
    ASSERT_GE(client, 0);
    if (client == 0) {
        CServerLink link;
        link.GetPosition();
        const uint8_t half[7] = {5, 0, 0, 0, 1, 2, 3};  // killed in the middle of a message
        LocalSocket socket = LocalSocket::Connect(link.GetPath());
        socket.WriteAll(half, sizeof half);
        ::pause();
        ::_exit(0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::kill(client, SIGKILL);
    ::waitpid(client, nullptr, 0);

    CServerLink next;
    RefPtr<CMusicSet> playing = next.GetSet();
    ASSERT_TRUE(playing);
    EXPECT_STREQ(playing->GetName(), "Friday");
    EXPECT_EQ(playing->GetTracks().GetCount(), 3);
    int32_t start = 0, end = 0;
    ASSERT_TRUE(next.GetLoop(start, end));
    EXPECT_EQ(start, 44100);
    EXPECT_EQ(end, 3 * 44100);
    EXPECT_TRUE(Alive(pid));

    ASSERT_TRUE(next.Shutdown());
    EXPECT_TRUE(test::WaitUntil([&] { return !Alive(pid); }));
    EXPECT_FALSE(next.GetPosition());  // no socket any more
}

TEST_F(ServerProcessTest, HostileClientDoesNotStopTheServer) {
    std::string path;
    {
        // One client at a time: this one leaves before the hostile one comes.
        CServerLink link;
        path = link.GetPath();
        ASSERT_TRUE(link.StartSet(&NullDeviceId(), *TwoTrackSet(), 0));
        ASSERT_TRUE(test::WaitUntil([&] { return link.GetPosition().value_or(0) > 0; }));
    }
    const long before = ResidentKilobytes(pid);

    std::mt19937 random(1234);
    auto word = [&](uint32_t limit) { return static_cast<uint32_t>(random() % limit); };
    LocalSocket socket;
    for (int sent = 0; sent < 10000; ++sent) {
        if (!socket.IsOpen() || !socket.IsConnected()) {
            // The server takes the next client once it has seen the last one go.
            ASSERT_TRUE(test::WaitUntil([&] { return (socket = LocalSocket::Connect(path)).IsOpen(); }));
        }
        MessageHeader h;
        std::vector<uint8_t> payload;
        bool closeAfter = false;
        switch (word(6)) {
            case 0:  // a random header with a length up to 2^31, and no payload
                h = {static_cast<int32_t>(random()), static_cast<int32_t>(random()), static_cast<int32_t>(random()),
                     0, word(0x80000000u)};
                closeAfter = true;
                break;
            case 1:  // an unknown code with its payload
                h.code = 100 + static_cast<int32_t>(word(1000));
                payload.resize(word(300));
                break;
            case 2:  // track volumes and sample slots out of range
                h.code = word(2) ? SSM_SET_TRACK_VOLUME : SSM_TRIGGER_SAMPLE;
                h.arg1 = word(2) ? -static_cast<int32_t>(word(1u << 30)) - 1 : 1000 + static_cast<int32_t>(word(1000));
                h.arg2 = static_cast<int32_t>(random());
                break;
            case 3:  // a text without its NUL
                h.code = SSM_LOAD_PRESETS;
                payload.assign(1 + word(200), 'x');
                break;
            case 4:  // part of a header, then gone
                h = {SSM_COMMIT, 0, 0, 0, 1000};
                closeAfter = true;
                break;
            default:  // a commit of garbage
                h.code = SSM_COMMIT;
                payload.resize(word(64));
                for (auto& b : payload) b = static_cast<uint8_t>(random());
                break;
        }
        std::vector<uint8_t> bytes;
        if (closeAfter && h.code == SSM_COMMIT) {
            auto head = EncodeHeader(h);
            bytes.assign(head.begin(), head.begin() + 1 + word(19));
        } else if (closeAfter) {
            auto head = EncodeHeader(h);
            bytes.assign(head.begin(), head.end());
        } else {
            bytes = EncodeMessage(h, payload.data(), payload.size());
        }
        if (!socket.WriteAll(bytes.data(), bytes.size()) || closeAfter) socket.Close();
    }
    socket.Close();

    EXPECT_TRUE(Alive(pid));
    CServerLink link;
    // Served once the server has read the hostile client's last bytes.
    int32_t position = -1;
    ASSERT_TRUE(test::WaitUntil([&] { return (position = link.GetPosition().value_or(-1)) > 0; }));
    EXPECT_TRUE(test::WaitUntil([&] { return link.GetPosition().value_or(-1) > position; }));
    EXPECT_TRUE(link.GetSet());
    const long after = ResidentKilobytes(pid);
    EXPECT_LT(after, before + 64 * 1024) << before << " kB before, " << after << " kB after";
}

TEST_F(ServerProcessTest, OneServerPerUserAndOnlyForThatUser) {
    const std::string bin = fs::path(std::getenv("VANTOR_BIN")).parent_path() / "playhost";
    const std::string second = "cd " + test::ShellQuote(home.Path()) + " && " + test::ShellQuote(bin) + " 2>&1";
    FILE* out = ::popen(second.c_str(), "r");
    ASSERT_NE(out, nullptr);
    char line[256] = {};
    std::string text;
    while (std::fgets(line, sizeof line, out)) text += line;
    int status = ::pclose(out);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(text.find("A Sound Server is already running."), std::string::npos) << text;

    struct stat info{};
    ASSERT_EQ(::stat((runtime.Path() + "/vantor").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    CServerLink link;
    ASSERT_EQ(::stat(link.GetPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    if (::geteuid() == 0) {
        // Another user cannot reach the socket.
        pid_t other = ::fork();
        ASSERT_GE(other, 0);
        if (other == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
            ::_exit(LocalSocket::Connect(link.GetPath()).IsOpen() ? 1 : 0);
        }
        int result = 0;
        ::waitpid(other, &result, 0);
        EXPECT_EQ(WEXITSTATUS(result), 0);
    }
}

TEST_F(ServerProcessTest, CommandLinePlaysConnectsCommitsAndStops) {
    auto set = TwoTrackSet();
    const std::string file = home / "friday.set";
    ASSERT_TRUE(WriteSetFile(*set, file));
    auto played = Run("play " + file + " --server --device null --loop 1 2");
    ASSERT_EQ(played.exitCode, 0) << played.err;
    EXPECT_EQ(Run("server connect").exitCode, 1);  // the option is off
    ASSERT_EQ(Run("config set sound-server on").exitCode, 0);
    auto connected = Run("server connect");
    ASSERT_EQ(connected.exitCode, 0) << connected.err;
    EXPECT_NE(connected.out.find("Running: Friday (2 tracks)"), std::string::npos) << connected.out;
    EXPECT_NE(connected.out.find("loop: 1.000 s to 2.000 s"), std::string::npos) << connected.out;

    auto edited = RefPtr<CMusicSet>(set->Clone());
    auto event = MakeRef<CEvent>();
    event->SetPosition(44100);
    edited->GetTrack(2)->AddEvent(event.get());
    ASSERT_TRUE(WriteSetFile(*edited, file));
    auto committed = Run("server commit " + file);
    ASSERT_EQ(committed.exitCode, 0) << committed.err;
    EXPECT_NE(committed.out.find("committed 1 change"), std::string::npos);
    {
        // One client at a time: this one leaves before the next command.
        CServerLink link;
        RefPtr<CMusicSet> playing = link.GetSet();
        ASSERT_TRUE(playing);
        EXPECT_EQ(playing->GetTrack(2)->GetEvents().GetCount(), 1);
    }

    EXPECT_EQ(Run("server status").out.substr(0, 8), "Running:");
    ASSERT_EQ(Run("server stop").exitCode, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return !Alive(pid); }));
    EXPECT_EQ(Run("server status").out, "Not started\n");
    EXPECT_EQ(Run("server stop").exitCode, 1);
}

}  // namespace
}  // namespace vantor

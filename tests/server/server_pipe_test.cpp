#include "server/server_pipe.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/runtime_directory.h"
#include "server/server_link.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace vantor {
namespace {

constexpr const char* kName = "KAVRO-test";

class ServerPipeThreadedTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
        config.SetDefaults();
        path = RuntimeDirectory::PathOf(kName).Value();
    }

    test::TempDir runtime{"pipe-run"};
    CConfiguration config;
    std::string path;
};

TEST_F(ServerPipeThreadedTest, AStopReachesTheThreadWhileAClientStaysConnected) {
    CServerDlg dialog(config, nullptr, nullptr);
    CServerPipe pipe(&dialog, nullptr);
    ASSERT_TRUE(pipe.Listen(path));
    ASSERT_TRUE(pipe.Start());
    CServerLink link(kName);
    EXPECT_EQ(link.GetSampleCount().value_or(0), 9);  // the link stays connected, the thread waits for it
    const auto began = std::chrono::steady_clock::now();
    EXPECT_TRUE(pipe.Join(5));
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(2));
    EXPECT_FALSE(link.GetPosition());
}

TEST_F(ServerPipeThreadedTest, ShutdownEndsTheThreadAndTellsTheOwner) {
    CServerDlg dialog(config, nullptr, nullptr);
    std::atomic<bool> told{false};
    CServerPipe pipe(&dialog, [&] { told = true; });
    ASSERT_TRUE(pipe.Listen(path));
    ASSERT_TRUE(pipe.Start());
    CServerLink link(kName);
    ASSERT_TRUE(link.Shutdown());
    EXPECT_TRUE(test::WaitUntil([&] { return !pipe.IsRunning(); }));
    EXPECT_TRUE(told);
}

TEST_F(ServerPipeThreadedTest, AProtocolErrorClosesTheConnectionAndTheNextClientIsServed) {
    CServerDlg dialog(config, nullptr, nullptr);
    CServerPipe pipe(&dialog, nullptr);
    ASSERT_TRUE(pipe.Listen(path));
    ASSERT_TRUE(pipe.Start());
    {
        LocalSocket hostile = LocalSocket::Connect(path);
        ASSERT_TRUE(hostile.IsOpen());
        auto head = EncodeHeader({SSM_COMMIT, 0, 0, 0, 0x7FFFFFFF});
        ASSERT_TRUE(hostile.WriteAll(head.data(), head.size()));
        uint8_t byte;
        EXPECT_EQ(hostile.ReadAll(&byte, 1, LocalSocket::Clock::now() + std::chrono::seconds(5)),
                  LocalSocket::Io::Closed);
    }
    EXPECT_EQ(pipe.GetProtocolErrorCount(), 1);
    CServerLink link(kName);
    EXPECT_TRUE(test::WaitUntil([&] { return link.GetPosition().has_value(); }));
    pipe.Join(5);
}

// A server that answers the first request with the wrong code, and the
// next with the right one.
TEST_F(ServerPipeThreadedTest, AReplyOfAnotherCodeClosesTheLinkWhichOpensAgain) {
    LocalListener listener;
    ASSERT_TRUE(listener.Listen(path));
    SocketWaker waker;
    std::thread server([&] {
        for (int32_t reply : {SSM_LOOP, SSM_POSITION}) {
            LocalSocket client = listener.Accept(waker);
            uint8_t head[kMessageHeaderBytes];
            if (client.ReadAll(head, sizeof head, LocalSocket::Clock::now() + std::chrono::seconds(5)) !=
                LocalSocket::Io::Ok)
                return;
            auto bytes = EncodeMessage({reply, 4321, 0, 0, 0});
            client.WriteAll(bytes.data(), bytes.size());
            // Waits for the link to close this connection.
            uint8_t byte;
            client.ReadAll(&byte, 1, LocalSocket::Clock::now() + std::chrono::seconds(5));
        }
    });
    CServerLink link(kName);
    EXPECT_FALSE(link.GetPosition());
    EXPECT_EQ(link.GetPosition().value_or(0), 4321);
    link.Shutdown();
    server.join();
}

}  // namespace
}  // namespace vantor

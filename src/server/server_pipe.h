#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "engine/thread.h"
#include "platform/local_socket.h"
#include "platform/result.h"
#include "server/server_dlg.h"
#include "server/server_message.h"

namespace vantor {

// The server's socket thread: accepts one client at a time (of this user
// only), reads its messages, has the owner carry them out and writes the
// replies. A protocol error, a message that does not arrive in time or a
// client that goes away closes the connection; the next client is waited
// for. A stop request wakes the thread wherever it waits, also while a
// client stays connected.
class CServerPipe : public CThread {
public:
    // onShutdown is called on the thread when a client asks the server to end.
    CServerPipe(CServerDlg* owner, std::function<void()> onShutdown);
    ~CServerPipe() override;

    // Creates the socket at the path; before Start. The socket goes when the
    // thread ends.
    Status Listen(const std::string& path);

    // Connections closed for a protocol error, and clients refused as another user's.
    int64_t GetProtocolErrorCount() const { return m_protocolErrors.load(); }
    int64_t GetRefusedCount() const { return m_refused.load(); }

protected:
    int32_t Run() override;
    void OnStopRequest() override;

private:
    void Serve(LocalSocket& client);
    // False when the connection ends after the message (shutdown).
    bool Handle(const ServerMessage& message, LocalSocket& client);

    CServerDlg* m_owner;
    std::function<void()> m_onShutdown;
    LocalListener m_listener;
    SocketWaker m_waker;
    std::atomic<int64_t> m_protocolErrors{0};
    std::atomic<int64_t> m_refused{0};
};

}  // namespace vantor

#pragma once

#include <cstddef>
#include <cstdint>

#include "server/server_message.h"

namespace vantor {

// Where a message reader takes its bytes from: a socket with a deadline per
// message, or a block of bytes.
class IMessageSource {
public:
    enum class Read { Ok, Closed, TimedOut, Woken };
    virtual ~IMessageSource() = default;
    // Waits, without limit unless the source has one, until a message
    // begins; starts the deadline for the rest of it.
    virtual Read WaitForMessage() = 0;
    // Exactly size bytes of the message begun, before its deadline.
    virtual Read ReadExact(void* data, size_t size) = 0;
};

// Reads one message at a time off a source, trusting nothing: a length is
// checked against the cap of its code before any byte of the payload is
// kept, and the payload grows only with bytes that arrived. The payload of a
// message nobody knows is read and dropped, so the stream stays in step.
class MessageReader {
public:
    // Requests reach the server; replies reach the workstation.
    enum class Role { Server, Client };
    enum class Outcome {
        Message,        // a message to act on
        Ignored,        // an unknown code, or a text message without text; its bytes are consumed
        Closed,         // the peer went away or a message did not arrive in time
        ProtocolError,  // over a cap or text without its NUL: the connection must be closed
        Woken,          // the wait for a message was ended from outside
    };

    MessageReader(IMessageSource& source, Role role) : m_source(source), m_role(role) {}

    Outcome Read(ServerMessage& message);

    // The largest payload a message with the code may carry.
    static uint32_t PayloadCap(Role role, int32_t code);
    // True when the payload of a text-carrying code holds its NUL-terminated
    // texts within their caps.
    static bool TextsTerminated(int32_t code, const std::vector<uint8_t>& payload);

private:
    Outcome ReadPayload(uint32_t length, std::vector<uint8_t>* into);

    IMessageSource& m_source;
    Role m_role;
};

}  // namespace vantor

// The sound server's message reader over arbitrary bytes: every message it
// hands on has a payload within its code's cap and, where it carries texts,
// their NULs.
#include <cstdint>
#include <cstdlib>

#include "server/memory_message_source.h"
#include "server/message_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantor;
    for (auto role : {MessageReader::Role::Server, MessageReader::Role::Client}) {
        MemoryMessageSource source(data, size);
        MessageReader reader(source, role);
        ServerMessage message;
        for (;;) {
            auto outcome = reader.Read(message);
            if (outcome != MessageReader::Outcome::Message && outcome != MessageReader::Outcome::Ignored) break;
            if (outcome == MessageReader::Outcome::Message) {
                if (message.payload.size() > MessageReader::PayloadCap(role, message.header.code)) std::abort();
                // A request for a sample's name carries no text; its reply does.
                if (!message.payload.empty() && !MessageReader::TextsTerminated(message.header.code, message.payload))
                    std::abort();
            }
        }
    }
    return 0;
}

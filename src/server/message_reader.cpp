#include "server/message_reader.h"

#include <algorithm>
#include <cstring>

namespace vantor {

namespace {

constexpr size_t kChunkBytes = 64 * 1024;

MessageReader::Outcome FromRead(IMessageSource::Read read) {
    return read == IMessageSource::Read::Woken ? MessageReader::Outcome::Woken : MessageReader::Outcome::Closed;
}

// The length of the NUL-terminated text at from, or -1 when no NUL lies
// within the cap or the payload.
int TextLength(const std::vector<uint8_t>& payload, size_t from) {
    const size_t end = std::min(payload.size(), from + kMaxTextBytes);
    for (size_t i = from; i < end; ++i)
        if (payload[i] == 0) return static_cast<int>(i - from);
    return -1;
}

}  // namespace

uint32_t MessageReader::PayloadCap(Role role, int32_t code) {
    if (role == Role::Server) {
        switch (code) {
            case SSM_START_SET: return kDeviceIdBytes + kMaxSetBytes;
            case SSM_COMMIT: return kMaxSetBytes;
            case SSM_LOAD_SAMPLE: return 2 * kMaxTextBytes;
            case SSM_LOAD_PRESETS:
            case SSM_SAVE_PRESETS: return kMaxTextBytes;
            default: return 0;
        }
    }
    switch (code) {
        case SSM_COMMIT: return kMaxSetBytes;  // the reply that carries the set
        case SSM_SAMPLE_NAME: return kMaxTextBytes;
        default: return 0;
    }
}

bool MessageReader::TextsTerminated(int32_t code, const std::vector<uint8_t>& payload) {
    switch (code) {
        case SSM_LOAD_SAMPLE: {
            int name = TextLength(payload, 0);
            return name >= 0 && TextLength(payload, static_cast<size_t>(name) + 1) >= 0;
        }
        case SSM_LOAD_PRESETS:
        case SSM_SAVE_PRESETS:
        case SSM_SAMPLE_NAME: return TextLength(payload, 0) >= 0;
        default: return true;
    }
}

MessageReader::Outcome MessageReader::ReadPayload(uint32_t length, std::vector<uint8_t>* into) {
    uint8_t scratch[4096];
    size_t done = 0;
    while (done < length) {
        const size_t step = std::min<size_t>(length - done, into ? kChunkBytes : sizeof scratch);
        uint8_t* target = scratch;
        if (into) {
            into->resize(done + step);
            target = into->data() + done;
        }
        if (auto read = m_source.ReadExact(target, step); read != IMessageSource::Read::Ok) return FromRead(read);
        done += step;
    }
    return Outcome::Message;
}

MessageReader::Outcome MessageReader::Read(ServerMessage& message) {
    message.header = {};
    message.payload.clear();
    if (auto wait = m_source.WaitForMessage(); wait != IMessageSource::Read::Ok) return FromRead(wait);
    uint8_t head[kMessageHeaderBytes];
    if (auto read = m_source.ReadExact(head, sizeof head); read != IMessageSource::Read::Ok) return FromRead(read);
    message.header = DecodeHeader(head);
    const int32_t code = message.header.code;
    const uint32_t length = message.header.length;
    const uint32_t cap = PayloadCap(m_role, code);

    if (cap == 0) {
        // No payload belongs to this code: whatever was sent is dropped.
        if (length > kMaxUnknownBytes) return Outcome::ProtocolError;
        if (auto dropped = ReadPayload(length, nullptr); dropped != Outcome::Message) return dropped;
        const bool known = m_role == Role::Server ? (code >= SSM_START_SET && code <= SSM_SAVE_PRESETS &&
                                                     code != SSM_POSITION && code != SSM_LOOP && code != SSM_TRACK_VOLUME)
                                                  : (code >= SSM_START_SET && code <= SSM_SAMPLE_COUNT);
        return known ? Outcome::Message : Outcome::Ignored;
    }
    if (length > cap) return Outcome::ProtocolError;
    if (auto read = ReadPayload(length, &message.payload); read != Outcome::Message) return read;
    const bool text = code == SSM_LOAD_SAMPLE || code == SSM_LOAD_PRESETS || code == SSM_SAVE_PRESETS ||
                      (m_role == Role::Client && code == SSM_SAMPLE_NAME);
    if (text && length == 0) return Outcome::Ignored;
    if (text && !TextsTerminated(code, message.payload)) return Outcome::ProtocolError;
    return Outcome::Message;
}

}  // namespace vantor

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vantor {

// The codes of the messages between the workstation and the sound server.
enum ServerMessageCode : int32_t {
    SSM_START_SET = 1,
    SSM_STOP_SET = 2,
    SSM_GET_SET = 3,
    SSM_COMMIT = 4,
    SSM_GET_POSITION = 5,
    SSM_POSITION = 6,
    SSM_RELOAD_DATABASE = 7,
    SSM_SHUTDOWN = 8,
    SSM_SET_LOOP = 9,
    SSM_GET_LOOP = 10,
    SSM_LOOP = 11,
    SSM_SET_TRACK_VOLUME = 12,
    SSM_GET_TRACK_VOLUME = 13,
    SSM_TRACK_VOLUME = 14,
    SSM_LOAD_SAMPLE = 15,
    SSM_TRIGGER_SAMPLE = 16,
    SSM_GET_SAMPLE_NAME = 17,
    SSM_GET_SAMPLE_COUNT = 18,
    SSM_LOAD_PRESETS = 19,
    SSM_SAVE_PRESETS = 20,
    SSM_SAMPLE_NAME = 21,
    SSM_SAMPLE_COUNT = 22,
};

// Every message starts with five little-endian 32-bit integers; exactly
// `length` payload bytes follow. arg3 is carried by no message.
struct MessageHeader {
    int32_t code = 0;
    int32_t arg1 = 0;
    int32_t arg2 = 0;
    int32_t arg3 = 0;
    uint32_t length = 0;
};

struct ServerMessage {
    MessageHeader header;
    std::vector<uint8_t> payload;
};

constexpr size_t kMessageHeaderBytes = 20;
// A set or a set history travels whole; nothing larger is accepted.
constexpr uint32_t kMaxSetBytes = 64u << 20;
// The 16-byte output device identifier heads a start message.
constexpr uint32_t kDeviceIdBytes = 16;
// A name or path: at most 254 characters and its NUL.
constexpr uint32_t kMaxTextBytes = 255;
// The payload of a message nobody knows is read and dropped up to this size.
constexpr uint32_t kMaxUnknownBytes = 64u << 10;
// The rest of a message must arrive this soon after its first byte.
constexpr int kMessageDeadlineMilliseconds = 5000;
// Volumes travel as trunc(volume x 10000).
constexpr double kVolumeScale = 10000.0;

std::array<uint8_t, kMessageHeaderBytes> EncodeHeader(const MessageHeader& header);
MessageHeader DecodeHeader(const uint8_t* bytes);
// The header followed by the payload, in one block.
std::vector<uint8_t> EncodeMessage(const MessageHeader& header, const uint8_t* payload = nullptr, size_t size = 0);

}  // namespace vantor

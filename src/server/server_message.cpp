#include "server/server_message.h"

#include "platform/little_endian.h"

namespace vantor {

std::array<uint8_t, kMessageHeaderBytes> EncodeHeader(const MessageHeader& header) {
    std::array<uint8_t, kMessageHeaderBytes> bytes{};
    const uint32_t fields[5] = {static_cast<uint32_t>(header.code), static_cast<uint32_t>(header.arg1),
                                static_cast<uint32_t>(header.arg2), static_cast<uint32_t>(header.arg3), header.length};
    for (int f = 0; f < 5; ++f) StoreLE32(bytes.data() + f * 4, fields[f]);
    return bytes;
}

MessageHeader DecodeHeader(const uint8_t* bytes) {
    uint32_t fields[5];
    for (int f = 0; f < 5; ++f) fields[f] = LoadLE32(bytes + f * 4);
    return {static_cast<int32_t>(fields[0]), static_cast<int32_t>(fields[1]), static_cast<int32_t>(fields[2]),
            static_cast<int32_t>(fields[3]), fields[4]};
}

std::vector<uint8_t> EncodeMessage(const MessageHeader& header, const uint8_t* payload, size_t size) {
    MessageHeader h = header;
    h.length = static_cast<uint32_t>(size);
    auto head = EncodeHeader(h);
    std::vector<uint8_t> bytes(head.begin(), head.end());
    if (size) bytes.insert(bytes.end(), payload, payload + size);
    return bytes;
}

}  // namespace vantor

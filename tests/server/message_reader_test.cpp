#include "server/message_reader.h"

#include <gtest/gtest.h>

#include "server/memory_message_source.h"

namespace vantor {
namespace {

using Outcome = MessageReader::Outcome;
using Role = MessageReader::Role;

std::vector<uint8_t> Header(uint32_t code, uint32_t arg1, uint32_t arg2, uint32_t arg3, uint32_t length) {
    std::vector<uint8_t> bytes;
    for (uint32_t v : {code, arg1, arg2, arg3, length})
        for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(v >> (8 * b)));
    return bytes;
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

TEST(ServerMessageTest, HeaderIsFiveLittleEndianIntegers) {
    MessageHeader h{SSM_SET_LOOP, -2, 0x01020304, 7, 5};
    auto bytes = EncodeHeader(h);
    std::vector<uint8_t> expected = Header(9, 0xFFFFFFFEu, 0x01020304, 7, 5);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
    MessageHeader back = DecodeHeader(bytes.data());
    EXPECT_EQ(back.code, 9);
    EXPECT_EQ(back.arg1, -2);
    EXPECT_EQ(back.arg2, 0x01020304);
    EXPECT_EQ(back.length, 5u);
}

TEST(MessageReaderTest, ReadsMessagesAndPayloadsInStep) {
    std::vector<uint8_t> stream;
    Append(stream, Header(SSM_SET_LOOP, 100, 200, 0, 0));
    Append(stream, Header(SSM_LOAD_PRESETS, 0, 0, 0, 6));
    Append(stream, {'a', '.', 's', 'p', 0, 'x'});
    // An unknown code's payload is read and dropped; the next message is found.
    Append(stream, Header(77, 0, 0, 0, 3));
    Append(stream, {1, 2, 3});
    // A message without payload whose length is not zero: the bytes are dropped.
    Append(stream, Header(SSM_GET_POSITION, 0, 0, 0, 2));
    Append(stream, {9, 9});
    Append(stream, Header(SSM_LOAD_SAMPLE, 3, 0, 0, 8));
    Append(stream, {'k', 'i', 'c', 'k', 0, '/', 'p', 0});
    MemoryMessageSource source(stream.data(), stream.size());
    MessageReader reader(source, Role::Server);
    ServerMessage m;
    ASSERT_EQ(reader.Read(m), Outcome::Message);
    EXPECT_EQ(m.header.code, SSM_SET_LOOP);
    EXPECT_EQ(m.header.arg2, 200);
    ASSERT_EQ(reader.Read(m), Outcome::Message);
    EXPECT_EQ(m.payload.size(), 6u);
    EXPECT_EQ(reader.Read(m), Outcome::Ignored);
    ASSERT_EQ(reader.Read(m), Outcome::Message);
    EXPECT_EQ(m.header.code, SSM_GET_POSITION);
    EXPECT_TRUE(m.payload.empty());
    ASSERT_EQ(reader.Read(m), Outcome::Message);
    EXPECT_EQ(m.header.arg1, 3);
    EXPECT_EQ(reader.Read(m), Outcome::Closed);
}

TEST(MessageReaderTest, LengthsOverTheirCapsAreProtocolErrorsBeforeAnyAllocation) {
    struct Case {
        uint32_t code;
        uint32_t length;
    } cases[] = {
        {SSM_START_SET, kDeviceIdBytes + kMaxSetBytes + 1}, {SSM_COMMIT, kMaxSetBytes + 1},
        {SSM_COMMIT, 0x80000000u},                          {SSM_LOAD_SAMPLE, 2 * kMaxTextBytes + 1},
        {SSM_LOAD_PRESETS, kMaxTextBytes + 1},              {SSM_SAVE_PRESETS, 0xFFFFFFFFu},
        {99, kMaxUnknownBytes + 1},                         {SSM_GET_LOOP, kMaxUnknownBytes + 1},
    };
    for (const auto& c : cases) {
        auto stream = Header(c.code, 0, 0, 0, c.length);
        MemoryMessageSource source(stream.data(), stream.size());
        MessageReader reader(source, Role::Server);
        ServerMessage m;
        EXPECT_EQ(reader.Read(m), Outcome::ProtocolError) << c.code << " " << c.length;
        EXPECT_TRUE(m.payload.empty());
        EXPECT_EQ(m.payload.capacity(), 0u);
    }
}

TEST(MessageReaderTest, TextsMustCarryTheirNulWithinTheirCaps) {
    auto run = [](uint32_t code, std::vector<uint8_t> payload, Role role = Role::Server) {
        auto stream = Header(code, 0, 0, 0, static_cast<uint32_t>(payload.size()));
        Append(stream, payload);
        MemoryMessageSource source(stream.data(), stream.size());
        MessageReader reader(source, role);
        ServerMessage m;
        return reader.Read(m);
    };
    EXPECT_EQ(run(SSM_LOAD_PRESETS, {'a', 'b'}), Outcome::ProtocolError);
    EXPECT_EQ(run(SSM_SAVE_PRESETS, {}), Outcome::Ignored);
    EXPECT_EQ(run(SSM_LOAD_SAMPLE, {'n', 0, 'p'}), Outcome::ProtocolError);  // the path has no NUL
    EXPECT_EQ(run(SSM_LOAD_SAMPLE, {'n', 0, 'p', 0}), Outcome::Message);
    std::vector<uint8_t> longName(255, 'x');  // 255 characters leave no room for the NUL
    longName.push_back(0);
    longName.push_back(0);
    EXPECT_EQ(run(SSM_LOAD_SAMPLE, longName), Outcome::ProtocolError);
    std::vector<uint8_t> fullName(254, 'x');
    fullName.push_back(0);
    fullName.push_back('p');
    fullName.push_back(0);
    EXPECT_EQ(run(SSM_LOAD_SAMPLE, fullName), Outcome::Message);
    EXPECT_EQ(run(SSM_SAMPLE_NAME, {'n', 'o'}, Role::Client), Outcome::ProtocolError);
    EXPECT_EQ(run(SSM_SAMPLE_NAME, {'o', 'k', 0}, Role::Client), Outcome::Message);
}

TEST(MessageReaderTest, ShortMessagesCloseTheConnection) {
    auto full = Header(SSM_COMMIT, 0, 0, 0, 100);
    full.resize(full.size() + 40);  // 60 of the 100 payload bytes never come
    for (size_t cut : {size_t{7}, size_t{19}, full.size()}) {
        MemoryMessageSource source(full.data(), cut);
        MessageReader reader(source, Role::Server);
        ServerMessage m;
        EXPECT_EQ(reader.Read(m), Outcome::Closed) << cut;
    }
}

TEST(MessageReaderTest, RepliesHaveTheirOwnCaps) {
    auto stream = Header(SSM_SAMPLE_NAME, 0, 0, 0, 256);
    MemoryMessageSource source(stream.data(), stream.size());
    MessageReader reader(source, Role::Client);
    ServerMessage m;
    EXPECT_EQ(reader.Read(m), Outcome::ProtocolError);
    // A reply code reaching the server is unknown there: dropped.
    auto reply = Header(SSM_POSITION, 5, 0, 0, 0);
    MemoryMessageSource server(reply.data(), reply.size());
    MessageReader serverReader(server, Role::Server);
    EXPECT_EQ(serverReader.Read(m), Outcome::Ignored);
}

}  // namespace
}  // namespace vantor

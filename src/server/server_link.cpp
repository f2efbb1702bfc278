#include "server/server_link.h"

#include <chrono>
#include <cmath>

#include "model/memory_istream.h"
#include "model/set_file.h"
#include "platform/runtime_directory.h"
#include "server/message_reader.h"
#include "server/socket_message_source.h"

namespace vantor {

CServerLink::CServerLink(const std::string& pipeName) {
    if (auto path = RuntimeDirectory::PathOf(pipeName)) m_path = path.Value();
}

bool CServerLink::EnsureOpen() {
    std::lock_guard lock(m_lock);
    if (m_socket.IsOpen() && m_socket.IsConnected()) return true;
    m_socket.Close();
    if (!m_path.empty()) m_socket = LocalSocket::Connect(m_path);
    return m_socket.IsOpen();
}

bool CServerLink::Send(int32_t code, int32_t arg1, int32_t arg2, const std::vector<uint8_t>& payload) {
    std::lock_guard lock(m_lock);
    if (!EnsureOpen()) return false;
    MessageHeader header;
    header.code = code;
    header.arg1 = arg1;
    header.arg2 = arg2;
    auto bytes = EncodeMessage(header, payload.data(), payload.size());
    if (m_socket.WriteAll(bytes.data(), bytes.size())) return true;
    m_socket.Close();
    return false;
}

bool CServerLink::Exchange(int32_t code, int32_t arg1, int32_t expected, ServerMessage& reply) {
    std::lock_guard lock(m_lock);
    if (!Send(code, arg1, 0)) return false;
    SocketMessageSource source(m_socket, std::chrono::milliseconds(kReplyMilliseconds));
    MessageReader reader(source, MessageReader::Role::Client);
    if (reader.Read(reply) == MessageReader::Outcome::Message && reply.header.code == expected) return true;
    m_socket.Close();
    return false;
}

std::vector<uint8_t> CServerLink::Texts(std::initializer_list<const std::string*> texts) {
    std::vector<uint8_t> payload;
    for (const std::string* text : texts) {
        payload.insert(payload.end(), text->begin(), text->end());
        payload.push_back(0);
    }
    return payload;
}

bool CServerLink::StartSet(const DeviceId* device, const CMusicSet& set, int32_t startFrame) {
    std::vector<uint8_t> payload(kDeviceIdBytes, 0);
    if (device) std::copy(device->begin(), device->end(), payload.begin());
    auto record = SerializeToBytes(set);
    if (record.size() > kMaxSetBytes) return false;
    payload.insert(payload.end(), record.begin(), record.end());
    return Send(SSM_START_SET, startFrame, 0, payload);
}

RefPtr<CMusicSet> CServerLink::GetSet() {
    ServerMessage reply;
    if (!Exchange(SSM_GET_SET, 0, SSM_COMMIT, reply) || reply.payload.empty()) return {};
    auto set = MakeRef<CMusicSet>();
    CMemoryIStream in(reply.payload.data(), static_cast<int32_t>(reply.payload.size()));
    set->Deserialize(in);
    if (in.IsDamaged() || in.RanShort()) return {};
    return set;
}

bool CServerLink::Commit(const CSetHistory& history) {
    auto record = SerializeToBytes(history);
    if (record.size() > kMaxSetBytes) return false;
    return Send(SSM_COMMIT, 0, 0, record);
}

std::optional<int32_t> CServerLink::GetPosition() {
    ServerMessage reply;
    if (!Exchange(SSM_GET_POSITION, 0, SSM_POSITION, reply)) return std::nullopt;
    return reply.header.arg1;
}

bool CServerLink::ReloadDatabase() { return Send(SSM_RELOAD_DATABASE, 0, 0); }

bool CServerLink::Shutdown() {
    std::lock_guard lock(m_lock);
    bool sent = Send(SSM_SHUTDOWN, 0, 0);
    m_socket.Close();
    return sent;
}

bool CServerLink::SetLoop(int32_t start, int32_t end) { return Send(SSM_SET_LOOP, start, end); }

bool CServerLink::GetLoop(int32_t& start, int32_t& end) {
    ServerMessage reply;
    if (!Exchange(SSM_GET_LOOP, 0, SSM_LOOP, reply)) return false;
    start = reply.header.arg1;
    end = reply.header.arg2;
    return true;
}

bool CServerLink::SetTrackVolume(int32_t track, double volume) {
    if (!std::isfinite(volume) || volume < 0.0 || volume >= 4.0) return false;
    return Send(SSM_SET_TRACK_VOLUME, track, static_cast<int32_t>(std::trunc(volume * kVolumeScale)));
}

double CServerLink::GetTrackVolume(int32_t track) {
    ServerMessage reply;
    if (!Exchange(SSM_GET_TRACK_VOLUME, track, SSM_TRACK_VOLUME, reply)) return -1.0;
    return reply.header.arg1 * (1.0 / kVolumeScale);
}

bool CServerLink::LoadSample(int32_t slot, const std::string& name, const std::string& path) {
    if (name.size() >= kMaxTextBytes || path.size() >= kMaxTextBytes) return false;
    return Send(SSM_LOAD_SAMPLE, slot, 0, Texts({&name, &path}));
}

bool CServerLink::TriggerSample(int32_t slot) { return Send(SSM_TRIGGER_SAMPLE, slot, 0); }

std::string CServerLink::GetSampleName(int32_t slot) {
    ServerMessage reply;
    if (!Exchange(SSM_GET_SAMPLE_NAME, slot, SSM_SAMPLE_NAME, reply)) return {};
    return std::string(reinterpret_cast<const char*>(reply.payload.data()));
}

std::optional<int32_t> CServerLink::GetSampleCount() {
    ServerMessage reply;
    if (!Exchange(SSM_GET_SAMPLE_COUNT, 0, SSM_SAMPLE_COUNT, reply)) return std::nullopt;
    return reply.header.arg1;
}

bool CServerLink::LoadPresets(const std::string& path) {
    if (path.size() >= kMaxTextBytes) return false;
    return Send(SSM_LOAD_PRESETS, 0, 0, Texts({&path}));
}

bool CServerLink::SavePresets(const std::string& path) {
    if (path.size() >= kMaxTextBytes) return false;
    return Send(SSM_SAVE_PRESETS, 0, 0, Texts({&path}));
}

}  // namespace vantor

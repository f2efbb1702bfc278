#include "server/server_pipe.h"

#include <chrono>

#include "server/message_reader.h"
#include "server/socket_message_source.h"

namespace vantor {

namespace {

bool Reply(LocalSocket& client, int32_t code, int32_t arg1 = 0, int32_t arg2 = 0,
           const std::vector<uint8_t>& payload = {}) {
    MessageHeader header;
    header.code = code;
    header.arg1 = arg1;
    header.arg2 = arg2;
    auto bytes = EncodeMessage(header, payload.data(), payload.size());
    return client.WriteAll(bytes.data(), bytes.size());
}

}  // namespace

CServerPipe::CServerPipe(CServerDlg* owner, std::function<void()> onShutdown)
    : m_owner(owner), m_onShutdown(std::move(onShutdown)) {}

CServerPipe::~CServerPipe() {
    Join(-1);
    m_listener.Close();  // never started
}

Status CServerPipe::Listen(const std::string& path) {
    if (!m_waker.IsOpen()) return Refusal{"Cannot create the wake-up pipe", "", MessageIcon::Error};
    return m_listener.Listen(path);
}

void CServerPipe::OnStopRequest() { m_waker.Wake(); }

int32_t CServerPipe::Run() {
    while (!IsStopRequested()) {
        LocalSocket client = m_listener.Accept(m_waker);
        if (!client.IsOpen()) continue;
        if (!client.PeerIsSameUser()) {
            ++m_refused;
            continue;
        }
        Serve(client);
    }
    // The next client finds no socket rather than one nobody serves.
    m_listener.Close();
    return 0;
}

void CServerPipe::Serve(LocalSocket& client) {
    SocketMessageSource source(client, std::chrono::milliseconds(-1), &m_waker);
    MessageReader reader(source, MessageReader::Role::Server);
    ServerMessage message;
    while (!IsStopRequested()) {
        switch (reader.Read(message)) {
            case MessageReader::Outcome::Message:
                if (!Handle(message, client)) return;
                break;
            case MessageReader::Outcome::Ignored: break;
            case MessageReader::Outcome::ProtocolError: ++m_protocolErrors; return;
            case MessageReader::Outcome::Closed:
            case MessageReader::Outcome::Woken: return;
        }
    }
}

bool CServerPipe::Handle(const ServerMessage& message, LocalSocket& client) {
    const MessageHeader& h = message.header;
    switch (h.code) {
        case SSM_START_SET: m_owner->StartSet(h.arg1, message.payload); return true;
        case SSM_STOP_SET: m_owner->StopSet(); return true;
        case SSM_GET_SET: return Reply(client, SSM_COMMIT, 0, 0, m_owner->GetSetBytes());
        case SSM_COMMIT: m_owner->ApplyHistory(message.payload); return true;
        case SSM_GET_POSITION: return Reply(client, SSM_POSITION, m_owner->GetPosition());
        case SSM_RELOAD_DATABASE: m_owner->ReloadDatabase(); return true;
        case SSM_SHUTDOWN:
            if (m_onShutdown) m_onShutdown();
            RequestStop();
            return false;
        case SSM_SET_LOOP: m_owner->SetLoop(h.arg1, h.arg2); return true;
        case SSM_GET_LOOP: {
            int32_t start = 0, end = 0;
            m_owner->GetLoop(start, end);
            return Reply(client, SSM_LOOP, start, end);
        }
        case SSM_SET_TRACK_VOLUME: m_owner->SetTrackVolume(h.arg1, h.arg2); return true;
        case SSM_GET_TRACK_VOLUME: return Reply(client, SSM_TRACK_VOLUME, m_owner->GetTrackVolume(h.arg1));
        case SSM_LOAD_SAMPLE: m_owner->LoadSample(h.arg1, message.payload); return true;
        case SSM_TRIGGER_SAMPLE: m_owner->TriggerSample(h.arg1); return true;
        case SSM_GET_SAMPLE_NAME: {
            const std::string name = m_owner->GetSampleName(h.arg1);
            std::vector<uint8_t> payload(name.begin(), name.end());
            payload.push_back(0);
            return Reply(client, SSM_SAMPLE_NAME, 0, 0, payload);
        }
        case SSM_GET_SAMPLE_COUNT: return Reply(client, SSM_SAMPLE_COUNT, m_owner->GetSampleCount());
        case SSM_LOAD_PRESETS: m_owner->LoadPresets(message.payload); return true;
        case SSM_SAVE_PRESETS: m_owner->SavePresets(message.payload); return true;
        default: return true;
    }
}

}  // namespace vantor

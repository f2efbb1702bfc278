#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "model/music_set.h"
#include "model/ref_ptr.h"
#include "model/set_history.h"
#include "platform/device_id.h"
#include "platform/local_socket.h"
#include "server/server_message.h"

namespace vantor {

// The workstation's end of the connection to the sound server: one
// operation per message, each an exchange made whole under the link's lock.
// The socket is opened by the first message and opened again by any later
// one after it broke; a reply that is late, short, of another code or over
// its cap closes it. Replies count only when they arrive whole.
class CServerLink {
public:
    static constexpr const char* kPipeName = "KAVRO";
    // How long a reply may take before the connection is given up.
    static constexpr int kReplyMilliseconds = 3000;

    explicit CServerLink(const std::string& pipeName = kPipeName);
    CServerLink(const CServerLink&) = delete;
    CServerLink& operator=(const CServerLink&) = delete;

    // The socket path; empty when the runtime directory was refused.
    const std::string& GetPath() const { return m_path; }
    // True when a server listens (the socket is open or can be opened).
    bool EnsureOpen();

    // True only when every byte of the message was written.
    bool StartSet(const DeviceId* device, const CMusicSet& set, int32_t startFrame);
    // The playing set, or none when nothing plays or no whole set came back.
    RefPtr<CMusicSet> GetSet();
    bool Commit(const CSetHistory& history);
    // None when the server gave no answer.
    std::optional<int32_t> GetPosition();
    bool ReloadDatabase();
    bool Shutdown();
    bool SetLoop(int32_t start, int32_t end);
    // Both set from the reply; unchanged and false without one.
    bool GetLoop(int32_t& start, int32_t& end);
    bool SetTrackVolume(int32_t track, double volume);
    // The server's answer (−1.0 while nothing plays); −1.0 without an answer.
    double GetTrackVolume(int32_t track);
    // Names and paths longer than 254 characters are not sent.
    bool LoadSample(int32_t slot, const std::string& name, const std::string& path);
    bool TriggerSample(int32_t slot);
    // Empty without an answer.
    std::string GetSampleName(int32_t slot);
    std::optional<int32_t> GetSampleCount();
    bool LoadPresets(const std::string& path);
    bool SavePresets(const std::string& path);

private:
    bool Send(int32_t code, int32_t arg1, int32_t arg2, const std::vector<uint8_t>& payload = {});
    // Sends and reads a reply of the expected code; the socket is closed on
    // any fault, so the next message starts on a fresh stream.
    bool Exchange(int32_t code, int32_t arg1, int32_t expected, ServerMessage& reply);
    static std::vector<uint8_t> Texts(std::initializer_list<const std::string*> texts);

    std::string m_path;
    std::recursive_mutex m_lock;
    LocalSocket m_socket;
};

}  // namespace vantor

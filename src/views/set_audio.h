#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "config/configuration.h"
#include "engine/set_player.h"
#include "platform/result.h"
#include "platform/user_interface.h"
#include "server/link_in_use.h"
#include "server/server_database_listener.h"

namespace vantor {

class CEffectManagerImpl;
class CMusicDatabase;

// What the set audio of an editor needs from the program around it.
struct SetAudioSetup {
    CEffectManagerImpl* effects = nullptr;
    // The workstation's one link to the sound server, shared by every editor
    // (none: only this editor's own link counts).
    LinkInUse* linkInUse = nullptr;
    // Starts the sound server process and waits until it serves; the
    // default starts the one beside this program in the program directory.
    std::function<Result<pid_t>()> startServer;
    // How the local set player opens its device.
    AudioDeviceOpener opener = OpenAudioDevice;
    // The workstation's MIDI input is given up while the server owns the
    // controllers, and opened again (with its map read anew) after.
    std::function<void()> releaseControllers;
    std::function<void()> reopenControllers;
    // Track effect bindings follow the local set player while it plays.
    std::function<void(CSetPlayer*)> attachPlayer;
    std::function<void()> detachPlayer;
    // The pause before a failed start or commit is sent once more.
    std::chrono::milliseconds retryDelay{200};
};

// What "Connect" brings back from a server that plays on without an editor.
struct ServerConnection {
    RefPtr<CMusicSet> set;
    bool connected = true;
    int32_t loopStart = 0;
    int32_t loopEnd = 0;
    std::shared_ptr<CServerLink> link;
};

// A set editor's set audio: the set plays either in this process on a set
// player of its own or on the sound server through the link in use,
// whichever the configuration chooses. Starting, stopping, edits, the play
// position, the loop and track volumes go to whichever plays; the messages of
// that road go through the user interface. Closing the editor stops a local
// player but leaves the server playing.
class SetAudio {
public:
    // The period of the play cursor's timer.
    static constexpr int kCursorMilliseconds = 30;

    SetAudio(IUserInterface& ui, const CConfiguration& config, CMusicDatabase* database);
    ~SetAudio();
    SetAudio(const SetAudio&) = delete;
    SetAudio& operator=(const SetAudio&) = delete;

    void Configure(SetAudioSetup setup);

    // "Set Start" is enabled while neither a player nor a link exists;
    // "Stop" while one of them does.
    bool IsPlaying() const { return m_player != nullptr || m_link != nullptr; }
    bool IsOnServer() const { return m_link != nullptr; }
    // The play cursor's timer runs while the set plays.
    bool IsCursorTimerRunning() const { return IsPlaying(); }
    CSetPlayer* GetPlayer() const { return m_player.get(); }
    CServerLink* GetLink() const { return m_link.get(); }

    // Plays a copy of the set from the frame with the loop (0 and 0: none),
    // in this process or on the server. False when nothing started; the user
    // has been told why. On the server the link stays in place once the
    // server runs, even when the set could not be handed over.
    bool Start(const CMusicSet& set, int32_t startFrame, int32_t loopStart, int32_t loopEnd);
    // Asks "Are you sure?"; on Yes stops the local player, or shuts the
    // server down. False when nothing was stopped.
    bool Stop();
    // Stops without asking: the local player, or the server shut down.
    void StopNow();
    // Hands the edits to what plays: the local player renders them from its
    // position; the server gets them over the link, sent once more after the
    // retry delay. False, after "Unable to contact Sound Server", when the
    // server could not be reached; true when nothing plays.
    bool Commit(const CSetHistory& history);
    // Frames played; none when nothing plays or the server gave no answer.
    std::optional<int32_t> GetPosition();
    void SetLoop(int32_t start, int32_t end);
    // The track streams' volumes: -1.0 when nothing plays or no answer came.
    bool SetTrackVolume(int32_t track, double volume);
    double GetTrackVolume(int32_t track);

    // "Connect": reaches a server that plays on after its editor closed.
    // anySetOpen: a set document is open. The link becomes the link in use.
    static std::optional<ServerConnection> Connect(IUserInterface& ui, const CConfiguration& config,
                                                   LinkInUse& linkInUse, bool anySetOpen);
    // The editor opened on a connection plays on its link from here on.
    void TakeConnection(const ServerConnection& connection);

private:
    bool StartLocal(const CMusicSet& set, int32_t startFrame, int32_t loopStart, int32_t loopEnd);
    bool StartOnServer(const CMusicSet& set, int32_t startFrame, int32_t loopStart, int32_t loopEnd);
    void StopLocal();
    void UseLink(std::shared_ptr<CServerLink> link);
    // Leaves the link without sending anything; the server plays on.
    void DropLink();
    template <class Send>
    bool WithRetry(Send send);

    IUserInterface& m_ui;
    const CConfiguration& m_config;
    CMusicDatabase* m_database;
    SetAudioSetup m_setup;
    std::unique_ptr<CSetPlayer> m_player;
    std::shared_ptr<CServerLink> m_link;
    pid_t m_serverProcess = -1;
    ServerDatabaseListener m_listener;
};

}  // namespace vantor

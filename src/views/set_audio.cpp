#include "views/set_audio.h"

#include <algorithm>
#include <climits>
#include <thread>

#include "database/music_database.h"
#include "engine/effect_manager_impl.h"
#include "server/server_launcher.h"

namespace vantor {

namespace {

constexpr int32_t kPlayerPriority = 15;

}  // namespace

SetAudio::SetAudio(IUserInterface& ui, const CConfiguration& config, CMusicDatabase* database)
    : m_ui(ui), m_config(config), m_database(database) {}

SetAudio::~SetAudio() {
    StopLocal();
    DropLink();
}

void SetAudio::Configure(SetAudioSetup setup) { m_setup = std::move(setup); }

template <class Send>
bool SetAudio::WithRetry(Send send) {
    if (send()) return true;
    std::this_thread::sleep_for(m_setup.retryDelay);
    return send();
}

bool SetAudio::Start(const CMusicSet& set, int32_t startFrame, int32_t loopStart, int32_t loopEnd) {
    if (startFrame < 0) startFrame = 0;
    if (m_config.GetUseSoundServer()) return StartOnServer(set, startFrame, loopStart, loopEnd);
    if (IsPlaying()) return false;
    return StartLocal(set, startFrame, loopStart, loopEnd);
}

bool SetAudio::StartLocal(const CMusicSet& set, int32_t startFrame, int32_t loopStart, int32_t loopEnd) {
    RefPtr<CMusicSet> copy(set.Clone());
    auto player = std::make_unique<CSetPlayer>(m_setup.opener);
    const std::optional<DeviceId> device = m_config.GetSetOutputDevice();
    if (!player->Open(m_setup.effects, m_database, copy.get(), device ? &*device : nullptr, false,
                      kCooperativePriority, kBufferGlobalFocus)) {
        m_ui.MessageBox("The set output device could not be opened.", "Start Set Audio", MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    player->GetSetStream()->SetNormalizationEnabled(m_config.GetNormalizationEnabled());
    player->SetPosition(static_cast<uint32_t>(startFrame));
    if (!player->Play()) {
        m_ui.MessageBox("The set output device could not be started.", "Start Set Audio", MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    player->SetPriority(kPlayerPriority);
    player->SetLoop(static_cast<uint32_t>(std::max(loopStart, 0)), static_cast<uint32_t>(std::max(loopEnd, 0)));
    m_player = std::move(player);
    if (m_setup.attachPlayer) m_setup.attachPlayer(m_player.get());
    return true;
}

bool SetAudio::StartOnServer(const CMusicSet& set, int32_t startFrame, int32_t loopStart, int32_t loopEnd) {
    if ((m_setup.linkInUse && m_setup.linkInUse->IsInUse()) || m_link) {
        m_ui.MessageBox("Sound Server is currently in use by another set.", "Start Set", MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    if (m_setup.releaseControllers) m_setup.releaseControllers();
    auto started = m_setup.startServer ? m_setup.startServer()
                                       : CServerLauncher::Start(m_config.GetProgramDirectory());
    if (!started) {
        m_ui.ShowRefusal(started.Error());
        if (m_setup.reopenControllers) m_setup.reopenControllers();
        return false;
    }
    m_serverProcess = started.Value();
    UseLink(std::make_shared<CServerLink>());
    const std::optional<DeviceId> device = m_config.GetSetOutputDevice();
    if (!WithRetry([&] { return m_link->StartSet(device ? &*device : nullptr, set, startFrame); }))
        m_ui.MessageBox("Unable to contact Sound Server.", "Start Set Audio", MessageButtons::Ok, MessageIcon::Error);
    m_link->SetLoop(std::max(loopStart, 0), std::max(loopEnd, 0));
    return true;
}

bool SetAudio::Stop() {
    if (!IsPlaying()) return false;
    if (m_ui.MessageBox("Are you sure?", "Stop Set", MessageButtons::YesNo, MessageIcon::Exclamation) !=
        MessageAnswer::Yes)
        return false;
    StopNow();
    return true;
}

void SetAudio::StopNow() {
    if (m_player) {
        StopLocal();
        return;
    }
    if (!m_link) return;
    m_link->Shutdown();
    DropLink();
    m_serverProcess = -1;
    std::this_thread::sleep_for(m_setup.retryDelay);
    if (m_setup.reopenControllers) m_setup.reopenControllers();
}

void SetAudio::StopLocal() {
    if (!m_player) return;
    if (m_setup.detachPlayer) m_setup.detachPlayer();
    m_player->Stop();
    m_player->Close();
    m_player.reset();
}

bool SetAudio::Commit(const CSetHistory& history) {
    if (m_player) {
        m_player->ApplyEdit(history);
        return true;
    }
    if (!m_link) return true;
    if (WithRetry([&] { return m_link->Commit(history); })) return true;
    m_ui.MessageBox("Unable to contact Sound Server", "Commit Set", MessageButtons::Ok, MessageIcon::Error);
    return false;
}

std::optional<int32_t> SetAudio::GetPosition() {
    if (m_player) return static_cast<int32_t>(std::min<uint32_t>(m_player->GetPlayPosition(), INT32_MAX));
    if (m_link) return m_link->GetPosition();
    return std::nullopt;
}

void SetAudio::SetLoop(int32_t start, int32_t end) {
    if (start < 0 || end < 0) return;
    if (m_player) m_player->SetLoop(static_cast<uint32_t>(start), static_cast<uint32_t>(end));
    if (m_link) m_link->SetLoop(start, end);
}

bool SetAudio::SetTrackVolume(int32_t track, double volume) {
    if (!(volume >= 0.0 && volume < 4.0)) return false;
    if (m_player) {
        if (track < 0 || track >= m_player->GetTrackCount()) return false;
        m_player->SetTrackVolume(track, volume);
        return true;
    }
    return m_link && m_link->SetTrackVolume(track, volume);
}

double SetAudio::GetTrackVolume(int32_t track) {
    if (m_player) return track >= 0 && track < m_player->GetTrackCount() ? m_player->GetTrackVolume(track) : 0.0;
    return m_link ? m_link->GetTrackVolume(track) : -1.0;
}

std::optional<ServerConnection> SetAudio::Connect(IUserInterface& ui, const CConfiguration& config,
                                                  LinkInUse& linkInUse, bool anySetOpen) {
    if (anySetOpen) {
        ui.MessageBox("All sets must be closed before connecting to the Sound Server.", "Connect", MessageButtons::Ok,
                      MessageIcon::Exclamation);
        return std::nullopt;
    }
    if (!config.GetUseSoundServer()) {
        ui.MessageBox("Sound Server must be enabled in the configuration before connecting.", "Connect",
                      MessageButtons::Ok, MessageIcon::Exclamation);
        return std::nullopt;
    }
    auto link = std::make_shared<CServerLink>();
    linkInUse.Set(link);
    ServerConnection connection;
    connection.set = link->GetSet();
    if (!connection.set) {
        linkInUse.Release(link.get());
        ui.MessageBox("Unable to connect to Sound Server.", "Connect To Sound Server", MessageButtons::Ok,
                      MessageIcon::Error);
        return std::nullopt;
    }
    link->GetLoop(connection.loopStart, connection.loopEnd);
    connection.link = std::move(link);
    return connection;
}

void SetAudio::TakeConnection(const ServerConnection& connection) {
    StopLocal();
    DropLink();
    UseLink(connection.link);
}

void SetAudio::UseLink(std::shared_ptr<CServerLink> link) {
    m_link = std::move(link);
    if (!m_link) return;
    if (m_setup.linkInUse) m_setup.linkInUse->Set(m_link);
    m_listener.SetLink(m_link);
    if (m_database) m_database->SetDatabaseListener(&m_listener);
}

void SetAudio::DropLink() {
    if (!m_link) return;
    if (m_database) m_database->SetDatabaseListener(nullptr);
    m_listener.SetLink(nullptr);
    if (m_setup.linkInUse) m_setup.linkInUse->Release(m_link.get());
    m_link.reset();
}

}  // namespace vantor

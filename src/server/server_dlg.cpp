#include "server/server_dlg.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "model/memory_istream.h"
#include "model/set_file.h"
#include "model/set_history.h"
#include "server/message_reader.h"
#include "server/server_message.h"

namespace vantor {

namespace {

// The NUL-terminated text at from, which the message reader has checked.
std::string TextAt(const std::vector<uint8_t>& payload, size_t from) {
    if (from >= payload.size()) return {};
    const auto* start = reinterpret_cast<const char*>(payload.data() + from);
    return std::string(start, strnlen(start, payload.size() - from));
}

}  // namespace

CServerDlg::CServerDlg(const CConfiguration& config, CEffectManagerImpl* effects, CMusicDatabase* database,
                       AudioDeviceOpener opener)
    : m_config(config), m_effects(effects), m_database(database), m_opener(std::move(opener)) {}

CServerDlg::~CServerDlg() { StopSet(); }

void CServerDlg::SetSampleBank(CSampleBank* bank) {
    std::lock_guard lock(m_lock);
    m_bank = bank;
}

void CServerDlg::SetTrackEffectMap(CTrackEffectMap* map) {
    std::lock_guard lock(m_lock);
    if (m_trackEffects) m_trackEffects->DetachPlayer();
    m_trackEffects = map;
    if (m_trackEffects && m_player) m_trackEffects->AttachPlayer(m_player->GetSetStream());
}

CSampleBank* CServerDlg::Bank() const {
    std::lock_guard lock(m_lock);
    return m_bank;
}

void CServerDlg::SetStatusListener(std::function<void(const std::string&)> listener) {
    std::lock_guard lock(m_statusLock);
    m_statusListener = std::move(listener);
}

std::string CServerDlg::GetStatusText() const {
    std::lock_guard lock(m_statusLock);
    return m_status;
}

void CServerDlg::SetStatus(const char* text) {
    std::function<void(const std::string&)> listener;
    {
        std::lock_guard lock(m_statusLock);
        if (m_status == text) return;
        m_status = text;
        listener = m_statusListener;
    }
    if (listener) listener(text);
}

bool CServerDlg::StartSet(int32_t startFrame, const std::vector<uint8_t>& payload) {
    std::lock_guard lock(m_lock);
    StopSetLocked();
    if (payload.size() < kDeviceIdBytes || startFrame < 0) return false;
    DeviceId device{};
    std::memcpy(device.data(), payload.data(), kDeviceIdBytes);

    NewSetOptions format;
    format.samplesPerSecond = m_config.GetSamplesPerSecond();
    format.channels = m_config.GetChannels();
    format.bitsPerSample = m_config.GetBitsPerSample();
    RefPtr<CMusicSet> set = CMusicSet::CreateNew(format);
    set->SetBlockAlign(format.channels * format.bitsPerSample / 8);
    CMemoryIStream in(payload.data() + kDeviceIdBytes, static_cast<int32_t>(payload.size() - kDeviceIdBytes));
    set->Deserialize(in);
    if (in.IsDamaged() || in.RanShort()) return false;

    auto player = std::make_unique<CSetPlayer>(m_opener);
    if (!player->Open(m_effects, m_database, set.get(), IsDefaultDevice(device) ? nullptr : &device, true,
                      kCooperativePriority, kBufferGlobalFocus))
        return false;
    player->GetSetStream()->SetNormalizationEnabled(m_config.GetNormalizationEnabled());
    player->SetPosition(static_cast<uint32_t>(startFrame));
    player->SetLoop(static_cast<uint32_t>(m_loopStart), static_cast<uint32_t>(m_loopEnd));
    if (!player->Play()) return false;
    player->SetPriority(kPriorityTimeCritical);
    m_player = std::move(player);
    m_set = set;
    if (m_trackEffects) m_trackEffects->AttachPlayer(m_player->GetSetStream());
    SetStatus(kRunning);
    return true;
}

void CServerDlg::StopSet() {
    std::lock_guard lock(m_lock);
    StopSetLocked();
}

void CServerDlg::StopSetLocked() {
    if (!m_player) return;
    // The processors go with the player.
    if (m_trackEffects) m_trackEffects->DetachPlayer();
    m_player->Stop();
    m_player->Close();
    m_player.reset();
    m_set.reset();
    SetStatus(kNotRunning);
}

bool CServerDlg::IsRunning() const {
    std::lock_guard lock(m_lock);
    return m_player != nullptr;
}

std::vector<uint8_t> CServerDlg::GetSetBytes() const {
    std::lock_guard lock(m_lock);
    if (!m_set) return {};
    return SerializeToBytes(*m_set);
}

bool CServerDlg::ApplyHistory(const std::vector<uint8_t>& payload) {
    std::lock_guard lock(m_lock);
    if (!m_player || !m_set) return false;
    CSetHistory history(m_set.get());
    CMemoryIStream in(payload.data(), static_cast<int32_t>(payload.size()));
    history.Deserialize(in);
    if (in.IsDamaged() || in.RanShort()) return false;
    const int32_t tracks = m_set->GetTracks().GetCount();
    auto& records = history.GetRecords();
    for (int32_t i = 0; i < records.GetCount(); ++i) {
        const CSetOperationInfo* record = records.GetAt(i);
        if (!record || record->GetTrack() < 0 || record->GetTrack() >= tracks) return false;
        if (record->GetKind() < CSetOperationInfo::kGroupEnd || record->GetKind() > CSetOperationInfo::kReplace)
            return false;
    }
    // An edit rebuilds the effects of the tracks it touches, and with them
    // the processors the controllers reached: resolve them anew.
    if (m_trackEffects) m_trackEffects->DetachPlayer();
    m_player->ApplyEdit(history);
    if (m_trackEffects) m_trackEffects->AttachPlayer(m_player->GetSetStream());
    return true;
}

int32_t CServerDlg::GetPosition() const {
    std::lock_guard lock(m_lock);
    return m_player ? static_cast<int32_t>(std::min<uint32_t>(m_player->GetPlayPosition(), INT32_MAX)) : 0;
}

void CServerDlg::SetLoop(int32_t start, int32_t end) {
    if (start < 0 || end < 0) return;
    std::lock_guard lock(m_lock);
    m_loopStart = start;
    m_loopEnd = end;
    if (m_player) m_player->SetLoop(static_cast<uint32_t>(start), static_cast<uint32_t>(end));
}

void CServerDlg::GetLoop(int32_t& start, int32_t& end) const {
    std::lock_guard lock(m_lock);
    start = 0;
    end = 0;
    if (!m_player || !m_player->GetOutput()) return;
    uint32_t s = 0, e = 0;
    m_player->GetOutput()->GetLoop(s, e);
    start = static_cast<int32_t>(std::min<uint32_t>(s, INT32_MAX));
    end = static_cast<int32_t>(std::min<uint32_t>(e, INT32_MAX));
}

bool CServerDlg::SetTrackVolume(int32_t track, int32_t scaledVolume) {
    const double volume = scaledVolume / kVolumeScale;
    if (scaledVolume < 0 || !(volume < 4.0)) return false;
    std::lock_guard lock(m_lock);
    if (!m_player || track < 0 || track >= m_player->GetTrackCount()) return false;
    m_player->SetTrackVolume(track, volume);
    return true;
}

int32_t CServerDlg::GetTrackVolume(int32_t track) const {
    std::lock_guard lock(m_lock);
    if (!m_player) return -static_cast<int32_t>(kVolumeScale);
    if (track < 0 || track >= m_player->GetTrackCount()) return 0;
    const double volume = m_player->GetTrackVolume(track);
    return std::isfinite(volume) ? static_cast<int32_t>(std::trunc(std::clamp(volume, 0.0, 4.0) * kVolumeScale)) : 0;
}

bool CServerDlg::LoadSample(int32_t slot, const std::vector<uint8_t>& payload) {
    CSampleBank* bank = Bank();
    if (!bank || !CSampleBank::IsSlot(slot) || !MessageReader::TextsTerminated(SSM_LOAD_SAMPLE, payload)) return false;
    const std::string name = TextAt(payload, 0);
    return bank->LoadSlot(slot, name, TextAt(payload, name.size() + 1));
}

void CServerDlg::TriggerSample(int32_t slot) {
    if (CSampleBank* bank = Bank()) bank->TriggerSlot(slot);
}

std::string CServerDlg::GetSampleName(int32_t slot) const {
    CSampleBank* bank = Bank();
    return bank ? bank->GetSlotName(slot) : std::string();
}

int32_t CServerDlg::GetSampleCount() const { return CSampleBank::kSlotCount; }

bool CServerDlg::LoadPresets(const std::vector<uint8_t>& payload) {
    CSampleBank* bank = Bank();
    if (!bank || !MessageReader::TextsTerminated(SSM_LOAD_PRESETS, payload)) return false;
    return bank->LoadPresets(TextAt(payload, 0));
}

bool CServerDlg::SavePresets(const std::vector<uint8_t>& payload) {
    CSampleBank* bank = Bank();
    if (!bank || !MessageReader::TextsTerminated(SSM_SAVE_PRESETS, payload)) return false;
    return bank->SavePresets(TextAt(payload, 0));
}

bool CServerDlg::ReloadDatabase() { return m_database && m_database->ReloadDatabase(); }

}  // namespace vantor

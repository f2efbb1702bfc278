#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "control/sample_bank.h"
#include "control/track_effect_map.h"
#include "database/music_database.h"
#include "engine/effect_manager_impl.h"
#include "engine/set_player.h"

namespace vantor {

// The sound server's state: the one set it plays, its player, the loop kept
// across sets, and the sample bank; one operation per message. Its status
// line reads "Not Running" or "Running". Every operation checks its indices
// and values, so nothing a client sends reaches the player unchecked.
class CServerDlg {
public:
    static constexpr const char* kNotRunning = "Not Running";
    static constexpr const char* kRunning = "Running";

    CServerDlg(const CConfiguration& config, CEffectManagerImpl* effects, CMusicDatabase* database,
               AudioDeviceOpener opener = OpenAudioDevice);
    ~CServerDlg();
    CServerDlg(const CServerDlg&) = delete;
    CServerDlg& operator=(const CServerDlg&) = delete;

    // The bank exists once the server can serve sample messages; until then
    // they are ignored.
    void SetSampleBank(CSampleBank* bank);
    // The track effect bindings, resolved on the tracks of each set while it
    // plays; null detaches them.
    void SetTrackEffectMap(CTrackEffectMap* map);
    // Told the new status line whenever it changes (on the changing thread).
    void SetStatusListener(std::function<void(const std::string&)> listener);
    std::string GetStatusText() const;

    // Stops what plays; then, with a device identifier and a set that reads
    // whole, plays it from the frame with the remembered loop. False, and
    // "Not Running", when the set does not read or the player cannot open.
    bool StartSet(int32_t startFrame, const std::vector<uint8_t>& payload);
    void StopSet();
    bool IsRunning() const;
    // The playing set's record; empty while nothing plays.
    std::vector<uint8_t> GetSetBytes() const;
    // Replays a set history onto the playing set from the current position.
    // Ignored while nothing plays, and when the history does not read whole
    // or a record names a track the set does not have.
    bool ApplyHistory(const std::vector<uint8_t>& payload);
    int32_t GetPosition() const;
    // Negative frames are ignored; the values are kept for the next set.
    void SetLoop(int32_t start, int32_t end);
    void GetLoop(int32_t& start, int32_t& end) const;
    // Volume as trunc(volume x 10000): 0 <= track < count, 0 <= volume < 4.
    bool SetTrackVolume(int32_t track, int32_t scaledVolume);
    // -10000 without a player; 0 for a track the set stream does not have.
    int32_t GetTrackVolume(int32_t track) const;

    // Sample messages: payloads are checked texts (name, NUL, path, NUL).
    bool LoadSample(int32_t slot, const std::vector<uint8_t>& payload);
    void TriggerSample(int32_t slot);
    std::string GetSampleName(int32_t slot) const;
    int32_t GetSampleCount() const;
    bool LoadPresets(const std::vector<uint8_t>& payload);
    bool SavePresets(const std::vector<uint8_t>& payload);

    // Rereads the database files other processes changed, waiting for their
    // writer lock.
    bool ReloadDatabase();

private:
    void StopSetLocked();
    void SetStatus(const char* text);
    CSampleBank* Bank() const;

    const CConfiguration& m_config;
    CEffectManagerImpl* m_effects;
    CMusicDatabase* m_database;
    AudioDeviceOpener m_opener;

    mutable std::recursive_mutex m_lock;
    std::unique_ptr<CSetPlayer> m_player;
    RefPtr<CMusicSet> m_set;
    int32_t m_loopStart = 0;
    int32_t m_loopEnd = 0;
    CSampleBank* m_bank = nullptr;
    CTrackEffectMap* m_trackEffects = nullptr;

    mutable std::mutex m_statusLock;
    std::string m_status = kNotRunning;
    std::function<void(const std::string&)> m_statusListener;
};

}  // namespace vantor

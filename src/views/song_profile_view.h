#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "database/song_profile.h"
#include "library/load_job.h"
#include "model/ref_ptr.h"

namespace vantor {

class CConfiguration;
class CMusicDatabase;
class CRecentTitleList;
class IUserInterface;

// One cue point as the form lists it.
struct CuePointForm {
    int32_t type = 0;
    uint32_t position = 0;  // frames from the start of the song
    std::string label;
    double tempo = 0.0;
};

// What the profile editor's form holds, as the user typed it.
struct SongProfileForm {
    std::string title;
    std::string artist;
    std::string album;
    std::string mixer;
    std::string localPath;
    std::string archivePath;
    std::string archiveName;
    std::string tempoText = "130";
    int32_t kind = CSongProfile::kTypeSong;  // one of the four kind flags
    int32_t genreId = 0;
    bool isPrivate = false;
    std::vector<CuePointForm> cuePoints;
};

// The song profile editor ("Edit Profile"): one profile, or an empty form
// for a new one. "Add" (reading "Modify" for a shown profile) checks the
// form, has MP3 files decoded and new files summarised by the music loader,
// and stores the profile.
class CSongProfileView {
public:
    static constexpr const char* kCaption = "Edit Profile";

    struct Listener {
        // QueueLoad: hands a job to the music loader window.
        std::function<void(LoadJob)> queueLoad;
        // The record under the key changed (views showing it reload).
        std::function<void(const std::string& key)> recordChanged;
    };

    CSongProfileView(IUserInterface& ui, CMusicDatabase& database, CRecentTitleList* recent,
                     const CConfiguration& config, Listener listener);

    // An empty form: tempo "130", the Song kind, the first genre.
    void ShowEmpty();
    void ShowProfile(const RefPtr<CSongProfile>& profile);
    const RefPtr<CSongProfile>& GetShownProfile() const { return m_shown; }

    SongProfileForm& Form() { return m_form; }
    std::string GetButtonText() const { return m_shown ? "Modify" : "Add"; }
    // The field that took the focus after the last refusal.
    const std::string& GetFocus() const { return m_focus; }

    // A file chosen for the local path: with both artist and title empty
    // and the option configured, they and the mixer come from its name.
    void ChooseLocalFile(const std::string& path);

    // "Add"/"Modify": true when the profile was stored.
    bool OnAdd();

private:
    bool Refuse(const std::string& text, const std::string& focus);
    bool CheckFieldCapacities();
    // The form's cue points in place of the profile's; false after a refusal.
    bool StoreCuePoints(CSongProfile& profile);
    // The wave path an MP3 file is decoded to; nothing when the user stops.
    std::optional<std::string> ChooseDecodedPath(const std::string& mp3Path);

    IUserInterface& m_ui;
    CMusicDatabase& m_database;
    CRecentTitleList* m_recent;
    const CConfiguration& m_config;
    Listener m_listener;
    RefPtr<CSongProfile> m_shown;
    SongProfileForm m_form;
    std::string m_focus;
};

}  // namespace vantor

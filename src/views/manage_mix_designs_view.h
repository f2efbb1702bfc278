#pragma once

#include <string>
#include <vector>

#include "database/song_profile.h"
#include "platform/user_interface.h"

namespace vantor {

class CMusicDatabase;

// "Manage Mix Designs" without its window: the within-song and mix-out
// designs of one song profile, listed by name, each removable after a
// question; the profile is written back after every removal.
class CManageMixDesignsView {
public:
    CManageMixDesignsView(IUserInterface& ui, CMusicDatabase& database) : m_ui(ui), m_database(database) {}

    void Open(CSongProfile* profile) { m_profile = RefPtr<CSongProfile>(profile); }
    // "Manage Mix Designs - <title>", or "Manage Mix Designs" without a profile.
    std::string GetTitle() const;
    std::string GetSongTitle() const { return m_profile ? m_profile->GetTitle() : ""; }
    std::string GetArtist() const { return m_profile ? m_profile->GetArtist() : ""; }
    std::vector<std::string> GetWithin() const;
    std::vector<std::string> GetMixOut() const;

    // "Remove" under either list: asks "Remove <name>. Are you sure?"; true
    // when the design was removed and the profile stored. A failed write is
    // reported and the design stays listed.
    bool RemoveWithin(int index) { return Remove(true, index); }
    bool RemoveMixOut(int index) { return Remove(false, index); }

private:
    bool Remove(bool within, int index);

    IUserInterface& m_ui;
    CMusicDatabase& m_database;
    RefPtr<CSongProfile> m_profile;
};

}  // namespace vantor

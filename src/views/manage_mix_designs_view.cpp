#include "views/manage_mix_designs_view.h"

#include "database/music_database.h"

namespace vantor {

namespace {

std::vector<std::string> Names(const CSongProfile::MixingProfiles& designs) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < designs.GetCount(); ++i) names.emplace_back(designs.GetAt(i)->GetName());
    return names;
}

}  // namespace

std::string CManageMixDesignsView::GetTitle() const {
    return m_profile ? std::string("Manage Mix Designs - ") + m_profile->GetTitle() : "Manage Mix Designs";
}

std::vector<std::string> CManageMixDesignsView::GetWithin() const {
    return m_profile ? Names(m_profile->GetWithinSongDesigns()) : std::vector<std::string>{};
}

std::vector<std::string> CManageMixDesignsView::GetMixOut() const {
    return m_profile ? Names(m_profile->GetMixOutDesigns()) : std::vector<std::string>{};
}

bool CManageMixDesignsView::Remove(bool within, int index) {
    if (!m_profile) return false;
    auto& designs = within ? m_profile->GetWithinSongDesigns() : m_profile->GetMixOutDesigns();
    if (index < 0 || index >= designs.GetCount()) return false;
    RefPtr<CMixingProfile> design(designs.GetAt(index));
    if (m_ui.MessageBox(std::string("Remove ") + design->GetName() + ". Are you sure?", "Remove Within Mix",
                        MessageButtons::YesNo, MessageIcon::Question) != MessageAnswer::Yes)
        return false;
    designs.RemoveAt(index);
    if (m_database.PutSong(*m_profile)) return true;
    designs.InsertAt(index, design.get());
    m_ui.MessageBox(std::string("The song profile of ") + m_profile->GetTitle() + " could not be written.",
                    GetTitle(), MessageButtons::Ok, MessageIcon::Error);
    return false;
}

}  // namespace vantor

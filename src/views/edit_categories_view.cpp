#include "views/edit_categories_view.h"

#include <algorithm>
#include <cstdio>

#include "database/music_database.h"
#include "library/category_name.h"
#include "model/segment_design.h"
#include "platform/user_interface.h"

namespace vantor {

CEditCategoriesView::CEditCategoriesView(IUserInterface& ui, CMusicDatabase& database)
    : m_ui(ui), m_database(database) {}

void CEditCategoriesView::Open() {
    m_names = m_database.CategoryNames();
    Select(m_names.empty() ? std::string() : m_names.front());
}

bool CEditCategoriesView::IsListed(const std::string& name) const {
    return std::find(m_names.begin(), m_names.end(), name) != m_names.end();
}

void CEditCategoriesView::ShowEntries() {
    m_entries = m_selected.empty() ? std::vector<std::string>()
                                   : m_database.ListCategory(m_selected, CMusicDatabase::kSortTitle);
}

void CEditCategoriesView::Select(const std::string& name) {
    m_selected = IsListed(name) ? name : std::string();
    ShowEntries();
}

bool CEditCategoriesView::Add(const std::string& name) {
    if (Status checked = CheckNewCategoryName(name, m_names); !checked) {
        m_ui.ShowRefusal(checked.Error());
        return false;
    }
    if (!m_database.CreateCategory(name)) {
        m_ui.MessageBox("The category " + name + " could not be created.", "Add Category", MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    m_names.push_back(name);
    Select(name);
    return true;
}

bool CEditCategoriesView::Remove(const std::string& name) {
    const auto it = std::find(m_names.begin(), m_names.end(), name);
    if (it == m_names.end()) return false;
    if (m_ui.MessageBox("Are you sure?", "Remove Category", MessageButtons::YesNo, MessageIcon::Question) !=
        MessageAnswer::Yes)
        return false;
    if (!m_database.DeleteCategory(name)) {
        m_ui.MessageBox("The category " + name + " could not be removed.", "Remove Category", MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    const size_t index = static_cast<size_t>(it - m_names.begin());
    m_names.erase(it);
    Select(m_names.empty() ? std::string() : m_names[index > 0 ? index - 1 : 0]);
    return true;
}

bool CEditCategoriesView::DropSegmentDesign(const CSegmentDesign& design, int dragKind) {
    if (dragKind != kDragSegmentDesign || m_selected.empty() || !design.GetSegment()) return false;
    const bool added = m_database.AddToCategory(m_selected, design.GetSegment()->GetSongKey());
    ShowEntries();
    return added;
}

bool CEditCategoriesView::RemoveEntry(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size()) return false;
    const bool removed = m_database.RemoveFromCategory(m_selected, m_entries[static_cast<size_t>(index)]);
    ShowEntries();
    return removed;
}

void CEditCategoriesView::ShowInfo(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size()) return;
    RefPtr<CSongProfile> song = m_database.GetSong(m_entries[static_cast<size_t>(index)]);
    if (!song) return;
    char tempo[64];
    std::snprintf(tempo, sizeof tempo, "%.3f", song->GetTempo());
    m_ui.MessageBox(std::string("Name: ") + song->GetTitle() + "\nArtist: " + song->GetArtist() +
                        "\nMixer: " + song->GetMixer() + "\nTempo: " + tempo + "\n",
                    "Entry Info", MessageButtons::Ok, MessageIcon::Information);
}

}  // namespace vantor

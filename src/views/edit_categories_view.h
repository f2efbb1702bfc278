#pragma once

#include <string>
#include <vector>

namespace vantor {

class CMusicDatabase;
class CSegmentDesign;
class IUserInterface;

// The category editor ("Edit Categories"): the category names, the
// selected category's entries and their count. Dragged songs (segment
// designs) dropped on it join the selected category.
class CEditCategoriesView {
public:
    static constexpr const char* kTitle = "Edit Categories";
    static constexpr const char* kHint = "Drag music onto this dialog box to add to a specific category.";
    static constexpr int kDragSegmentDesign = 1;

    CEditCategoriesView(IUserInterface& ui, CMusicDatabase& database);

    // Fills the names and selects the first.
    void Open();
    bool Add(const std::string& name);
    bool Remove(const std::string& name);
    void Select(const std::string& name);
    // The drop notification: only drags of kind 1 are taken.
    bool DropSegmentDesign(const CSegmentDesign& design, int dragKind);
    bool RemoveEntry(int index);
    void ShowInfo(int index);

    const std::vector<std::string>& GetNames() const { return m_names; }
    const std::string& GetSelected() const { return m_selected; }
    const std::vector<std::string>& GetEntries() const { return m_entries; }
    std::string GetTotalText() const { return "Total Items: " + std::to_string(m_entries.size()); }

private:
    bool IsListed(const std::string& name) const;
    void ShowEntries();

    IUserInterface& m_ui;
    CMusicDatabase& m_database;
    std::vector<std::string> m_names;
    std::string m_selected;
    std::vector<std::string> m_entries;
};

}  // namespace vantor

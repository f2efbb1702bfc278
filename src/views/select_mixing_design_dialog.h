#pragma once

#include <string>
#include <vector>

namespace vantor {

// The "Select Mixing Design" dialog: "Title:" shows the song's title and
// "Mixing Designs" lists its within-song designs ("<name> (Within)"), then
// its mix-out designs ("<name> (Mix out)"). OK needs a chosen row.
class CSelectMixingDesignDialog {
public:
    CSelectMixingDesignDialog(std::string title, std::vector<std::string> designs)
        : m_title(std::move(title)), m_designs(std::move(designs)) {}

    const std::string& GetTitle() const { return m_title; }
    const std::vector<std::string>& GetDesigns() const { return m_designs; }
    // False (the choice unchanged) for a row that is not listed.
    bool Choose(int row) {
        if (row < 0 || row >= static_cast<int>(m_designs.size())) return false;
        m_chosen = row;
        return true;
    }
    // The chosen row, or -1.
    int GetChosen() const { return m_chosen; }

private:
    std::string m_title;
    std::vector<std::string> m_designs;
    int m_chosen = -1;
};

}  // namespace vantor

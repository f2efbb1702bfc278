#pragma once

#include <string>
#include <vector>

namespace vantor {

class IUserInterface;

// The "Create Mixing Design" dialog: the design's name, its primary segment
// (one candidate per captured track, "Track %u: %s") and its type, "Within
// song" or "Mix out". The "Mix in" choice exists but is hidden and disabled.
class CCreateMixingDesignDialog {
public:
    static constexpr const char* kCaption = "Create Mixing Design";
    enum class Type { Within, MixOut, MixIn };

    CCreateMixingDesignDialog(IUserInterface& ui, std::vector<std::string> candidates)
        : m_ui(ui), m_candidates(std::move(candidates)) {}

    const std::vector<std::string>& GetCandidates() const { return m_candidates; }
    void SetName(std::string name) { m_name = std::move(name); }
    const std::string& GetName() const { return m_name; }
    // False (the choice unchanged) for a row that is not listed.
    bool ChoosePrimary(int row);
    int GetPrimary() const { return m_primary; }
    // False for "Mix in", which cannot be chosen.
    bool SetType(Type type);
    Type GetType() const { return m_type; }
    bool IsMixInShown() const { return false; }

    // OK: an empty name is told and the dialog stays; true closes it.
    bool Ok();

private:
    IUserInterface& m_ui;
    std::vector<std::string> m_candidates;
    std::string m_name;
    int m_primary = 0;
    Type m_type = Type::Within;
};

}  // namespace vantor

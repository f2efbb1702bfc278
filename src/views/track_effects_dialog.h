#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/effect_profile.h"
#include "model/track.h"
#include "platform/user_interface.h"
#include "vantor/effect_api.h"

namespace vantor {

class CEffectManagerImpl;

// The track effects dialog without its window: the constant effects of one
// audio track as rows "<effect>/<parameter>", a slider of 50 steps for the
// selected row's value, Add and Remove. The rows are edited copies of the
// track's profiles; OK installs them in the track, Cancel leaves the track as
// it was. A row whose effect type no plug-in registered keeps its value with
// the slider disabled.
class CTrackEffectsDialog {
public:
    static constexpr int kSliderRange = 50;

    struct Row {
        std::string label;
        RefPtr<CEffectProfile> profile;
        bool registered = false;
    };

    CTrackEffectsDialog(IUserInterface& ui, CEffectManagerImpl* effects) : m_ui(ui), m_effects(effects) {}
    ~CTrackEffectsDialog() { Close(); }
    CTrackEffectsDialog(const CTrackEffectsDialog&) = delete;
    CTrackEffectsDialog& operator=(const CTrackEffectsDialog&) = delete;

    // Fills the rows with copies of the track's effect profiles.
    bool Open(CTrack* track);
    bool IsOpen() const { return m_track != nullptr; }
    CTrack* GetTrack() const { return m_track.get(); }

    const std::vector<Row>& GetRows() const { return m_rows; }
    int GetSelectedRow() const { return m_selected; }
    int GetSliderPosition() const { return m_position; }
    bool IsSliderEnabled() const;
    const std::string& GetValueText() const { return m_valueText; }
    // The selected row's value: the start level of its curve's first piece.
    double GetValue() const;

    void SelectRow(int row);
    // Moves the slider by steps (clamped to 0 .. 50) and gives the selected
    // row the value at the new position.
    void MoveSlider(int steps);

    // The chooser's lists: every registered effect type with its parameters.
    std::vector<std::pair<std::string, std::vector<std::string>>> GetEffectChoices() const;
    // Adds a row for the parameter of the effect at the effect type's
    // default value, refusing a pair that has a row already (names compared
    // without regard to case). False when nothing was added.
    bool Add(const std::string& effectName, const std::string& parameterName);
    // Removes the selected row; the one before it (or the first) becomes
    // selected.
    void Remove();

    // Empties the track's effects and fills them with the rows' profiles in
    // order; the set is marked modified. Then the dialog closes.
    void Ok();
    void Cancel() { Close(); }
    void Close();

private:
    IEffect* Effect(const CEffectProfile& profile) const;
    void ShowSelected();

    IUserInterface& m_ui;
    CEffectManagerImpl* m_effects;
    RefPtr<CTrack> m_track;
    std::vector<Row> m_rows;
    int m_selected = -1;
    int m_position = 0;
    std::string m_valueText;
};

}  // namespace vantor

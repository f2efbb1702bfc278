#pragma once

#include <string>
#include <utility>
#include <vector>

#include "editing/set_editor_state.h"
#include "model/effect_preset_file.h"
#include "platform/result.h"
#include "platform/user_interface.h"
#include "vantor/effect_api.h"

namespace vantor {

class CConfiguration;
class CEffectManagerImpl;

// A point of a curve being edited: a place on the scale 0..9999 and the
// parameter's value there.
struct CurvePoint {
    int32_t at = 0;
    double value = 0.0;
};

// The "Apply Effects" dialog without its window. It builds effect profiles
// from the waveform shapes and the profile presets kept in "EFFECTS.PST" (in
// the program directory) and, on OK, lays them over a range of one audio
// track in one undo group. The lists live while the dialog is open; every
// added or removed waveform or profile rewrites the file whole, through a
// temporary file, and a file that did not read whole is kept beside it
// before it is first written.
class CApplyEffectsDialog {
public:
    static constexpr const char* kNoProfile = "<none>";
    static constexpr int kQuickPresets = 6;

    // One piece of the selected profile as it will land on the range: set
    // frames and the parameter's values as the effect shows them.
    struct PreviewRow {
        int32_t start = 0;
        int32_t end = 0;
        std::string from;
        std::string to;
    };

    // The configuration gives the program directory and keeps the quick
    // preset names, which the preset buttons write.
    CApplyEffectsDialog(IUserInterface& ui, CEffectManagerImpl* effects, CConfiguration& config);
    CApplyEffectsDialog(const CApplyEffectsDialog&) = delete;
    CApplyEffectsDialog& operator=(const CApplyEffectsDialog&) = delete;

    // Opens on [left, right] of the track: reads the presets file (a damaged
    // one is reported), builds the four shapes, selects "Linear" and "<none>".
    void Open(SetEditorState& state, int32_t track, int32_t left, int32_t right);
    // Opens on the presets alone, to manage them without a set; OK applies
    // nothing.
    void OpenPresets();
    // The dialog constructed with a preset name: applies the profile preset
    // of that name, read from the presets file of the program directory,
    // over [left, right] of the track without being shown. A name not among
    // the presets (or a missing file) applies nothing: 0.
    static Result<int32_t> ApplyPreset(CEffectManagerImpl* effects, const CConfiguration& config,
                                       SetEditorState& state, int32_t track, int32_t left, int32_t right,
                                       const std::string& name);
    static std::string PresetsPath(const CConfiguration& config);

    const std::string& GetTitle() const { return m_title; }
    std::string GetPresetsPath() const;

    // "Waveform:", "Profile:" and "Effects:" lists; -1 when none is selected.
    std::vector<std::string> GetWaveformNames() const;
    int GetSelectedWaveform() const { return m_waveform; }
    std::vector<std::string> GetProfileNames() const;
    int GetSelectedProfile() const { return m_profile; }
    std::vector<std::string> GetEffectLabels() const;
    int GetSelectedEffect() const { return m_effect; }
    // The selected profile's curve on the scale 0..9999, values as stored.
    const CEffectProfile* GetSelectedCurve() const;
    std::vector<PreviewRow> GetPreview() const;
    // What "Select Effect" offers: every registered effect with its parameters.
    std::vector<std::pair<std::string, std::vector<std::string>>> GetEffectChoices() const;

    // The two name boxes.
    const std::string& GetWaveformText() const { return m_waveformText; }
    void SetWaveformText(std::string text) { m_waveformText = std::move(text); }
    const std::string& GetProfileText() const { return m_profileText; }
    void SetProfileText(std::string text) { m_profileText = std::move(text); }

    // "Profile:": the effects list becomes copies of the preset's profiles.
    void ChooseProfile(int index);
    bool ChooseProfile(const std::string& name);
    void ChooseEffect(int index);
    // "Effects:" Add with the choice of "Select Effect": an existing pair is
    // selected, else a new profile takes the selected waveform. False when
    // the effect or parameter is not registered.
    bool AddEffect(const std::string& effect, const std::string& parameter);
    void RemoveEffect();
    // "Waveform:": the selected profile takes the shape's curve. With no
    // profile selected only the waveform selection changes.
    void ChooseWaveform(int index);
    bool ChooseWaveform(const std::string& name);
    // The curve edited by hand: a piece between each two neighbouring points.
    // Refused (nothing changes) when no profile is selected, fewer than two
    // points are given, they do not rise strictly within 0..9999, or a value
    // lies outside the parameter's range.
    Status SetPoints(const std::vector<CurvePoint>& points);
    void Reverse();

    // Waveform and profile Add and Remove; true when the list changed and
    // the file was written.
    bool AddWaveform();
    bool RemoveWaveform();
    bool AddProfile();
    bool RemoveProfile();

    // Preset button "1" to "6" (slot 0 to 5): the profile box's name becomes
    // the quick preset, and the configuration is written.
    bool StoreQuickPreset(int slot);
    // The caption beside a preset button: the name, or "Preset N" while empty.
    std::string GetQuickPresetCaption(int slot) const;

    // Applies every profile of the list over the range in one group; closes.
    Result<int32_t> Ok();
    void Cancel() { Close(); }
    bool IsOpen() const { return m_open; }

private:
    void Load();
    void Close();
    bool Save();
    IEffect* Effect(const CEffectProfile& profile) const;
    // The selected effect profile, or null.
    CEffectProfile* Selected() const;
    void ApplyShape(const CEffectProfilePreset& shape, CEffectProfile& profile) const;
    static std::vector<RefPtr<CEffectProfile>> CopiesOf(const CSegmentDesign& preset);

    IUserInterface& m_ui;
    CEffectManagerImpl* m_effects;
    CConfiguration& m_config;
    std::string m_title = "Apply Effects";
    bool m_open = false;
    bool m_damaged = false;

    SetEditorState* m_state = nullptr;
    int32_t m_track = 0;
    int32_t m_left = 0;
    int32_t m_right = 0;

    std::vector<RefPtr<CEffectProfilePreset>> m_waveforms;
    std::vector<RefPtr<CSegmentDesign>> m_profiles;  // after "<none>"
    std::vector<RefPtr<CEffectProfile>> m_list;
    int m_waveform = -1;
    int m_profile = 0;
    int m_effect = -1;
    std::string m_waveformText;
    std::string m_profileText;
};

}  // namespace vantor

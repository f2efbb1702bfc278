#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <vector>

#include "effect_curve_widget.h"
#include "views/apply_effects_dialog.h"

namespace vantor::gui {

// "Apply Effects": the profile presets, the effects of the chosen profile
// (Add from the effect and parameter lists, Remove), the waveform shapes,
// the selected effect's curve drawn over the span with its pieces listed,
// and the preset buttons 1 to 6 that make the profile a quick preset. OK
// lays the effects over the span; the caller runs the dialog's OK.
class ApplyEffectsWindow : public QDialog {
public:
    ApplyEffectsWindow(CApplyEffectsDialog& dialog, CEffectManagerImpl* effects, int32_t sampleRate,
                       QWidget* parent = nullptr);

    QListWidget* Profiles() const { return m_profiles; }
    QListWidget* Effects() const { return m_effects; }
    QListWidget* Waveforms() const { return m_waveforms; }
    QPushButton* PresetButton(int slot) const { return m_presets[static_cast<size_t>(slot)]; }
    // Re-reads every list from the dialog.
    void Pull();

private:
    QString Time(int32_t frame) const;
    void Push();

    CApplyEffectsDialog& m_dialog;
    int32_t m_rate;
    std::vector<std::pair<std::string, std::vector<std::string>>> m_choices;
    QListWidget* m_profiles;
    QLineEdit* m_profileName;
    QListWidget* m_effects;
    QComboBox* m_effect;
    QComboBox* m_parameter;
    QListWidget* m_waveforms;
    QLineEdit* m_waveformName;
    EffectCurveWidget* m_curve;
    QTableWidget* m_preview;
    std::vector<QPushButton*> m_presets;
    std::vector<QLabel*> m_presetCaptions;
};

}  // namespace vantor::gui

#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QSlider>

#include "shell/vantor_app.h"
#include "views/track_effects_dialog.h"

namespace vantor::gui {

// "Track Effects": the constant effects of one track, "<effect>/<parameter>"
// a row, a slider of 50 steps for the selected row's value, and Add (from
// the effect and parameter lists) and Remove. OK installs the rows in the
// track; Cancel leaves it as it was.
class TrackEffectsWindow : public QDialog {
public:
    TrackEffectsWindow(CVantorApp& app, CTrack* track, QWidget* parent = nullptr);

    CTrackEffectsDialog& Dialog() { return m_dialog; }
    QListWidget* Rows() const { return m_rows; }
    QSlider* Slider() const { return m_slider; }

private:
    void Pull();
    void FillParameters();

    CTrackEffectsDialog m_dialog;
    std::vector<std::pair<std::string, std::vector<std::string>>> m_choices;
    QListWidget* m_rows;
    QSlider* m_slider;
    QLabel* m_value;
    QComboBox* m_effect;
    QComboBox* m_parameter;
};

}  // namespace vantor::gui

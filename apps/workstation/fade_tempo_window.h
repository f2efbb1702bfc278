#pragma once

#include <QDialog>
#include <QLineEdit>

#include "views/fade_tempo_dialog.h"

namespace vantor::gui {

// "Fade Tempo": the start tempo, the end tempo and the number of steps as
// text fields; OK hands the texts to the dialog, which reads them.
class FadeTempoWindow : public QDialog {
public:
    FadeTempoWindow(CFadeTempoDialog& dialog, QWidget* parent = nullptr);

    QLineEdit* EndTempo() const { return m_end; }
    QLineEdit* Steps() const { return m_steps; }

private:
    CFadeTempoDialog& m_dialog;
    QLineEdit* m_end;
    QLineEdit* m_steps;
};

}  // namespace vantor::gui

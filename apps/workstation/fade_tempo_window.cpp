#include "fade_tempo_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>

namespace vantor::gui {

FadeTempoWindow::FadeTempoWindow(CFadeTempoDialog& dialog, QWidget* parent) : QDialog(parent), m_dialog(dialog) {
    setWindowTitle("Fade Tempo");
    auto* form = new QFormLayout(this);
    form->addRow("Start tempo:", new QLabel(QString::fromStdString(dialog.GetStartTempoText())));
    m_end = new QLineEdit(QString::fromStdString(dialog.GetEndTempoText()));
    m_steps = new QLineEdit(QString::fromStdString(dialog.GetStepsText()));
    form->addRow("End tempo:", m_end);
    form->addRow("Steps:", m_steps);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_dialog.SetEndTempoText(m_end->text().toStdString());
        m_dialog.SetStepsText(m_steps->text().toStdString());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

}  // namespace vantor::gui

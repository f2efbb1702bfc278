#include "insert_segment_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vantor::gui {

InsertSegmentWindow::InsertSegmentWindow(CInsertSegmentDialog& dialog, QWidget* parent)
    : QDialog(parent), m_dialog(dialog) {
    setWindowTitle("Insert Segment");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow("Segment:", new QLabel(QString::fromStdString(dialog.GetSegmentName())));
    form->addRow("Segment tempo:", new QLabel(QString::fromStdString(dialog.GetSegmentTempoText())));
    form->addRow("Insert position:", new QLabel(QString::fromStdString(dialog.GetPositionText())));
    form->addRow("Insert tempo:", new QLabel(QString::fromStdString(dialog.GetInsertTempoText())));
    layout->addLayout(form);

    const std::pair<InsertChoice, const char*> choices[] = {
        {InsertChoice::MixInto, "Mix into:"},
        {InsertChoice::Resample, "Resample segment to fit tempo."},
        {InsertChoice::SplitTempo, "Split tempo at insert position using insert tempo."},
        {InsertChoice::Nothing, "Do nothing."}};
    m_targets = new QComboBox;
    for (const std::string& label : dialog.GetMixLabels()) m_targets->addItem(QString::fromStdString(label));
    for (const auto& [choice, text] : choices) {
        auto* button = new QRadioButton(text);
        button->setEnabled(dialog.IsAvailable(choice));
        button->setChecked(dialog.GetChoice() == choice);
        m_choices[choice] = button;
        layout->addWidget(button);
        if (choice == InsertChoice::MixInto) layout->addWidget(m_targets);
    }
    m_targets->setEnabled(dialog.IsAvailable(InsertChoice::MixInto));
    m_targets->setCurrentIndex(dialog.GetMixTarget());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void InsertSegmentWindow::Confirm() {
    for (const auto& [choice, button] : m_choices)
        if (button->isChecked()) m_dialog.Choose(choice);
    if (m_targets->currentIndex() >= 0) m_dialog.ChooseMixTarget(m_targets->currentIndex());
    accept();
}

}  // namespace vantor::gui

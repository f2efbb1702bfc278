#include "select_mixing_design_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vantor::gui {

SelectMixingDesignWindow::SelectMixingDesignWindow(CSelectMixingDesignDialog& dialog, QWidget* parent)
    : QDialog(parent), m_dialog(dialog) {
    setWindowTitle("Select Mixing Design");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow("Title:", new QLabel(QString::fromStdString(dialog.GetTitle())));
    layout->addLayout(form);
    layout->addWidget(new QLabel("Mixing Designs"));
    m_designs = new QListWidget;
    for (const std::string& design : dialog.GetDesigns()) m_designs->addItem(QString::fromStdString(design));
    layout->addWidget(m_designs, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(m_designs, &QListWidget::currentRowChanged, this, [this](int row) { m_ok->setEnabled(row >= 0); });
    m_designs->setCurrentRow(dialog.GetDesigns().empty() ? -1 : 0);
    m_ok->setEnabled(m_designs->currentRow() >= 0);
    connect(m_designs, &QListWidget::itemDoubleClicked, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(360, 300);
}

void SelectMixingDesignWindow::Confirm() {
    if (m_dialog.Choose(m_designs->currentRow())) accept();
}

}  // namespace vantor::gui

#include "create_mixing_design_window.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace vantor::gui {

CreateMixingDesignWindow::CreateMixingDesignWindow(CCreateMixingDesignDialog& dialog, QWidget* parent)
    : QDialog(parent), m_dialog(dialog) {
    setWindowTitle(CCreateMixingDesignDialog::kCaption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Name"));
    m_name = new QLineEdit(QString::fromStdString(dialog.GetName()));
    layout->addWidget(m_name);
    layout->addWidget(new QLabel("Primary Segment"));
    m_primaries = new QListWidget;
    for (const std::string& candidate : dialog.GetCandidates())
        m_primaries->addItem(QString::fromStdString(candidate));
    m_primaries->setCurrentRow(dialog.GetPrimary());
    layout->addWidget(m_primaries, 1);

    auto* type = new QGroupBox("Design Type");
    auto* types = new QVBoxLayout(type);
    m_mixIn = new QRadioButton("Mix in");
    m_within = new QRadioButton("Within song");
    m_mixOut = new QRadioButton("Mix out");
    m_mixIn->setVisible(dialog.IsMixInShown());
    m_mixIn->setEnabled(dialog.IsMixInShown());
    for (QRadioButton* button : {m_mixIn, m_within, m_mixOut}) types->addWidget(button);
    m_within->setChecked(dialog.GetType() == CCreateMixingDesignDialog::Type::Within);
    m_mixOut->setChecked(dialog.GetType() == CCreateMixingDesignDialog::Type::MixOut);
    layout->addWidget(type);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_name->setFocus();
}

void CreateMixingDesignWindow::Confirm() {
    m_dialog.SetName(m_name->text().toStdString());
    m_dialog.ChoosePrimary(m_primaries->currentRow());
    m_dialog.SetType(m_mixOut->isChecked() ? CCreateMixingDesignDialog::Type::MixOut
                                           : CCreateMixingDesignDialog::Type::Within);
    if (m_dialog.Ok()) accept();
}

}  // namespace vantor::gui

#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "views/create_mixing_design_dialog.h"

namespace vantor::gui {

// "Create Mixing Design": the design's "Name", its "Primary Segment" among
// the captured tracks' candidates and its "Design Type", "Within song" or
// "Mix out" ("Mix in" is there but hidden and greyed). OK hands the fields
// to the dialog, which may refuse and keep the window open.
class CreateMixingDesignWindow : public QDialog {
public:
    CreateMixingDesignWindow(CCreateMixingDesignDialog& dialog, QWidget* parent = nullptr);

    QLineEdit* NameEdit() const { return m_name; }
    QListWidget* Primaries() const { return m_primaries; }
    QRadioButton* WithinButton() const { return m_within; }
    QRadioButton* MixOutButton() const { return m_mixOut; }
    QRadioButton* MixInButton() const { return m_mixIn; }
    QPushButton* OkButton() const { return m_ok; }

private:
    void Confirm();

    CCreateMixingDesignDialog& m_dialog;
    QLineEdit* m_name;
    QListWidget* m_primaries;
    QRadioButton* m_within;
    QRadioButton* m_mixOut;
    QRadioButton* m_mixIn;
    QPushButton* m_ok;
};

}  // namespace vantor::gui

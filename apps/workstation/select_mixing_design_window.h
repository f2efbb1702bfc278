#pragma once

#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include "views/select_mixing_design_dialog.h"

namespace vantor::gui {

// "Select Mixing Design": the song's "Title:" and its "Mixing Designs",
// the first chosen. OK hands the choice to the dialog; a double-click on a
// design is the same.
class SelectMixingDesignWindow : public QDialog {
public:
    SelectMixingDesignWindow(CSelectMixingDesignDialog& dialog, QWidget* parent = nullptr);

    QListWidget* Designs() const { return m_designs; }
    QPushButton* OkButton() const { return m_ok; }

private:
    void Confirm();

    CSelectMixingDesignDialog& m_dialog;
    QListWidget* m_designs;
    QPushButton* m_ok;
};

}  // namespace vantor::gui

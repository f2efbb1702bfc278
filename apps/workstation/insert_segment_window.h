#pragma once

#include <QComboBox>
#include <QDialog>
#include <QRadioButton>
#include <map>

#include "views/insert_segment_dialog.h"

namespace vantor::gui {

// "Insert Segment" after a drop: the segment's name and tempo, where it
// went and the tempo there, and the choice of what to do about the tempo.
// OK hands the choice to the dialog; choices it does not offer are greyed.
class InsertSegmentWindow : public QDialog {
public:
    InsertSegmentWindow(CInsertSegmentDialog& dialog, QWidget* parent = nullptr);

    QRadioButton* Choice(InsertChoice choice) const { return m_choices.at(choice); }
    QComboBox* MixTargets() const { return m_targets; }

private:
    void Confirm();

    CInsertSegmentDialog& m_dialog;
    std::map<InsertChoice, QRadioButton*> m_choices;
    QComboBox* m_targets;
};

}  // namespace vantor::gui

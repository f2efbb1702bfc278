#pragma once

#include <QDialog>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "views/segment_designer_view.h"

namespace vantor::gui {

// The segment designer over its view: the song's "Segments" beside the
// controls a design is made from (name, tempo, "Resampling:", the
// selection, the effects). "Add segment" appends the controls' design, OK
// stores the list (and hands an edited set segment back), Cancel leaves
// everything as it was.
class SegmentDesignerWindow : public QDialog {
public:
    SegmentDesignerWindow(CSegmentDesignerView& view, QWidget* parent = nullptr);

    CSegmentDesignerView& View() { return m_view; }
    QListWidget* Segments() const { return m_segments; }
    QLineEdit* NameEdit() const { return m_name; }
    QDoubleSpinBox* TempoBox() const { return m_tempo; }
    QLineEdit* ResamplingEdit() const { return m_resampling; }
    QDoubleSpinBox* StartBox() const { return m_start; }
    QDoubleSpinBox* LengthBox() const { return m_length; }
    QListWidget* Effects() const { return m_effects; }
    QPushButton* OkButton() const { return m_ok; }

    void done(int result) override;

private:
    // The controls into the view, and the view's state back into the window.
    void Store();
    void Refresh();
    void FillSegments();
    void AddEffect();
    void Confirm();

    CSegmentDesignerView& m_view;
    QListWidget* m_segments = nullptr;
    QLineEdit* m_name = nullptr;
    QDoubleSpinBox* m_tempo = nullptr;
    QLineEdit* m_resampling = nullptr;
    QDoubleSpinBox* m_start = nullptr;
    QDoubleSpinBox* m_length = nullptr;
    QListWidget* m_effects = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace vantor::gui

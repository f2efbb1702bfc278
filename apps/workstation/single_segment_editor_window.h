#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <memory>

#include "mix_waveform_widget.h"
#include "shell/vantor_app.h"
#include "views/single_segment_editor_view.h"
#include "window_content.h"

namespace vantor::gui {

// What a set editor opens the editor of one of its segments with.
struct SingleSegmentEditorParameters {
    EditSegmentRequest request;
    CMusicSetView* setView = nullptr;
};

// "Edit Segment - <name> (<song>)": the segment's waveform as it plays and
// its fields, with Revert, Apply, OK (Apply, then close) and Cancel. Its set
// editor tells it when it closes: the editor then lets go of the set and
// closes as well. After an Apply the set editors hear that the track changed.
class SingleSegmentEditorWindow : public WindowContent {
public:
    // Null, after telling the user, when the segment's song has no profile.
    static SingleSegmentEditorWindow* Open(CVantorApp& app, const SingleSegmentEditorParameters& parameters);

    CSingleSegmentEditorView* View() const { return m_view.get(); }
    QLineEdit* NameField() const { return m_name; }
    QLineEdit* TempoField() const { return m_tempo; }
    QLineEdit* RatioField() const { return m_ratio; }
    QLineEdit* StartField() const { return m_start; }
    QLineEdit* EndField() const { return m_end; }
    QPushButton* ApplyButton() const { return m_apply; }
    QPushButton* RevertButton() const { return m_revert; }
    MixWaveformWidget* Waveform() const { return m_waveform; }

    void OnNotification(const Notification& notification) override;

private:
    SingleSegmentEditorWindow(CVantorApp& app, std::unique_ptr<CSingleSegmentEditorView> view,
                              const SingleSegmentEditorParameters& parameters);
    // The view's fields into the line edits, and back.
    void Pull();
    void Push();
    bool Apply();
    void CloseFrame();

    CVantorApp& m_app;
    std::unique_ptr<CSingleSegmentEditorView> m_view;
    CTrack* m_track;
    // Held so that the set editor can still tell whether it is in its track.
    RefPtr<CEvent> m_event;
    const CMusicSet* m_set;
    MixWaveformWidget* m_waveform;
    QLineEdit* m_name;
    QLineEdit* m_tempo;
    QLineEdit* m_ratio;
    QLineEdit* m_start;
    QLineEdit* m_end;
    QPushButton* m_revert;
    QPushButton* m_apply;
};

}  // namespace vantor::gui

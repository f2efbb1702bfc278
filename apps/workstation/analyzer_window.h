#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <map>
#include <memory>

#include "shell/vantor_app.h"
#include "views/analyzer_view.h"
#include "waveform_widget.h"
#include "window_content.h"

namespace vantor::gui {

// The song analyzer: the waveform with its zoom and scroll, the cue point
// list and the analyzer's buttons.
class AnalyzerWindow : public WindowContent {
public:
    // Null when the song's audio or summary does not open (the view has
    // told the user).
    static AnalyzerWindow* Open(CVantorApp& app, const RefPtr<CSongProfile>& song);

    CAnalyzerView& View() { return *m_view; }
    WaveformWidget* Waveform() const { return m_waveform; }
    QTableWidget* Points() const { return m_points; }
    QPushButton* Button(const QString& text) const;
    QLineEdit* LabelEdit() const { return m_label; }
    QLineEdit* TimeEdit() const { return m_time; }
    QComboBox* TypeChoice() const { return m_type; }
    QScrollBar* Scroll() const { return m_scroll; }

    void OnNotification(const Notification& notification) override;

private:
    explicit AnalyzerWindow(std::unique_ptr<CAnalyzerView> view);
    // Hands the edit fields to the view before a command, and shows its
    // state after it.
    void Push();
    void Pull();
    void Run(const std::function<void()>& command);
    void CloseFrame();

    std::unique_ptr<CAnalyzerView> m_view;
    WaveformWidget* m_waveform;
    QScrollBar* m_scroll;
    QTableWidget* m_points;
    QComboBox* m_type;
    QLineEdit* m_label;
    QLineEdit* m_time;
    QLineEdit* m_tempo;
    QLabel* m_baseTempo;
    std::map<QString, QPushButton*> m_buttons;
};

}  // namespace vantor::gui

#pragma once

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "model/music_set.h"
#include "shell/vantor_app.h"
#include "views/mixdown_dialog.h"

namespace vantor::gui {

// "Mixdown": the whole set rendered into a wave file by the mixdown's
// writer thread; the window only reads its progress on a timer.
class MixdownWindow : public QDialog {
public:
    // Asks for the wave file to write; null when the user stopped or the
    // mixdown could not start (the dialog has said why).
    static MixdownWindow* Start(CVantorApp& app, const std::string& setPath, QWidget* parent);
    static MixdownWindow* Start(CVantorApp& app, const std::string& setPath, const std::string& wavePath,
                                QWidget* parent);
    // The frames [startFrame, endFrame) of the set only: the set editor's markers.
    static MixdownWindow* Start(CVantorApp& app, const std::string& setPath, uint32_t startFrame, uint32_t endFrame,
                                QWidget* parent);
    static MixdownWindow* Start(CVantorApp& app, const std::string& setPath, const std::string& wavePath,
                                uint32_t startFrame, uint32_t endFrame, QWidget* parent);

    CMixdownDialog& Dialog() { return *m_dialog; }
    QPushButton* Button() const { return m_button; }
    QProgressBar* Progress() const { return m_progress; }
    // One timer tick: the writer's messages, then the percentage.
    void Tick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MixdownWindow(std::unique_ptr<CMixdownDialog> dialog, RefPtr<CMusicSet> set, QWidget* parent);
    void Show();

    std::unique_ptr<CMixdownDialog> m_dialog;
    RefPtr<CMusicSet> m_set;
    QLabel* m_caption;
    QProgressBar* m_progress;
    QLabel* m_percent;
    QPushButton* m_button;
    QTimer m_timer;
    bool m_closed = false;
};

}  // namespace vantor::gui

#pragma once

#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <memory>

#include "shell/vantor_app.h"
#include "views/load_files_view.h"
#include "window_content.h"

namespace vantor::gui {

// "Music Loader": the queue of copies from archives and its count. The
// loader works on its own thread; the window asks its questions and
// redraws on a timer.
class LoadFilesWindow : public WindowContent {
public:
    static constexpr int kTurnMilliseconds = 200;

    explicit LoadFilesWindow(CVantorApp& app);

    CLoadFilesView& View() { return *m_view; }
    QListWidget* Queue() const { return m_queue; }
    QLabel* Count() const { return m_count; }
    // One turn: the loader's question, if any, then the redraw.
    void Turn();

    void OnNotification(const Notification& notification) override;
    bool QueryClose() override;

private:
    std::unique_ptr<CLoadFilesView> m_view;
    QListWidget* m_queue;
    QLabel* m_count;
    QListWidget* m_dropped;
    QTimer m_timer;
};

}  // namespace vantor::gui

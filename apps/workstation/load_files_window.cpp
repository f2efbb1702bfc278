#include "load_files_window.h"

#include <QVBoxLayout>

namespace vantor::gui {

LoadFilesWindow::LoadFilesWindow(CVantorApp& app) : m_view(app.MakeLoadFilesView()) {
    setWindowTitle(CLoadFilesView::kTitle);
    auto* layout = new QVBoxLayout(this);
    m_count = new QLabel;
    layout->addWidget(m_count);
    m_queue = new QListWidget;
    layout->addWidget(m_queue, 2);
    m_dropped = new QListWidget;
    m_dropped->setMaximumHeight(90);
    layout->addWidget(m_dropped, 1);
    connect(&m_timer, &QTimer::timeout, this, [this] { Turn(); });
    m_timer.start(kTurnMilliseconds);
    resize(560, 360);
    Turn();
}

void LoadFilesWindow::Turn() {
    m_view->Pump();
    m_count->setText(QString::fromStdString(m_view->GetCountText()));
    QStringList items;
    for (const auto& item : m_view->GetQueueItems()) items << QString::fromStdString(item);
    if (m_queue->count() != items.size() ||
        (m_queue->count() > 0 && m_queue->item(0)->text() != items.front())) {
        m_queue->clear();
        m_queue->addItems(items);
    }
    const auto dropped = m_view->GetDropped();
    if (m_dropped->count() != static_cast<int>(dropped.size())) {
        m_dropped->clear();
        for (const auto& line : dropped) m_dropped->addItem(QString::fromStdString(line));
    }
    m_dropped->setVisible(!dropped.empty());
}

void LoadFilesWindow::OnNotification(const Notification& notification) {
    if (notification.message != kLoadRequest) return;
    if (const auto* job = std::any_cast<LoadJob>(&notification.first)) {
        m_view->QueueLoad(*job);
        Turn();
    }
}

bool LoadFilesWindow::QueryClose() {
    m_timer.stop();
    m_view->Close();
    return true;
}

}  // namespace vantor::gui

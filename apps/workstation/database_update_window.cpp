#include "database_update_window.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace vantor::gui {

DatabaseUpdateWindow::DatabaseUpdateWindow(std::unique_ptr<CDatabaseUpdate> update, QWidget* parent)
    : QDialog(parent), m_update(std::move(update)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(CDatabaseUpdate::kCaption);
    auto* layout = new QVBoxLayout(this);
    m_status = new QLabel;
    m_status->setMinimumWidth(420);
    layout->addWidget(m_status);
    m_progress = new QProgressBar;
    layout->addWidget(m_progress);
    m_times = new QLabel;
    layout->addWidget(m_times);
    m_button = new QPushButton;
    layout->addWidget(m_button, 0, Qt::AlignCenter);
    connect(m_button, &QPushButton::clicked, this, [this] {
        if (m_update->IsFinished()) {
            close();
        } else {
            m_update->Stop();
        }
    });
    connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
    m_timer.start(kTimerMilliseconds);
    Tick();
}

void DatabaseUpdateWindow::Tick() {
    m_update->OnTimer();
    m_progress->setRange(0, std::max(1, m_update->GetRange()));
    m_progress->setValue(m_update->GetPosition());
    m_status->setText(QString::fromStdString(m_update->GetStatusText()));
    m_times->setText(QString::fromStdString("Elapsed " + m_update->GetElapsedText() + ", remaining " +
                                            m_update->GetRemainingText()));
    m_button->setText(QString::fromStdString(m_update->GetCancelButtonText()));
    if (m_update->IsFinished()) m_timer.stop();
}

void DatabaseUpdateWindow::closeEvent(QCloseEvent* event) {
    // The worker stops after the song at hand; the view waits for it.
    m_update->Stop();
    m_timer.stop();
    event->accept();
}

}  // namespace vantor::gui

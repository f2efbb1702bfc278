#pragma once

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "views/database_update.h"

namespace vantor::gui {

// "Update Music Database": the pass runs on its worker; the window shows
// its progress and times on a timer and stops it on Cancel.
class DatabaseUpdateWindow : public QDialog {
public:
    static constexpr int kTimerMilliseconds = 500;

    DatabaseUpdateWindow(std::unique_ptr<CDatabaseUpdate> update, QWidget* parent);

    CDatabaseUpdate& Update() { return *m_update; }
    QPushButton* Button() const { return m_button; }
    void Tick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<CDatabaseUpdate> m_update;
    QLabel* m_status;
    QLabel* m_times;
    QProgressBar* m_progress;
    QPushButton* m_button;
    QTimer m_timer;
};

}  // namespace vantor::gui

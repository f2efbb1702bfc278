#include "mixdown_window.h"

#include <QCloseEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>

#include "engine/set_player.h"
#include "views/set_document.h"

namespace vantor::gui {

MixdownWindow* MixdownWindow::Start(CVantorApp& app, const std::string& setPath, QWidget* parent) {
    return Start(app, setPath, 0, UINT32_MAX, parent);
}

MixdownWindow* MixdownWindow::Start(CVantorApp& app, const std::string& setPath, uint32_t startFrame,
                                    uint32_t endFrame, QWidget* parent) {
    FileChoice choice;
    choice.title = CMixdownDialog::kCaption;
    choice.defaultExtension = ".wav";
    choice.filter = "wave files (*.wav)|*.wav||";
    auto wave = app.UserInterface().ChooseSaveFile(choice);
    if (!wave) return nullptr;
    return Start(app, setPath, *wave, startFrame, endFrame, parent);
}

MixdownWindow* MixdownWindow::Start(CVantorApp& app, const std::string& setPath, const std::string& wavePath,
                                    QWidget* parent) {
    return Start(app, setPath, wavePath, 0, UINT32_MAX, parent);
}

MixdownWindow* MixdownWindow::Start(CVantorApp& app, const std::string& setPath, const std::string& wavePath,
                                    uint32_t startFrame, uint32_t endFrame, QWidget* parent) {
    CSetDocument document(app.UserInterface());
    if (!document.Open(setPath)) return nullptr;
    RefPtr<CMusicSet> set(document.GetSet());
    auto dialog = app.MakeMixdownDialog();
    // A range past the set's last event stops where the set ends.
    endFrame = std::min(endFrame, SetEndFrame(*set));
    if (!dialog->Open(set.get(), wavePath, startFrame, endFrame)) return nullptr;
    return new MixdownWindow(std::move(dialog), std::move(set), parent);
}

MixdownWindow::MixdownWindow(std::unique_ptr<CMixdownDialog> dialog, RefPtr<CMusicSet> set, QWidget* parent)
    : QDialog(parent), m_dialog(std::move(dialog)), m_set(std::move(set)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(CMixdownDialog::kCaption);
    auto* layout = new QVBoxLayout(this);
    m_caption = new QLabel(QString::fromStdString(m_dialog->GetCaption()));
    m_caption->setWordWrap(true);
    layout->addWidget(m_caption);
    m_progress = new QProgressBar;
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    layout->addWidget(m_progress);
    m_percent = new QLabel;
    m_percent->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_percent);
    m_button = new QPushButton;
    layout->addWidget(m_button, 0, Qt::AlignCenter);
    connect(m_button, &QPushButton::clicked, this, [this] {
        if (m_dialog->IsFinished()) {
            close();
        } else {
            m_dialog->OnCancel();
            Show();
        }
    });
    setMinimumWidth(420);
    connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
    m_timer.start(CMixdownDialog::kTimerMilliseconds);
    Show();
}

void MixdownWindow::Tick() {
    while (auto message = m_dialog->Window().Take()) m_dialog->OnMessage(*message);
    m_dialog->OnTimer();
    Show();
}

void MixdownWindow::Show() {
    m_progress->setValue(m_dialog->GetPercent());
    m_percent->setText(QString::fromStdString(m_dialog->GetPercentText()));
    m_button->setText(QString::fromStdString(m_dialog->GetButtonText()));
    if (m_dialog->IsFinished()) m_timer.stop();
}

void MixdownWindow::closeEvent(QCloseEvent* event) {
    if (!m_closed) {
        // A running writer is stopped first; the file is finished either way.
        m_closed = true;
        m_timer.stop();
        if (!m_dialog->IsFinished()) m_dialog->OnCancel();
        m_dialog->Close();
    }
    event->accept();
}

}  // namespace vantor::gui

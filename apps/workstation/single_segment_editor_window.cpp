#include "single_segment_editor_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QVBoxLayout>

namespace vantor::gui {

SingleSegmentEditorWindow* SingleSegmentEditorWindow::Open(CVantorApp& app,
                                                           const SingleSegmentEditorParameters& parameters) {
    if (!parameters.setView || !parameters.request.event) return nullptr;
    auto view = std::make_unique<CSingleSegmentEditorView>(app.UserInterface(), app.Database(), *parameters.setView);
    if (!view->Open(parameters.request)) return nullptr;
    return new SingleSegmentEditorWindow(app, std::move(view), parameters);
}

SingleSegmentEditorWindow::SingleSegmentEditorWindow(CVantorApp& app, std::unique_ptr<CSingleSegmentEditorView> view,
                                                     const SingleSegmentEditorParameters& parameters)
    : m_app(app), m_view(std::move(view)), m_track(parameters.request.track), m_event(parameters.request.event),
      m_set(&parameters.setView->GetSet()) {
    setWindowTitle(QString::fromStdString(m_view->GetTitle()));
    auto* layout = new QVBoxLayout(this);
    m_waveform = new MixWaveformWidget(
        [this](int width) { return m_view ? m_view->GetWaveform(width) : std::vector<WaveformColumn>{}; }, "Segment");
    m_waveform->setMinimumWidth(360);
    layout->addWidget(m_waveform, 1);

    auto* form = new QFormLayout;
    m_name = new QLineEdit;
    m_tempo = new QLineEdit;
    m_ratio = new QLineEdit;
    m_start = new QLineEdit;
    m_end = new QLineEdit;
    form->addRow("Name:", m_name);
    form->addRow("Tempo:", m_tempo);
    form->addRow("Ratio:", m_ratio);
    form->addRow("Start (s):", m_start);
    form->addRow("End (s):", m_end);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_revert = new QPushButton("Revert");
    m_apply = new QPushButton("Apply");
    auto* ok = new QPushButton("OK");
    auto* cancel = new QPushButton("Cancel");
    for (QPushButton* button : {m_revert, m_apply, ok, cancel}) buttons->addWidget(button);
    layout->addLayout(buttons);
    connect(m_revert, &QPushButton::clicked, this, [this] {
        if (!m_view) return;
        m_view->Revert();
        Pull();
    });
    connect(m_apply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(ok, &QPushButton::clicked, this, [this] {
        if (Apply()) CloseFrame();
    });
    connect(cancel, &QPushButton::clicked, this, [this] { CloseFrame(); });
    Pull();
    resize(520, 360);
}

void SingleSegmentEditorWindow::Pull() {
    if (!m_view) return;
    const auto& fields = m_view->GetFields();
    m_name->setText(QString::fromStdString(fields.name));
    m_tempo->setText(QString::fromStdString(fields.tempo));
    m_ratio->setText(QString::fromStdString(fields.ratio));
    m_start->setText(QString::fromStdString(fields.start));
    m_end->setText(QString::fromStdString(fields.end));
    setWindowTitle(QString::fromStdString(m_view->GetTitle()));
    m_waveform->update();
}

void SingleSegmentEditorWindow::Push() {
    auto& fields = m_view->GetFields();
    fields.name = m_name->text().toStdString();
    fields.tempo = m_tempo->text().trimmed().toStdString();
    fields.ratio = m_ratio->text().trimmed().toStdString();
    fields.start = m_start->text().trimmed().toStdString();
    fields.end = m_end->text().trimmed().toStdString();
}

bool SingleSegmentEditorWindow::Apply() {
    if (!m_view) return false;
    Push();
    if (!m_view->Apply()) return false;
    Pull();
    m_app.Registry().Broadcast(WindowKind::SingleSegmentEditor,
                               Notification{kTrackChanged, std::any(m_track), std::any()});
    return true;
}

void SingleSegmentEditorWindow::CloseFrame() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        frame->close();
    } else {
        close();
    }
}

void SingleSegmentEditorWindow::OnNotification(const Notification& notification) {
    if (notification.message != kSetClosing || !m_view) return;
    const auto* set = std::any_cast<CMusicSet*>(&notification.second);
    if (!set || *set != m_set) return;
    // The set editor's view goes now: nothing here may reach it again.
    m_view.reset();
    setEnabled(false);
    QMetaObject::invokeMethod(this, [this] { CloseFrame(); }, Qt::QueuedConnection);
}

}  // namespace vantor::gui

#include "main_window.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QPainter>
#include <iterator>
#include <QStatusBar>

#include "add_batch_window.h"
#include "configuration_window.h"
#include "database_update_window.h"
#include "help_window.h"
#include "midi_mapper_window.h"
#include "mixdown_window.h"
#include "qt_user_interface.h"
#include "registry_sub_window.h"

namespace vantor::gui {

namespace {

// The program's icon as its SVG draws it: a dark disc with a waveform
// across it and an amber centre.
QIcon DrawIcon() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(27, 29, 34));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(2, 2, 60, 60, 11, 11);
    painter.setBrush(QColor(30, 33, 40));
    painter.setPen(QPen(QColor(58, 63, 73), 1));
    painter.drawEllipse(QPointF(32, 32), 25, 25);
    painter.setPen(QPen(QColor(64, 200, 220), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF wave[] = {{11, 32}, {16, 32}, {18, 25}, {20.5, 40}, {23, 20}, {25.5, 44}, {28, 23},
                            {30.5, 38}, {33, 28}, {35.5, 36}, {38, 22}, {40.5, 42}, {43, 26}, {45.5, 35},
                            {48, 30}, {53, 32}};
    painter.drawPolyline(wave, static_cast<int>(std::size(wave)));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 176, 60));
    painter.drawEllipse(QPointF(32, 32), 3.5, 3.5);
    return QIcon(pixmap);
}
}  // namespace

MainWindow::MainWindow(QtUserInterface& ui) : m_ui(ui) {
    setWindowTitle("Vantor");
    setWindowIcon(DrawIcon());
    resize(1280, 800);
}

QAction* MainWindow::AddCommand(QMenu* menu, const QString& text, const QKeySequence& shortcut,
                                std::function<void()> run, bool opensWindow) {
    QAction* action = menu->addAction(text);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    QString key = text;
    key.remove('&');
    key.remove("...");
    m_commands[key] = action;
    if (opensWindow) m_windowCommands << action;
    return action;
}

bool MainWindow::Create() {
    if (!m_app) return false;
    CVantorApp& app = *m_app;
    m_area = new QMdiArea(this);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);

    QMenu* file = menuBar()->addMenu("&File");
    AddCommand(file, "&New", QKeySequence::New, [&app] { app.New(); }, true);
    AddCommand(file, "&Open...", QKeySequence::Open, [&app] { app.OpenSet(); });
    AddCommand(file, "New &Playlist", QKeySequence("Ctrl+Shift+N"), [&app] { app.NewPlaylist(); }, true);
    m_recentMenu = file->addMenu("Recent Sets");
    file->addSeparator();
    AddCommand(file, "E&xit", QKeySequence::Quit, [this] { close(); });

    QMenu* edit = menuBar()->addMenu("&Edit");
    AddCommand(edit, "&Configure...", QKeySequence("Ctrl+,"), [this] { Configure(); });

    QMenu* segment = menuBar()->addMenu("&Segment");
    AddCommand(segment, "New Song &Profile", QKeySequence("Ctrl+P"),
               [&app] { app.Registry().Open(WindowKind::SongProfile, RefPtr<CSongProfile>(), true); }, true);

    QMenu* audio = menuBar()->addMenu("&Audio");
    AddCommand(audio, "&Mixdown...", QKeySequence("Ctrl+D"), [this] { Mixdown(); });
    AddCommand(audio, "&Decompress MP3...", {}, [&app] { app.DecompressMp3(); });
    AddCommand(audio, "&Connect", {}, [&app] { app.Connect(); });
    audio->addSeparator();
    AddCommand(
        audio, "View &Samples", {}, [&app] { app.Registry().Open(WindowKind::SampleDatabase, std::any(), false); },
        true);
    AddCommand(audio, "M&IDI Control Mapper...", {}, [this] { MapMIDIControls(); });

    QMenu* music = menuBar()->addMenu("&Music");
    AddCommand(music, "&View Music", QKeySequence("Ctrl+M"), [&app] { app.ViewMusic(); }, true);
    AddCommand(music, "&Find", QKeySequence::Find, [&app] { app.Find(); }, true);
    AddCommand(music, "&Load Music", QKeySequence("Ctrl+L"), [&app] { app.LoadMusic(); }, true);
    AddCommand(music, "Edit &Categories", QKeySequence("Ctrl+K"), [&app] { app.EditCategories(); }, true);
    music->addSeparator();
    AddCommand(music, "&Add Batch...", QKeySequence("Ctrl+B"), [this] { AddBatch(); });
    AddCommand(music, "&Update Database...", {}, [this] { UpdateDatabase(); });
    AddCommand(music, "C&ompact Database", {}, [&app] { app.CompactDatabase(); });

    QMenu* help = menuBar()->addMenu("&Help");
    AddCommand(help, "&Introduction", QKeySequence::HelpContents, [this] { ShowHelp(); });
    AddCommand(help, "&About", {}, [&app] { app.About(); });

    QToolBar* files = addToolBar("File");
    files->setObjectName("FileToolBar");
    for (const char* name : {"New", "Open", "View Music", "Find", "Edit Categories"})
        files->addAction(m_commands.at(name));

    // The effect preset buttons name the presets; they act on a set editor's
    // track, so they stay disabled while no set editor can take them.
    QToolBar* effects = addToolBar("Effects");
    effects->setObjectName("EffectsToolBar");
    for (int i = 0; i < CVantorApp::kEffectPresets; ++i) {
        QAction* preset = effects->addAction(QString("FX%1").arg(i + 1));
        preset->setEnabled(false);
        m_presetButtons << preset;
    }
    // The sample buttons fire slots 0 to 7 of the workstation's bank; a
    // button whose slot holds no sample stays disabled.
    QToolBar* samples = addToolBar("Samples");
    samples->setObjectName("SamplesToolBar");
    samples->addAction(m_commands.at("View Samples"));
    for (int slot = 0; slot < CVantorApp::kSampleButtons; ++slot) {
        QAction* button = samples->addAction(QString("S%1").arg(slot + 1));
        button->setShortcut(QKeySequence(QString("Alt+%1").arg(slot + 1)));
        button->setEnabled(false);
        connect(button, &QAction::triggered, this, [&app, slot] { app.TriggerSample(slot); });
        m_sampleButtons << button;
    }
    statusBar()->showMessage("Ready");
    return true;
}

void MainWindow::SetEffectPresetTips(const std::vector<std::string>& names) {
    for (int i = 0; i < m_presetButtons.size() && i < static_cast<int>(names.size()); ++i)
        m_presetButtons[i]->setToolTip(QString::fromStdString(names[static_cast<size_t>(i)]));
}

void MainWindow::SetSampleTips(const std::vector<std::string>& names) {
    for (int i = 0; i < m_sampleButtons.size(); ++i) {
        const std::string name = i < static_cast<int>(names.size()) ? names[static_cast<size_t>(i)] : std::string();
        m_sampleButtons[i]->setToolTip(name.empty() ? QString("Sample %1: empty").arg(i + 1)
                                                    : QString::fromStdString(name));
        m_sampleButtons[i]->setEnabled(m_app && m_app->IsTriggerSampleEnabled(i));
    }
}

void MainWindow::ShowHelp() {
    auto* help = new HelpWindow(this);
    help->show();
}

void MainWindow::SetRecentSets(const std::vector<std::string>& paths) {
    if (!m_recentMenu) return;
    m_recentMenu->clear();
    for (size_t i = 0; i < paths.size(); ++i) {
        QAction* action = m_recentMenu->addAction(QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(paths[i])));
        connect(action, &QAction::triggered, this, [this, i] { m_app->OpenRecent(i); });
    }
    m_recentMenu->setEnabled(!paths.empty());
}

RegistrySubWindow* MainWindow::AddWindow(WindowKind kind, WindowContent* content) {
    auto* window = new RegistrySubWindow(m_app->Registry(), kind, content);
    window->setWindowIcon(windowIcon());
    m_area->addSubWindow(window);
    // The content's own size, inside the frame's borders and title bar.
    const QMargins frame = window->contentsMargins();
    window->resize(content->size().expandedTo(content->minimumSizeHint()) +
                   QSize(frame.left() + frame.right(), frame.top() + frame.bottom()));
    m_app->Registry().RestorePosition(kind, *window);
    window->show();
    return window;
}

RegistrySubWindow* MainWindow::WindowAt(const QPoint& globalPoint) const {
    if (!m_area) return nullptr;
    const QPoint point = m_area->viewport()->mapFromGlobal(globalPoint);
    const auto windows = m_area->subWindowList(QMdiArea::StackingOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if ((*it)->isVisible() && (*it)->geometry().contains(point)) return dynamic_cast<RegistrySubWindow*>(*it);
    return nullptr;
}

void MainWindow::Configure() {
    ConfigurationWindow dialog(*m_app, this);
    dialog.exec();
}

void MainWindow::AddBatch() {
    AddBatchWindow dialog(*m_app, this);
    dialog.exec();
}

void MainWindow::UpdateDatabase() {
    auto update = m_app->UpdateDatabase();
    if (!update) return;
    auto* window = new DatabaseUpdateWindow(std::move(update), this);
    window->show();
}

void MainWindow::Mixdown() {
    FileChoice choice;
    choice.title = "Mixdown";
    choice.filter = CVantorApp::kSetFilter;
    auto sets = m_ui.ChooseOpenFiles(choice);
    if (sets.empty()) return;
    auto* window = MixdownWindow::Start(*m_app, sets.front(), this);
    if (window) window->show();
}

void MainWindow::MapMIDIControls() {
    if (!m_app->MIDIBindings()) return;
    MidiMapperWindow dialog(*m_app, this);
    dialog.exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_app || !m_app->IsStarted() || m_app->CloseMainWindow()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace vantor::gui

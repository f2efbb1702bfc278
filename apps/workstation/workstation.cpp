#include "workstation.h"

#include <QApplication>
#include <QMetaObject>
#include <QStatusBar>

#include "analyzer_window.h"
#include "edit_categories_window.h"
#include "event_editor_window.h"
#include "find_music_window.h"
#include "load_files_window.h"
#include "manage_mix_designs_window.h"
#include "music_database_window.h"
#include "playlist_window.h"
#include "sample_database_window.h"
#include "set_window.h"
#include "single_segment_editor_window.h"
#include "song_profile_window.h"

namespace vantor::gui {

namespace {
template <class T>
T OpeningData(CVantorApp& app, WindowKind kind) {
    const auto* data = std::any_cast<T>(&app.Registry().GetOpeningData(kind));
    return data ? *data : T();
}
}  // namespace

Workstation::Workstation()
    : m_main(std::make_unique<MainWindow>(m_ui)), m_app(std::make_unique<CVantorApp>(m_ui, *m_main)),
      m_drag(std::make_unique<CDragTracker>(m_app->Registry(), DragHost())) {
    m_main->Attach(*m_app);
    m_ui.SetParent(m_main.get());
    m_ui.SetStatusBar(m_main->statusBar());
    // Posted notifications and work handed over by worker threads run on
    // Qt's loop; a call queued to a window that is gone is dropped by Qt.
    MainWindow* context = m_main.get();
    CVantorApp* app = m_app.get();
    m_app->SetWake([context, app] {
        QMetaObject::invokeMethod(context, [app] { app->RunPosted(); }, Qt::QueuedConnection);
    });
    // Set clips and segment designs go to the desktop's clipboard.
    Clipboard::Instance().SetStore(&m_clipboard);
}

Workstation::~Workstation() {
    Clipboard::Instance().SetStore(nullptr);
    m_drag->Abandon();
    // The windows leave the registry before the application goes.
    m_main.reset();
    m_app.reset();
}

bool Workstation::Start(const std::string& programDirectory, const std::vector<std::string>& arguments) {
    return m_app->StartUp(programDirectory, arguments, [this](WindowKind kind) { MakeWindow(kind); });
}

CDragTracker::Host Workstation::DragHost() {
    CDragTracker::Host host;
    host.windowAt = [this](int x, int y) -> IRegistryWindow* { return m_main->WindowAt(QPoint(x, y)); };
    host.captureMouse = [](IRegistryWindow* source) {
        if (auto* sub = dynamic_cast<RegistrySubWindow*>(source)) sub->Content()->grabMouse();
    };
    host.releaseMouse = [] {
        if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    };
    host.setDesignCursor = [] { QApplication::setOverrideCursor(QCursor(Qt::DragCopyCursor)); };
    host.restoreCursor = [] { QApplication::restoreOverrideCursor(); };
    return host;
}

void Workstation::MakeWindow(WindowKind kind) {
    CVantorApp& app = *m_app;
    WindowContent* content = nullptr;
    switch (kind) {
        case WindowKind::MusicDatabase: content = new MusicDatabaseWindow(app, *m_drag); break;
        case WindowKind::SongProfile:
            content = new SongProfileWindow(app, OpeningData<RefPtr<CSongProfile>>(app, kind));
            break;
        case WindowKind::Analyzer:
            content = AnalyzerWindow::Open(app, OpeningData<RefPtr<CSongProfile>>(app, kind));
            break;
        case WindowKind::LoadFiles: content = new LoadFilesWindow(app); break;
        case WindowKind::FindMusic: content = new FindMusicWindow(app); break;
        case WindowKind::EditCategories: content = new EditCategoriesWindow(app); break;
        case WindowKind::Playlist:
            content = new PlaylistWindow(app, OpeningData<PlaylistOpening>(app, kind));
            break;
        case WindowKind::MusicSet: {
            auto document = OpeningData<std::shared_ptr<CSetDocument>>(app, kind);
            if (document) content = new SetWindow(app, std::move(document));
            break;
        }
        case WindowKind::EventEditor: {
            const auto* parameters = std::any_cast<EventEditorParameters>(&app.Registry().GetOpeningData(kind));
            if (parameters && parameters->track && parameters->history)
                content = new EventEditorWindow(app, *parameters);
            break;
        }
        case WindowKind::SampleDatabase:
            if (app.SampleBank()) content = new SampleDatabaseWindow(app, *m_main);
            break;
        case WindowKind::ManageMixDesigns:
            content = new ManageMixDesignsWindow(app, OpeningData<RefPtr<CSongProfile>>(app, kind));
            break;
        case WindowKind::SingleSegmentEditor:
            content = SingleSegmentEditorWindow::Open(app, OpeningData<SingleSegmentEditorParameters>(app, kind));
            break;
        // The segment designer and the mixer board open from a set editor,
        // as dialogs of its own.
        default: break;
    }
    if (content) m_main->AddWindow(kind, content);
}

}  // namespace vantor::gui

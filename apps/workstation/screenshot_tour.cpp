#include "screenshot_tour.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include "add_batch_window.h"
#include "analyzer_window.h"
#include "configuration_window.h"
#include "edit_categories_window.h"
#include "mixdown_window.h"
#include "music_database_window.h"
#include "playlist_window.h"
#include "views/music_database_view.h"
#include "workstation.h"

namespace vantor::gui {

namespace {

void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

class Tour {
public:
    Tour(Workstation& workstation, const std::string& folder)
        : m_workstation(workstation), m_folder(QString::fromStdString(folder)) {}

    void Save(QWidget* widget, const QString& name) {
        if (!widget) {
            m_failures.push_back(name.toStdString() + ": not open");
            return;
        }
        Settle();
        const QString path = QDir(m_folder).filePath(name + ".png");
        if (!widget->grab().save(path)) m_failures.push_back(path.toStdString() + ": not written");
    }

    QWidget* Frame(WindowKind kind, int width, int height) {
        auto windows = m_workstation.App().Registry().GetWindows(kind);
        if (windows.empty()) return nullptr;
        auto* frame = dynamic_cast<RegistrySubWindow*>(windows.front());
        if (frame) {
            frame->resize(width, height);
            frame->BringToTop();
        }
        return frame;
    }

    void Place(WindowKind kind, const QRect& where) {
        for (IRegistryWindow* window : m_workstation.App().Registry().GetWindows(kind))
            if (auto* frame = dynamic_cast<RegistrySubWindow*>(window)) frame->setGeometry(where);
    }

    std::vector<std::string> Run() {
        QDir().mkpath(m_folder);
        CVantorApp& app = m_workstation.App();
        MainWindow& main = m_workstation.Main();
        main.resize(1440, 900);
        main.show();

        app.ViewMusic();
        auto* database = m_workstation.Find<MusicDatabaseWindow>(WindowKind::MusicDatabase);
        Save(Frame(WindowKind::MusicDatabase, 980, 360), "Music Database");
        RefPtr<CSongProfile> song;
        if (database && !database->View().GetRows().empty()) song = database->View().GetRows().front().song;
        if (!song) m_failures.push_back("the database has no songs to show");

        if (song) {
            app.Registry().Open(WindowKind::Analyzer, song, true);
            if (auto* analyzer = m_workstation.Find<AnalyzerWindow>(WindowKind::Analyzer)) {
                QWidget* frame = Frame(WindowKind::Analyzer, 1100, 640);
                Settle();
                analyzer->Waveform()->ShowWhole();
                Save(frame, "Analyzer");
                analyzer->Waveform()->SetScale(analyzer->Waveform()->Scale() / 16);
                analyzer->Waveform()->SetFirstFrame(0);
                Save(frame, "Analyzer (zoomed in)");
            } else {
                m_failures.push_back("Analyzer: did not open");
            }
            app.Registry().Open(WindowKind::SongProfile, song, true);
            Save(Frame(WindowKind::SongProfile, 780, 430), "Edit Profile");
        }

        app.Find();
        Save(Frame(WindowKind::FindMusic, 560, 400), "Find Music");

        app.EditCategories();
        if (auto* categories = m_workstation.Find<EditCategoriesWindow>(WindowKind::EditCategories)) {
            if (categories->View().GetNames().empty()) categories->View().Add("Peak Time");
            if (database && categories->View().GetEntries().empty()) {
                for (int row = 0; row < static_cast<int>(database->View().GetRows().size()); ++row)
                    if (auto design = database->View().BeginDrag(row))
                        categories->View().DropSegmentDesign(**design, CMusicDatabaseView::kDragSegmentDesign);
            }
            categories->Fill();
        }
        Save(Frame(WindowKind::EditCategories, 900, 380), "Edit Categories");

        app.LoadMusic();
        Save(Frame(WindowKind::LoadFiles, 520, 300), "Music Loader");

        app.NewPlaylist();
        if (auto* playlist = m_workstation.Find<PlaylistWindow>(WindowKind::Playlist)) {
            if (database)
                for (const auto& row : database->View().GetRows()) playlist->View().AddSong(row.song->GetKey());
            playlist->Fill();
        }
        Save(Frame(WindowKind::Playlist, 760, 300), "PlayList Editor");

        {
            ConfigurationWindow configuration(app, &main);
            configuration.show();
            Save(&configuration, "Configuration");
        }
        {
            AddBatchWindow batch(app, &main);
            batch.show();
            Save(&batch, "Add Batch of Music");
        }

        const std::string set = app.Configuration().ProgramPath("demo.set");
        const QString wave = QDir(QDir::tempPath()).filePath("vantor-screenshot-mix.wav");
        QFile::remove(wave);
        if (auto* mixdown = MixdownWindow::Start(app, set, wave.toStdString(), &main)) {
            mixdown->show();
            QElapsedTimer clock;
            clock.start();
            while (!mixdown->Dialog().IsFinished() && clock.elapsed() < 120000) {
                QThread::msleep(50);
                mixdown->Tick();
            }
            Save(mixdown, "Mixdown");
            mixdown->close();
        } else {
            m_failures.push_back("Mixdown: " + set + " did not start");
        }
        QFile::remove(wave);

        // The main window with the library windows side by side.
        for (WindowKind kind : {WindowKind::FindMusic, WindowKind::SongProfile, WindowKind::LoadFiles})
            for (IRegistryWindow* window : app.Registry().GetWindows(kind)) window->Destroy();
        const QSize area = main.Area()->viewport()->size();
        const int left = area.width() * 3 / 5;
        Place(WindowKind::MusicDatabase, QRect(0, 0, left, area.height() * 2 / 5));
        Place(WindowKind::Analyzer, QRect(0, area.height() * 2 / 5, left, area.height() * 3 / 5));
        Place(WindowKind::EditCategories, QRect(left, 0, area.width() - left, area.height() / 2));
        Place(WindowKind::Playlist, QRect(left, area.height() / 2, area.width() - left, area.height() / 2));
        if (auto* analyzer = m_workstation.Find<AnalyzerWindow>(WindowKind::Analyzer)) {
            Settle();
            analyzer->Waveform()->ShowWhole();
        }
        Save(&main, "Main Window");
        return m_failures;
    }

private:
    Workstation& m_workstation;
    QString m_folder;
    std::vector<std::string> m_failures;
};

}  // namespace

std::vector<std::string> ScreenshotTour::Run(Workstation& workstation, const std::string& folder) {
    return Tour(workstation, folder).Run();
}

}  // namespace vantor::gui

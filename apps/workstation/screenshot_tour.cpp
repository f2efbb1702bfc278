#include "screenshot_tour.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <optional>

#include "add_batch_window.h"
#include "analyzer_window.h"
#include "configuration_window.h"
#include "apply_effects_window.h"
#include "edit_categories_window.h"
#include "event_editor_window.h"
#include "midi_mapper_window.h"
#include "mixdown_window.h"
#include "mixer_board_window.h"
#include "mixing_helper_window.h"
#include "music_database_window.h"
#include "playlist_window.h"
#include "sample_database_window.h"
#include "set_window.h"
#include "single_segment_editor_window.h"
#include "model/track.h"
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

        SetEditor(set);
        LiveWindows();

        // The main window with the library windows side by side.
        for (WindowKind kind : {WindowKind::FindMusic, WindowKind::SongProfile, WindowKind::LoadFiles,
                                WindowKind::MusicSet, WindowKind::EventEditor})
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

    // The demo set: whole, then zoomed onto its first crossfade; Apply
    // Effects with a fade over that crossfade; the event editor on track 1.
    void SetEditor(const std::string& path) {
        CVantorApp& app = m_workstation.App();
        if (!app.OpenPath(path)) {
            m_failures.push_back("Set Editor: " + path + " did not open");
            return;
        }
        auto* window = m_workstation.Find<SetWindow>(WindowKind::MusicSet);
        QWidget* frame = Frame(WindowKind::MusicSet, 1400, 640);
        if (!window || !frame) {
            m_failures.push_back("Set Editor: no window");
            return;
        }
        Settle();
        window->Timeline()->ShowWhole();
        Save(frame, "Set Editor");

        CMusicSetView& view = window->View();
        SetEditorState& state = view.GetState();
        const auto crossfade = FirstCrossfade(state);
        if (!crossfade) {
            m_failures.push_back("Set Editor: the demo set has no crossfade");
            return;
        }
        const double rate = state.GetSampleRate();
        const double from = crossfade->start / rate;
        const double to = crossfade->end / rate;
        const double margin = (to - from) * 0.35;
        window->Timeline()->SetScale((to - from + 2 * margin) / (window->Timeline()->width() - 110));
        window->Timeline()->ScrollTo(from - margin);
        state.SetLeftMarker(from);
        state.SetRightMarker(to);
        state.SetSelectedTrack(crossfade->track);
        if (CEvent* event = state.EventAt(crossfade->track, crossfade->start)) state.SelectOnly(crossfade->track, event);
        state.MarkAllRepaint();
        window->AfterChange();
        Save(frame, "Set Editor (crossfade)");
        MixingHelper(state, *crossfade);

        {
            CApplyEffectsDialog dialog(app.UserInterface(), &app.Effects(), app.Configuration());
            dialog.Open(state, crossfade->track, crossfade->start, crossfade->end);
            if (!dialog.ChooseProfile("Fade Out")) dialog.ChooseWaveform("Fade Out");
            ApplyEffectsWindow effects(dialog, &app.Effects(), state.GetSampleRate(), &m_workstation.Main());
            effects.show();
            Save(&effects, "Apply Effects");
            dialog.Cancel();
        }

        state.SetSelectedTrack(1);
        if (CTrack* first = state.GetTrack(1); first && first->GetEvents().GetHead())
            state.SelectOnly(1, first->GetEvents().GetHead()->GetItem());
        app.Registry().Open(WindowKind::EventEditor, *view.TrackList(), false);
        Save(Frame(WindowKind::EventEditor, 760, 480), "Event Editor");

        // The editor of that first segment; it closes with the set editor.
        if (auto request = view.CurrentSegment()) {
            app.Registry().Open(WindowKind::SingleSegmentEditor, SingleSegmentEditorParameters{*request, &view}, false);
            Save(Frame(WindowKind::SingleSegmentEditor, 640, 420), "Segment Properties");
        } else {
            m_failures.push_back("Segment Properties: no segment on track 1");
        }
    }

    // The mixer board over the set editor's set playing on the silent
    // device, the sample database with a sample on the first trigger slot,
    // and the MIDI Control Mapper holding one binding of each kind (taken
    // back when it closes).
    void LiveWindows() {
        CVantorApp& app = m_workstation.App();
        if (auto* editor = m_workstation.Find<SetWindow>(WindowKind::MusicSet)) {
            if (editor->StartSet(SetWindow::StartPoint::Beginning, &NullDeviceId())) {
                MixerBoardWindow* board = editor->OpenMixerBoard();
                if (board) board->Fader(1)->setValue(700);
                Save(board, "Mixer Board");
                if (board) board->close();
                editor->StopSet(false);
            } else {
                m_failures.push_back("Mixer Board: the set did not play");
            }
        }

        // The demo keeps no samples: its songs stand in for them.
        if (app.Database().GetSampleCount() == 0)
            for (const std::string& key : app.Database().SortedSongKeys(CMusicDatabase::kSortTitle))
                if (RefPtr<CSongProfile> song = app.Database().GetSong(key)) app.Database().PutSample(*song);
        app.Registry().Open(WindowKind::SampleDatabase, std::any(), false);
        if (auto* samples = m_workstation.Find<SampleDatabaseWindow>(WindowKind::SampleDatabase)) {
            samples->Samples()->setCurrentRow(0);
            samples->Preset(1)->click();
        }
        Save(Frame(WindowKind::SampleDatabase, 620, 360), "Sample Database");

        MidiMapperWindow mapper(app, &m_workstation.Main());
        mapper.show();
        const struct {
            CMIDIControlMapperView::Kind kind;
            const char* channel;
            const char* control;
            const char* field;
            const char* value;
        } bindings[] = {{CMIDIControlMapperView::Kind::TrackEffect, "0", "7", "Track #", "2"},
                        {CMIDIControlMapperView::Kind::TriggerSample, "0", "20", "Trigger Sample #", "1"},
                        {CMIDIControlMapperView::Kind::SampleVolume, "1", "20", "Volume Sample #", "9"}};
        for (const auto& binding : bindings) {
            // A refusal would wait for an answer: no effect, no effect binding.
            if (binding.kind == CMIDIControlMapperView::Kind::TrackEffect && mapper.Effects()->count() == 0) continue;
            mapper.KindButton(binding.kind)->click();
            mapper.Field("Channel")->setText(binding.channel);
            mapper.Field("Control Number")->setText(binding.control);
            mapper.Field(binding.field)->setText(binding.value);
            mapper.Button("Add")->click();
        }
        Save(&mapper, "MIDI Control Mapper");
        mapper.reject();
    }

    struct Crossfade {
        int32_t track;
        int32_t start;
        int32_t end;
    };

    // The Mixing Helper on the crossfade's two segments, the cursors lined up
    // half-way into it; nothing is mixed.
    void MixingHelper(SetEditorState& state, const Crossfade& crossfade) {
        CVantorApp& app = m_workstation.App();
        SegmentAt second{crossfade.track, state.EventAt(crossfade.track, crossfade.start)};
        SegmentAt first{};
        for (int32_t t = 1; t < state.GetTrackCount() && !first.event; ++t)
            if (t != crossfade.track)
                if (CEvent* under = state.EventAt(t, crossfade.start); under && under->GetSegment())
                    first = SegmentAt{t, under};
        if (!first.event || !second.event) {
            m_failures.push_back("Mixing Helper: no two segments");
            return;
        }
        CMixingHelperView helper(app.UserInterface(), app.Database(), state, first, second,
                                 [](const MixingFields&) { return std::optional<int32_t>(); });
        if (!helper.Open()) {
            m_failures.push_back("Mixing Helper: did not open");
            return;
        }
        MixingHelperWindow window(helper, &m_workstation.Main());
        window.show();
        Settle();
        const double rate = state.GetSampleRate();
        const double into = (crossfade.end - crossfade.start) / 2.0 / rate;
        const CSegment& one = *first.event->GetSegment()->GetSegment();
        const CSegment& two = *second.event->GetSegment()->GetSegment();
        helper.SetCursor(0, (one.GetRatio() * one.GetStart() + crossfade.start - first.event->GetPosition()) / rate + into);
        helper.SetCursor(1, two.GetRatio() * two.GetStart() / rate + into);
        window.update();
        Save(&window, "Mixing Helper");
        helper.Show();
        window.update();
        Save(&window, "Mixing Helper (lined up)");
        helper.Cancel();
    }
    // The first span where segments of two tracks sound together; track is
    // the one whose segment starts there.
    static std::optional<Crossfade> FirstCrossfade(const SetEditorState& state) {
        std::optional<Crossfade> best;
        for (int32_t t = 1; t < state.GetTrackCount(); ++t)
            for (auto* n = state.GetTrack(t)->GetEvents().GetHead(); n; n = n->GetNext()) {
                const CEvent& event = *n->GetItem();
                if (!event.GetSegment()) continue;
                const int32_t start = event.GetPosition();
                const int32_t end = start + event.GetSegment()->GetSegment()->GetTimelineLength();
                for (int32_t other = 1; other < state.GetTrackCount(); ++other) {
                    if (other == t) continue;
                    const CEvent* under = state.EventAt(other, start);
                    if (!under || !under->GetSegment() || under->GetPosition() >= start) continue;
                    const int32_t underEnd = under->GetPosition() + under->GetSegment()->GetSegment()->GetTimelineLength();
                    const Crossfade found{t, start, std::min(end, underEnd)};
                    if (found.end > found.start && (!best || found.start < best->start)) best = found;
                }
            }
        return best;
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

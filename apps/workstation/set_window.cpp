#include "set_window.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QPushButton>
#include <algorithm>
#include <QVBoxLayout>
#include <cstdio>

#include "apply_effects_window.h"
#include "check_set_window.h"
#include "create_mixing_design_window.h"
#include "fade_tempo_window.h"
#include "insert_segment_window.h"
#include "mixing_helper_window.h"
#include "mixdown_window.h"
#include "mixer_board_window.h"
#include "model/set_clipboard.h"
#include "model/track.h"
#include "platform/clipboard.h"
#include "segment_designer_window.h"
#include "select_mixing_design_window.h"
#include "single_segment_editor_window.h"
#include "track_effects_window.h"

namespace vantor::gui {

namespace {
bool ClipboardHasSetData() {
    Clipboard& clipboard = Clipboard::Instance();
    for (const char* format : {kSegmentDesignFormat, kSetClipFormat}) {
        const uint32_t id = clipboard.FindFormat(format);
        if (id != 0 && clipboard.GetData(id)) return true;
    }
    return false;
}
}  // namespace

SetWindow::SetWindow(CVantorApp& app, std::shared_ptr<CSetDocument> document)
    : m_app(app), m_document(std::move(document)) {
    m_view = std::make_unique<CMusicSetView>(app.UserInterface(), &app.Database(), m_document->GetSet(),
                                             m_document->GetPath(), app.Configuration());
    m_view->ConfigureAudio(app.MakeSetAudioSetup());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* bar = new QMenuBar;
    layout->setMenuBar(bar);

    m_timeline = new SetTimelineWidget(*m_view, &app.Database(), &app.Effects());
    // Rows that do not fit scroll up and down under the ruler by the bar
    // beside them; the timeline scrolls across by the bar below.
    auto* rows = new QHBoxLayout;
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    rows->addWidget(m_timeline, 1);
    m_rowBar = new QScrollBar(Qt::Vertical);
    rows->addWidget(m_rowBar);
    layout->addLayout(rows, 1);
    m_scroll = new QScrollBar(Qt::Horizontal);
    layout->addWidget(m_scroll);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(6, 0, 6, 4);
    m_status = new QLabel;
    row->addWidget(m_status, 1);
    for (auto [text, run] : std::initializer_list<std::pair<const char*, std::function<void()>>>{
             {"Zoom In", [this] { m_timeline->ZoomIn(); }},
             {"Zoom Out", [this] { m_timeline->ZoomOut(); }},
             {"Whole Set", [this] { m_timeline->ShowWhole(); }}}) {
        auto* button = new QPushButton(text);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [run = run] { run(); });
        row->addWidget(button);
    }
    layout->addLayout(row);

    BuildMenus(bar);
    ConnectRunners();
    m_timeline->onChanged = [this] { AfterChange(); };
    m_timeline->onContextMenu = [this](const QPoint& global) { SegmentMenu(global); };
    m_timeline->onSegmentDoubleClicked = [this] { SegmentProperties(); };
    m_timeline->onViewMoved = [this] {
        UpdateScrollBars();
        UpdateStatus();
    };
    connect(m_rowBar, &QScrollBar::valueChanged, this, [this](int value) { m_timeline->ScrollRowsTo(value); });
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        // The bar counts tenths of the visible width.
        m_timeline->ScrollTo(value * m_timeline->VisibleSeconds() / 10);
    });
    m_cursorTimer.setInterval(SetAudio::kCursorMilliseconds);
    connect(&m_cursorTimer, &QTimer::timeout, this, [this] { TickCursor(); });

    setWindowTitle(QString::fromStdString(m_document->GetTitle()));
    resize(1000, std::min(620, m_timeline->sizeHint().height() + 90));
    if (auto connection = app.TakeConnection()) TakeConnection(*connection);
    UpdateCommands();
    UpdateStatus();
}

SetWindow::~SetWindow() {
    m_cursorTimer.stop();
    // The segment editors work on this editor's view, which goes with it.
    const Notification closing{kSetClosing, std::any(), std::any(&m_view->GetSet())};
    for (IRegistryWindow* window : m_app.Registry().GetWindows(WindowKind::SingleSegmentEditor))
        m_app.Registry().Send(*window, closing);
}

QAction* SetWindow::Add(QMenu* menu, const QString& text, const QKeySequence& shortcut, std::function<void()> run) {
    QAction* action = menu->addAction(text);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        // Several set editors may be open: the keys reach the one with the focus.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
    }
    connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    QString key = text;
    key.remove('&');
    key.remove("...");
    m_commands[key] = action;
    return action;
}

QAction* SetWindow::Command(const QString& name) const {
    auto found = m_commands.find(name);
    return found == m_commands.end() ? nullptr : found->second;
}

void SetWindow::BuildMenus(QMenuBar* bar) {
    CMusicSetView& v = *m_view;
    QMenu* file = bar->addMenu("&File");
    Add(file, "&Save", QKeySequence::Save, [this] {
        if (m_document->Save()) {
            m_view->SetPath(m_document->GetPath());
            setWindowTitle(QString::fromStdString(m_document->GetTitle()));
        }
    });
    Add(file, "Save &As...", {}, [this] {
        if (m_document->SaveAs()) {
            m_view->SetPath(m_document->GetPath());
            setWindowTitle(QString::fromStdString(m_document->GetTitle()));
        }
    });
    Add(file, "&Mixdown...", {}, [this] { Mixdown(); });

    QMenu* edit = bar->addMenu("&Edit");
    Add(edit, "&Undo", QKeySequence::Undo, [this, &v] { Run([&v] { v.Undo(); }); });
    edit->addSeparator();
    Add(edit, "Cu&t", QKeySequence::Cut, [this, &v] { Run([&v] { v.Cut(); }); });
    Add(edit, "&Copy", QKeySequence::Copy, [this, &v] { Run([&v] { v.Copy(); }); });
    Add(edit, "&Paste", QKeySequence::Paste, [this, &v] { Run([&v] { v.Paste(); }); });
    Add(edit, "&Erase", QKeySequence::Delete, [this, &v] { Run([&v] { v.Erase(); }); });
    edit->addSeparator();
    Add(edit, "Copy Section", {}, [this, &v] { Run([&v] { v.CopySection(); }); });
    Add(edit, "Cut Section", {}, [this, &v] { Run([&v] { v.CutSection(); }); });
    Add(edit, "Paste Section", {}, [this, &v] { Run([&v] { v.PasteSection(); }); });
    Add(edit, "Erase Section", {}, [this, &v] { Run([&v] { v.EraseSection(); }); });
    Add(edit, "Insert Blank Space", {}, [this, &v] { Run([&v] { v.InsertBlankSpace(); }); });
    edit->addSeparator();
    Add(edit, "Commit Changes", QKeySequence("Ctrl+Return"), [this, &v] { Run([&v] { v.CommitChanges(); }); });
    Add(edit, "Revert Changes", {}, [this, &v] { Run([&v] { v.RevertChanges(); }); });
    connect(edit, &QMenu::aboutToShow, this, [this] { UpdateCommands(); });

    QMenu* segment = bar->addMenu("&Segment");
    Add(segment, "&Edit Segment", {}, [this, &v] { Run([&v] { v.EditSegment(); }); });
    Add(segment, "&Split Segment", QKeySequence("S"), [this, &v] { Run([&v] { v.SplitSegment(); }); });
    Add(segment, "Copy To Profile", {}, [this, &v] { Run([&v] { v.CopyToProfile(); }); });
    Add(segment, "Segment Properties...", {}, [this] { SegmentProperties(); });
    segment->addSeparator();
    Add(segment, "Make Mix Suggestion", {}, [this] { MakeMixSuggestion(); });
    Add(segment, "Create Mix Design", {}, [this, &v] { Run([this, &v] { v.CreateMixDesign(m_createDesign); }); });
    Add(segment, "Apply Design", {}, [this, &v] { Run([this, &v] { v.ApplyDesign(m_selectDesign); }); });
    segment->addSeparator();
    Add(segment, "&Add Effect...", QKeySequence("E"), [this, &v] { Run([&v] { v.AddEffect(); }); });
    for (int slot = 0; slot < CApplyEffectsDialog::kQuickPresets; ++slot)
        Add(segment, QString("Preset %1").arg(slot + 1), QKeySequence(QString("Ctrl+%1").arg(slot + 1)),
            [this, &v, slot] { Run([&v, slot] { v.QuickPreset(slot); }); });
    Add(segment, "Track Effects...", {}, [this] { TrackEffects(); });
    segment->addSeparator();
    Add(segment, "Tempo List", {}, [this, &v] { OpenEventEditor(v.TempoList()); });
    Add(segment, "Track List", {}, [this, &v] { OpenEventEditor(v.TrackList()); });
    Add(segment, "Check Set...", {}, [this] { CheckSet(); });
    segment->addSeparator();
    Add(segment, "Split Tempo", {}, [this, &v] { Run([&v] { v.SplitTempo(); }); });
    Add(segment, "Fade Tempo...", {}, [this, &v] { Run([&v] { v.FadeTempo(); }); });
    Add(segment, "Adjust to Tempo", {}, [this, &v] { Run([&v] { v.AdjustToTempo(); }); });
    Add(segment, "Adjust All (to tempo)", {}, [this, &v] { Run([&v] { v.AdjustAll(); }); });
    QMenu* nudge = segment->addMenu("Nudge Speed");
    static const char* kNudges[] = {"-0.01", "-0.005", "-0.002", "-0.001", "+0.001", "+0.002", "+0.005", "+0.01"};
    for (int i = 0; i < 8; ++i)
        Add(nudge, QString("Nudge %1").arg(kNudges[i]), {}, [this, &v, i] { Run([&v, i] { v.NudgeSpeed(i); }); });
    segment->addSeparator();
    auto* grid = new QActionGroup(this);
    const std::pair<const char*, double> snaps[] = {{"Align to Bar", 1.0},
                                                    {"Align to Half Note", 0.5},
                                                    {"Align to Quarter Note", 0.25},
                                                    {"Align to Eighth Note", 0.125},
                                                    {"Align to Sixteenth Note", 0.0625},
                                                    {"Disable Auto-Align", SnapGrid::kOff}};
    for (const auto& [text, fraction] : snaps) {
        QAction* action = Add(segment, text, {}, [this, &v, fraction = fraction] {
            v.SetSnapGrid(fraction);
            UpdateCommands();
            UpdateStatus();
        });
        action->setCheckable(true);
        grid->addAction(action);
        m_snapActions[action] = fraction;
    }
    connect(segment, &QMenu::aboutToShow, this, [this] { UpdateCommands(); });

    QMenu* audio = bar->addMenu("&Audio");
    Add(audio, "Set Start", QKeySequence("Space"), [this] { StartSet(StartPoint::Beginning); });
    Add(audio, "Set Start at Left Marker", QKeySequence("Ctrl+Space"), [this] { StartSet(StartPoint::LeftMarker); });
    Add(audio, "Set Start at Right Marker", {}, [this] { StartSet(StartPoint::RightMarker); });
    Add(audio, "Stop", QKeySequence("Esc"), [this] { StopSet(); });
    Add(audio, "Mixer Board...", {}, [this] { OpenMixerBoard(); });
    audio->addSeparator();
    Add(audio, "Set Loop", QKeySequence("L"), [this, &v] { Run([&v] { v.SetLoop(); }); });
    connect(audio, &QMenu::aboutToShow, this, [this] { UpdateCommands(); });
}

void SetWindow::ConnectRunners() {
    CMusicSetView& v = *m_view;
    v.SetInsertSegmentRunner([this](CInsertSegmentDialog& dialog) {
        InsertSegmentWindow window(dialog, this);
        return window.exec() == QDialog::Accepted;
    });
    // "Mix into:" opens the Mixing Helper, which auditions on a player of its own.
    CMixingHelperView::Connect(
        v, m_app.UserInterface(), m_app.Database(),
        [this](CMixingHelperView& helper) {
            MixingHelperWindow window(helper, this);
            window.exec();
        },
        CMixingHelperView::Audition{&m_auditionPlayer, &m_app.Effects(),
                                    m_app.Configuration().GetAuditionOutputDeviceId()});
    // Edit Segment opens the segment designer on the current segment.
    CSegmentDesignerView::Connect(v, m_app.UserInterface(), m_app.Database(), m_app.Configuration(),
                                  &m_app.Effects(), [this](CSegmentDesignerView& designer) {
                                      SegmentDesignerWindow window(designer, this);
                                      window.exec();
                                  });
    v.SetFadeTempoRunner([this](CFadeTempoDialog& dialog) {
        FadeTempoWindow window(dialog, this);
        return window.exec() == QDialog::Accepted;
    });
    v.SetApplyEffects(&m_app.Effects(), &m_app.Configuration(), [this](CApplyEffectsDialog& dialog) {
        ApplyEffectsWindow window(dialog, &m_app.Effects(), m_view->GetState().GetSampleRate(), this);
        return window.exec() == QDialog::Accepted;
    });
    m_createDesign = [this](CCreateMixingDesignDialog& dialog) {
        CreateMixingDesignWindow window(dialog, this);
        return window.exec() == QDialog::Accepted;
    };
    m_selectDesign = [this](CSelectMixingDesignDialog& dialog) {
        SelectMixingDesignWindow window(dialog, this);
        return window.exec() == QDialog::Accepted;
    };
    v.SetTrackChangedListener([this](CTrack* track) {
        m_app.Registry().Broadcast(WindowKind::MusicSet, Notification{kTrackChanged, std::any(track), std::any()});
    });
}

void SetWindow::Run(const std::function<void()>& command) {
    command();
    AfterChange();
}

void SetWindow::AfterChange() {
    m_timeline->RepaintChanges();
    // Check Set may have moved the view.
    UpdateScrollBars();
    UpdateCommands();
    UpdateStatus();
}

void SetWindow::UpdateCommands() {
    const SetEditorState& state = m_view->GetState();
    const bool history = m_view->CanUndo();
    const int32_t audio = state.FirstAudioTrackWithSelection();
    CEvent* current = audio == SetEditorState::kNoTrack ? nullptr : state.GetCurrentEvent(audio);
    const bool segment = current && current->GetSegment();
    auto enable = [this](const char* name, bool on) {
        if (QAction* action = Command(name)) action->setEnabled(on);
    };
    enable("Undo", history);
    enable("Commit Changes", history);
    enable("Revert Changes", history);
    enable("Cut", audio != SetEditorState::kNoTrack);
    enable("Copy", audio != SetEditorState::kNoTrack);
    enable("Erase", audio != SetEditorState::kNoTrack);
    enable("Paste", ClipboardHasSetData());
    enable("Paste Section", ClipboardHasSetData());
    enable("Edit Segment", segment);
    enable("Split Segment", segment);
    enable("Copy To Profile", segment);
    enable("Segment Properties", segment);
    enable("Make Mix Suggestion", segment);
    enable("Apply Design", audio != SetEditorState::kNoTrack);
    enable("Track List", state.IsAudioTrack(state.GetSelectedTrack()));
    enable("Track Effects", state.IsAudioTrack(state.GetSelectedTrack()));
    for (int slot = 0; slot < CApplyEffectsDialog::kQuickPresets; ++slot)
        enable(QString("Preset %1").arg(slot + 1).toUtf8().constData(), m_view->IsQuickPresetEnabled(slot));
    enable("Set Start", m_view->IsSetStartEnabled());
    enable("Set Start at Left Marker", m_view->IsSetStartEnabled());
    enable("Set Start at Right Marker", m_view->IsSetStartEnabled());
    enable("Stop", m_view->IsStopEnabled());
    enable("Mixer Board", m_view->IsStopEnabled());
    const double fraction = state.GetSnapGrid().IsOff() ? SnapGrid::kOff : state.GetSnapGrid().GetFraction();
    for (auto& [action, value] : m_snapActions) action->setChecked(value == fraction);
}

void SetWindow::UpdateStatus() {
    const SetEditorState& state = m_view->GetState();
    char text[200];
    std::snprintf(text, sizeof text, "Left %.3f s   Right %.3f s   Tempo %.2f   Grid %s", state.GetLeftMarker(),
                  state.GetRightMarker(), m_view->GetTempoDisplay(),
                  state.GetSnapGrid().IsOff() ? "off" : QString::number(state.GetSnapGrid().GetFraction()).toUtf8().constData());
    m_status->setText(text);
}

void SetWindow::UpdateScrollBars() {
    const QSignalBlocker block(m_scroll);
    const double page = std::max(1e-6, m_timeline->VisibleSeconds() / 10);
    const double last = std::max(0.0, m_timeline->SetSeconds() - m_timeline->VisibleSeconds() * 0.5);
    m_scroll->setRange(0, static_cast<int>(std::min(1e9, last / page)));
    m_scroll->setPageStep(10);
    m_scroll->setValue(static_cast<int>(std::min(1e9, m_view->GetViewStartTime() / page)));
    const QSignalBlocker blockRows(m_rowBar);
    const int range = m_timeline->RowScrollRange();
    m_rowBar->setRange(0, range);
    m_rowBar->setPageStep(std::max(1, m_timeline->height() - TimelineRenderer::kRulerHeight));
    m_rowBar->setSingleStep(TimelineRenderer::kAudioRowHeight / 2);
    m_rowBar->setValue(m_timeline->RowScroll());
    m_rowBar->setVisible(range > 0);
}

bool SetWindow::StartSet(StartPoint from, const DeviceId* device) {
    SetAudioSetup setup = m_app.MakeSetAudioSetup();
    if (device)
        setup.opener = [chosen = *device](const DeviceId*) { return OpenAudioDevice(&chosen); };
    m_view->ConfigureAudio(std::move(setup));
    const bool started = m_view->SetStart(from == StartPoint::LeftMarker    ? CMusicSetView::StartPoint::LeftMarker
                                          : from == StartPoint::RightMarker ? CMusicSetView::StartPoint::RightMarker
                                                                            : CMusicSetView::StartPoint::Beginning);
    AfterChange();
    if (started) m_cursorTimer.start();
    return started;
}

void SetWindow::StopSet(bool ask) {
    if (!IsPlaying()) return;
    if (ask) {
        if (!m_view->StopSet()) return;
    } else {
        m_view->GetAudio().StopNow();
    }
    m_cursorTimer.stop();
    m_timeline->SetPlayCursor(-1);
    UpdateCommands();
}

void SetWindow::TakeConnection(const ServerConnection& connection) {
    m_view->TakeConnection(connection);
    m_cursorTimer.start();
    AfterChange();
}

MixerBoardWindow* SetWindow::OpenMixerBoard() {
    if (!IsPlaying()) return nullptr;
    // The tempo track is no stream of its own.
    const int32_t tracks = std::max(0, m_view->GetState().GetSet().GetTracks().GetCount() - 1);
    auto* board = new MixerBoardWindow(m_view->GetAudio(), tracks, this);
    board->setAttribute(Qt::WA_DeleteOnClose);
    board->show();
    return board;
}

void SetWindow::TickCursor() {
    if (!IsPlaying()) {
        m_cursorTimer.stop();
        m_timeline->SetPlayCursor(-1);
        UpdateCommands();
        return;
    }
    if (auto seconds = m_view->GetPlayCursor()) m_timeline->SetPlayCursor(*seconds);
}

MixdownWindow* SetWindow::Mixdown(const std::string& wavePath) {
    auto range = m_view->MixdownRange();
    if (!range) return nullptr;
    if (m_document->GetPath().empty() || m_document->GetSet()->IsModified()) {
        if (!m_document->Save()) return nullptr;
        m_view->SetPath(m_document->GetPath());
        setWindowTitle(QString::fromStdString(m_document->GetTitle()));
    }
    QWidget* parent = window();
    MixdownWindow* mixdown =
        wavePath.empty()
            ? MixdownWindow::Start(m_app, m_document->GetPath(), static_cast<uint32_t>(range->start),
                                   static_cast<uint32_t>(range->end), parent)
            : MixdownWindow::Start(m_app, m_document->GetPath(), wavePath, static_cast<uint32_t>(range->start),
                                   static_cast<uint32_t>(range->end), parent);
    if (mixdown) mixdown->show();
    return mixdown;
}

void SetWindow::OpenEventEditor(const std::optional<EventEditorParameters>& parameters) {
    if (!parameters) return;
    m_app.Registry().Open(WindowKind::EventEditor, *parameters, false);
}

void SetWindow::TrackEffects() {
    CTrack* track = m_view->GetState().GetTrack(m_view->GetState().GetSelectedTrack());
    if (!track || !m_view->GetState().IsAudioTrack(m_view->GetState().GetSelectedTrack())) return;
    TrackEffectsWindow window(m_app, track, this);
    if (window.exec() == QDialog::Accepted) {
        m_view->OnTrackChanged(track);
        AfterChange();
    }
}

void SetWindow::CheckSet() {
    CheckSetReport report = m_view->CheckSet();
    AfterChange();
    CheckSetWindow window(report, this);
    if (window.exec() == QDialog::Accepted && window.Chosen()) {
        m_view->GoToCheckRow(*window.Chosen());
        m_timeline->ScrollTo(m_view->GetViewStartTime());
        AfterChange();
    }
}

void SetWindow::SegmentMenu(const QPoint& global) {
    UpdateCommands();
    QMenu menu(this);
    for (const char* name : {"Make Mix Suggestion", "Create Mix Design", "Apply Design", "Copy To Profile", "Edit Segment"})
        menu.addAction(Command(name));
    menu.exec(global);
}

void SetWindow::SegmentProperties() {
    auto request = m_view->CurrentSegment();
    if (!request) return;
    m_app.Registry().Open(WindowKind::SingleSegmentEditor, SingleSegmentEditorParameters{*request, m_view.get()}, false);
}

void SetWindow::MakeMixSuggestion() {
    std::vector<std::string> keys = m_view->MakeMixSuggestion();
    if (!keys.empty()) m_app.ShowKeys(std::move(keys));
}

void SetWindow::OnNotification(const Notification& notification) {
    if (notification.message == kTrackChanged) {
        if (const auto* track = std::any_cast<CTrack*>(&notification.first)) {
            m_view->OnTrackChanged(*track);
            AfterChange();
        }
    } else if (notification.message == kDropDesign) {
        const auto* drop = std::any_cast<DropRecord>(&notification.first);
        if (!drop || !drop->design) return;
        m_timeline->DropDesign(*drop->design, m_timeline->mapFromGlobal(QPoint(drop->x, drop->y)));
    } else if (notification.message == kSongSaved) {
        m_timeline->Waveforms().Clear();
        m_timeline->update();
    }
}

bool SetWindow::QueryClose() {
    if (!m_document->Close()) return false;
    // A local player stops with its editor; the sound server plays on.
    if (m_view->GetAudio().GetPlayer()) StopSet(false);
    return true;
}

}  // namespace vantor::gui

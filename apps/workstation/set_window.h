#pragma once

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QTimer>
#include <map>
#include <memory>

#include "engine/set_player.h"
#include "set_timeline_widget.h"
#include "shell/vantor_app.h"
#include "views/music_set_view.h"
#include "views/set_document.h"
#include "window_content.h"

namespace vantor::gui {

class MixdownWindow;
class MixerBoardWindow;

// The set editor: the timeline of one set with the File, Edit, Segment and
// Audio menus of its view. Every command goes to the view; the window then
// repaints the rows the view names and sets each command's enabling. The set
// plays through the view's set audio, here or on the sound server as the
// configuration says, with the play cursor read every 30 ms. Closing asks to
// save a changed set.
class SetWindow : public WindowContent {
public:
    enum class StartPoint { Beginning, LeftMarker, RightMarker };

    SetWindow(CVantorApp& app, std::shared_ptr<CSetDocument> document);
    ~SetWindow() override;

    CSetDocument& Document() { return *m_document; }
    CMusicSetView& View() { return *m_view; }
    SetTimelineWidget* Timeline() const { return m_timeline; }
    // Menu commands by their text without '&' and "...", as the menus show them.
    QAction* Command(const QString& name) const;
    bool QueryClose() override;
    void OnNotification(const Notification& notification) override;

    // Audio: the set from a start point on the configured set output, or
    // (when it plays here) on the device given; false when it could not start.
    bool StartSet(StartPoint from, const DeviceId* device = nullptr);
    // Stops the set; asks first unless told not to.
    void StopSet(bool ask = true);
    bool IsPlaying() { return m_view->GetAudio().IsPlaying(); }
    // The editor opened on what "Connect" brought back plays on its link.
    void TakeConnection(const ServerConnection& connection);
    // The mixer board of the playing set, shown; null while nothing plays.
    MixerBoardWindow* OpenMixerBoard();
    // Renders the markers' range of the saved set to a wave file (asked for
    // when none is given); the running mixdown's window, or null.
    MixdownWindow* Mixdown(const std::string& wavePath = {});
    // Each command's enabling from the view's state.
    void UpdateCommands();
    // After the view changed outside the window's own commands: repaints
    // what changed, the enabling and the status line.
    void AfterChange();

private:
    void BuildMenus(QMenuBar* bar);
    QAction* Add(QMenu* menu, const QString& text, const QKeySequence& shortcut, std::function<void()> run);
    // Runs a command of the view, then repaints what it changed.
    void Run(const std::function<void()>& command);
    void UpdateStatus();
    void UpdateScrollBars();
    void TickCursor();
    void ConnectRunners();
    void OpenEventEditor(const std::optional<EventEditorParameters>& parameters);
    void TrackEffects();
    void CheckSet();
    // The menu of a segment under a right click, at a point of the screen.
    void SegmentMenu(const QPoint& global);
    // Opens the editor of the current segment.
    void SegmentProperties();
    // The songs that fit the current segment, shown in the music database.
    void MakeMixSuggestion();

    CVantorApp& m_app;
    std::shared_ptr<CSetDocument> m_document;
    std::unique_ptr<CMusicSetView> m_view;
    SetTimelineWidget* m_timeline = nullptr;
    QScrollBar* m_scroll = nullptr;
    QScrollBar* m_rowBar = nullptr;
    QLabel* m_status = nullptr;
    std::map<QString, QAction*> m_commands;
    std::map<QAction*, double> m_snapActions;
    // The Mixing Helper's audition.
    CSetPlayer m_auditionPlayer;
    QTimer m_cursorTimer;
    CMusicSetView::CreateDesignRunner m_createDesign;
    CMusicSetView::SelectDesignRunner m_selectDesign;
};

}  // namespace vantor::gui

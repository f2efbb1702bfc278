#pragma once

#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "editing/event_drag.h"
#include "editing/mixing_wizard.h"
#include "editing/segment_drop.h"
#include "editing/set_check.h"
#include "editing/set_edit_commands.h"
#include "editing/section_commands.h"
#include "editing/set_editor_state.h"
#include "platform/user_interface.h"
#include "views/apply_effects_dialog.h"
#include "views/create_mixing_design_dialog.h"
#include "views/event_editor_view.h"
#include "views/fade_tempo_dialog.h"
#include "views/insert_segment_dialog.h"
#include "views/select_mixing_design_dialog.h"
#include "views/set_audio.h"

namespace vantor {

class CEffectManagerImpl;
class CMusicDatabase;
class CSetPlayer;

// How the timeline is laid out on the screen when the mouse acts on it.
struct TimelineGeometry {
    double startTime = 0.0;         // seconds at the left edge of the track area
    double secondsPerPixel = 0.01;
    int trackAreaLeft = 0;
    int trackAreaTop = 0;
    std::vector<int> rowHeights;    // one per track row, the tempo track's first
    int rowScroll = 0;              // pixels the rows are scrolled up under the ruler

    // The row under y; -1 above the track area or below the last row.
    int RowAt(int y) const;
    int RowTop(int row) const;
    // Seconds at x: start time + (x - left edge) x seconds per pixel.
    double TimeAt(int x) const;
    int XAt(double seconds) const;
};

// What Edit Segment hands the segment designer.
struct EditSegmentRequest {
    CEvent* event = nullptr;
    CTrack* track = nullptr;
    int32_t trackIndex = 0;
    CSetHistory* history = nullptr;
    // The time in the song at the left marker: ratio x start / sample rate +
    // (left marker - position / sample rate), never below 0.
    double songTime = 0.0;
};

// What Check Set shows: the title "Check Set - <path>" and the rows under the
// columns "Filename", "Track/Pos" and "Problem".
struct CheckSetReport {
    std::string title;
    std::vector<CheckSetRow> rows;
};

// The set editor without its window: the editing state of one open set and
// one operation per command of its menus, the drop of a segment design on a
// track, and the mouse in the track rows. Questions and messages go through
// the user interface; other windows are reached through listeners the window
// registry connects.
class CMusicSetView {
public:
    // The "Mixing Helper" of the mixing tools: given the segment chosen under
    // "Mix into:" and the one just inserted, the mixing point at which the
    // chosen one is split, or nothing when the user cancelled.
    using MixingHelper = std::function<std::optional<int32_t>(const SegmentAt& chosen, const SegmentAt& inserted)>;
    // Runs the "Insert Segment" dialog; false when it was cancelled.
    using InsertSegmentRunner = std::function<bool(CInsertSegmentDialog&)>;
    // Runs the "Fade Tempo" dialog; false when it was cancelled.
    using FadeTempoRunner = std::function<bool(CFadeTempoDialog&)>;
    // Runs the opened "Apply Effects" dialog up to OK (true) or Cancel.
    using ApplyEffectsRunner = std::function<bool(CApplyEffectsDialog&)>;
    // Sends the history to the sound server; false when the send failed.
    using ServerLink = std::function<bool(const CSetHistory&)>;

    CMusicSetView(IUserInterface& ui, CMusicDatabase* database, CMusicSet* set, std::string path,
                  const CConfiguration& config, double leftMarker = 0.0, double rightMarker = 0.0);
    ~CMusicSetView();
    CMusicSetView(const CMusicSetView&) = delete;
    CMusicSetView& operator=(const CMusicSetView&) = delete;

    SetEditorState& GetState() { return m_state; }
    CMusicSet& GetSet() const { return m_state.GetSet(); }
    const std::string& GetPath() const { return m_path; }
    void SetPath(std::string path) { m_path = std::move(path); }

    // Edit menu.
    void Copy();
    void Cut();
    // The clipboard's segment design into the selected track at the left
    // marker; a set section when it holds none.
    void Paste();
    void Erase();
    // Hands the current segment to the segment designer; nothing when no
    // audio segment is current.
    std::optional<EditSegmentRequest> EditSegment();
    // What Edit Segment hands over, without opening the designer: for the
    // editor of a single segment.
    std::optional<EditSegmentRequest> CurrentSegment();
    // The designer's changed design for the event it was given.
    bool ReplaceSegment(const EditSegmentRequest& request, const CSegmentDesign& design);
    bool SplitSegment();
    // The Add Effect checks, then the "Apply Effects" dialog on the selected
    // track between the markers; true when OK applied it.
    bool AddEffect();
    // The quick preset commands 1 to 6 (slot 0 to 5): the profile preset
    // named in the slot over the selected track between the markers, with
    // the checks of Add Effect. Enabled only while the slot holds a name; a
    // name not among the presets applies nothing.
    bool IsQuickPresetEnabled(int slot) const;
    bool QuickPreset(int slot);
    // The profile preset of the name over the selected track between the
    // markers, as the effects dialog constructed with a name applies it.
    bool ApplyEffectPreset(const std::string& name);
    bool CopyToProfile();
    // "Make Mix Suggestion": the keys of the songs that fit the current
    // segment of the first audio track with a selection, in title order;
    // empty without such a segment or when its song has no profile.
    std::vector<std::string> MakeMixSuggestion();
    // The mixing wizard's OK on two segments: the fades are the presets of
    // the effects dialog. The mixing point (or -1), or nothing when the user
    // was told why the mix was refused.
    std::optional<int32_t> MixSegments(const SegmentAt& first, const SegmentAt& second, const MixingFields& fields);
    // "Apply Design" on the one selected segment: the chooser gets the
    // "Select Mixing Design" list ("%s (Within)", then "%s (Mix out)") and
    // returns the chosen row, or -1 to cancel. True when the design was applied.
    using DesignChooser = std::function<int(const std::string& title, const std::vector<std::string>& designs)>;
    bool ApplyDesign(const DesignChooser& choose);
    // The same with the "Select Mixing Design" dialog, which the runner runs
    // to OK (true) or Cancel.
    using SelectDesignRunner = std::function<bool(CSelectMixingDesignDialog&)>;
    bool ApplyDesign(const SelectDesignRunner& run);
    // "Create Mix Design" between the markers. The chooser gets the primary
    // candidates ("Track %u: %s") and returns the chosen row, or -1 to cancel.
    bool CreateMixDesign(const std::string& name, bool mixOut,
                         const std::function<int(const std::vector<std::string>& candidates)>& choose);
    // The same with the "Create Mixing Design" dialog, which the runner runs
    // until its OK was accepted (true) or it was cancelled.
    using CreateDesignRunner = std::function<bool(CCreateMixingDesignDialog&)>;
    bool CreateMixDesign(const CreateDesignRunner& run);
    CheckSetReport CheckSet();
    // A confirmed Check Set row: the track (above 0) becomes the selected
    // track and the view scrolls to the position.
    void GoToCheckRow(const CheckSetRow& row);

    // Section and tempo commands; each returns false when it was refused
    // (the user has been told why) or cancelled.
    bool SplitTempo();
    bool InsertBlankSpace();
    bool EraseSection();
    bool CopySection();
    bool CutSection();
    bool PasteSection();
    bool FadeTempo();
    bool AdjustToTempo();
    bool AdjustAll();
    // Nudge 0 to 7: the steps -0.01 ... +0.01 of SetSectionCommands.
    bool NudgeSpeed(int nudge);
    // The tempo the editor shows: the current tempo change's, else the tempo
    // at the left marker.
    double GetTempoDisplay() const;

    bool CanUndo() const { return m_state.GetHistory().HasRecords(); }
    bool Undo();
    bool RevertChanges();
    // Hands the history to the local player or the sound server, then commits
    // it. False when nothing was committed.
    bool CommitChanges();

    // "Set Loop"
    bool SetLoop();
    // The frames "Mixdown" renders: from the left position to the right
    // position; nothing (the user has been told why) unless the right marker
    // lies after the left one.
    std::optional<LoopRange> MixdownRange();
    // The snap-grid commands.
    void AlignToBar() { SetSnapGrid(1.0); }
    void AlignToHalfNote() { SetSnapGrid(0.5); }
    void AlignToQuarterNote() { SetSnapGrid(0.25); }
    void AlignToEighthNote() { SetSnapGrid(0.125); }
    void AlignToSixteenthNote() { SetSnapGrid(0.0625); }
    void DisableAutoAlign() { SetSnapGrid(SnapGrid::kOff); }
    bool SetSnapGrid(double fraction) { return m_state.GetSnapGrid().SetFraction(fraction); }

    // What the event editor opens with: the tempo track, or the selected
    // audio track (nothing when none is selected).
    std::optional<EventEditorParameters> TempoList();
    std::optional<EventEditorParameters> TrackList();

    // A segment design dropped at (x, y). True when a segment was inserted.
    bool DropSegment(const CSegmentDesign& design, int x, int y, const TimelineGeometry& geometry);

    // The mouse in the track rows.
    void MousePress(int x, int y, const TimelineGeometry& geometry, bool ctrl);
    void MouseMove(int x, int y);
    void MouseRelease(int x, int y);
    bool IsDragging() const { return m_drag.IsActive(); }
    // What a press at (x, y) would take hold of, for the mouse cursor over
    // the rows: Start or End over a segment's edges, Tempo over a tempo
    // event's edge, Move inside a segment, None elsewhere.
    DragKind HitAt(int x, int y, const TimelineGeometry& geometry, bool ctrl) const;

    // Another window changed a track: its row repaints.
    void OnTrackChanged(const CTrack* track);
    // Rows to repaint since the last call.
    std::set<int32_t> TakeRepaintRows();
    // Told of every track a command of this view changed.
    void SetTrackChangedListener(std::function<void(CTrack*)> listener) { m_trackChanged = std::move(listener); }
    double GetViewStartTime() const { return m_viewStartTime; }
    // The window scrolled: seconds at the left edge of the track area, never
    // below 0.
    void SetViewStartTime(double seconds) { m_viewStartTime = std::isfinite(seconds) && seconds > 0 ? seconds : 0.0; }

    // The audio side and the other tools.
    void SetLocalPlayer(CSetPlayer* player) { m_player = player; }
    void SetServerLink(ServerLink link, std::chrono::milliseconds retryDelay = std::chrono::milliseconds(200)) {
        m_serverLink = std::move(link);
        m_retryDelay = retryDelay;
    }
    void SetInsertSegmentRunner(InsertSegmentRunner runner) { m_insertRunner = std::move(runner); }
    void SetFadeTempoRunner(FadeTempoRunner runner) { m_fadeRunner = std::move(runner); }
    void SetMixingHelper(MixingHelper helper) { m_mixingHelper = std::move(helper); }
    // The effect types and the configuration the "Apply Effects" dialog works
    // with (its preset buttons write the configuration), and who runs it.
    void SetApplyEffects(CEffectManagerImpl* effects, CConfiguration* config, ApplyEffectsRunner runner) {
        m_effects = effects;
        m_effectsConfig = config;
        m_applyEffectsRunner = std::move(runner);
    }
    void SetSegmentDesigner(std::function<void(const EditSegmentRequest&)> designer) { m_designer = std::move(designer); }

    // ---- Set audio: the set plays here or on the sound server ----
    enum class StartPoint { Beginning, LeftMarker, RightMarker };
    void ConfigureAudio(SetAudioSetup setup) { m_audio.Configure(std::move(setup)); }
    SetAudio& GetAudio() { return m_audio; }
    bool IsSetStartEnabled() const { return !m_audio.IsPlaying(); }
    bool IsStopEnabled() const { return m_audio.IsPlaying(); }
    // "Set Start" from the beginning, the left or the right marker, with the
    // loop. Uncommitted edits are committed first when the user agrees; on
    // Cancel nothing starts. False when nothing started.
    bool SetStart(StartPoint from);
    // "Stop" of the set audio, after "Are you sure?".
    bool StopSet();
    // Where the play cursor stands, in seconds; none while nothing plays or
    // when the server gave no answer.
    std::optional<double> GetPlayCursor();
    // An editor opened on what "Connect" brought back: its loop, and the
    // server's link as its own.
    void TakeConnection(const ServerConnection& connection);

private:
    void Show(const Status& status);
    // Runs a command's status through Show and Changed.
    bool Done(const Status& status);
    bool AskShiftLeft();
    // Collects the rows the last command touched and tells the listener.
    void Changed();
    void ApplyInsertChoice(const CInsertSegmentDialog& dialog, const SegmentAt& inserted);
    int32_t Tolerance(const TimelineGeometry& geometry) const;

    IUserInterface& m_ui;
    CMusicDatabase* m_database;
    const CConfiguration& m_config;
    std::string m_path;
    SetEditorState m_state;
    SetEditCommands m_commands;
    SetSectionCommands m_sections;
    EventDrag m_drag;
    std::set<int32_t> m_repaint;
    double m_viewStartTime = 0.0;
    std::function<void(CTrack*)> m_trackChanged;

    // The mouse between press and release.
    TimelineGeometry m_geometry;
    int m_pressX = 0;
    double m_edgeTimeAtPress = 0.0;
    bool m_dragMoved = false;

    CSetPlayer* m_player = nullptr;
    ServerLink m_serverLink;
    std::chrono::milliseconds m_retryDelay{200};
    InsertSegmentRunner m_insertRunner;
    FadeTempoRunner m_fadeRunner;
    MixingHelper m_mixingHelper;
    CEffectManagerImpl* m_effects = nullptr;
    CConfiguration* m_effectsConfig = nullptr;
    ApplyEffectsRunner m_applyEffectsRunner;
    std::function<void(const EditSegmentRequest&)> m_designer;
    SetAudio m_audio;
};

}  // namespace vantor

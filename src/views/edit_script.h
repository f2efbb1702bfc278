#pragma once

#include <deque>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/user_interface.h"
#include "views/event_editor_view.h"
#include "views/music_set_view.h"
#include "views/set_document.h"
#include "views/track_effects_dialog.h"

namespace vantor {

class CConfiguration;
class CEffectManagerImpl;
class CMusicDatabase;

// The editing language of `vantor edit`: one editor command per line, run
// against a set editor (CMusicSetView), an event editor and a track effects
// dialog on one open set, exactly as the mouse and menus of the editor
// would run them. Message boxes are written to the output; questions take
// the answers queued by `answer` lines, else the fallback user interface's.
//
// A line is words separated by blanks; "double quotes" keep blanks inside a
// word, # starts a comment. TIME is seconds ("12.5", "12.5s"); @TIME is a
// time on the timeline; TRACK is a track row (0 is the tempo track).
//
//   marker left|right TIME        place the left or right marker
//   track TRACK                   pick a track row without selecting an event
//   select TRACK @TIME [ctrl]     click into the row (Ctrl adds or removes)
//   deselect                      clear every selection
//   view START SECONDS_PER_PIXEL  the timeline the mouse works on
//                                 (default 0 and 0.01; rows are 20 pixels)
//   press TRACK @TIME [ctrl]      press the mouse in a row ...
//   move @TIME                    ... move it ...
//   release @TIME                 ... and release it
//   drag TRACK @TIME +T|-T|@TIME [ctrl]
//                                 press, move and release: the edge or body
//                                 pressed moves by T seconds (or to a time);
//                                 moves of 4 pixels or less are ignored
//   snap bar|half|quarter|eighth|sixteenth|off|FRACTION
//                                 the snap grid (Align to ..., Disable Auto-Align)
//   copy | cut | paste | erase    the selection and the clipboard
//   split                         Split Segment at the left marker
//   drop KEY TRACK @TIME [from=T] [to=T] [tempo=BPM] [name=TEXT]
//        [choice=resample|split-tempo|nothing|mix:N]
//                                 drop a section of a database song on a row;
//                                 the choice answers the Insert Segment dialog
//                                 (default: its own default)
//   edit                          Edit Segment: what the segment designer gets
//   replace [start=FRAME] [end=FRAME] [ratio=R] [tempo=BPM] [name=TEXT]
//                                 hand back a changed copy of the segment
//   add-effect                    the Add Effect checks
//   copy-to-profile               the current segment into its song's profile
//   check                         Check Set: its numbered rows
//   check goto ROW                go to a row of the last check
//   loop                          Set Loop
//   undo | revert | commit        the history
//   events TRACK | tempo-list | track-list
//                                 open the event editor (prints its rows)
//   event select ROW | event show
//   event update [start=N] [end=N] [name=TEXT] [tempo=BPM]
//   event delete | event clear
//   event scroll up|down|pageup|pagedown|top|bottom|ROW
//   track-effects TRACK           open the track effects dialog
//   track-effect add EFFECT PARAMETER | select ROW | slide STEPS
//              | position N | remove | list | ok | cancel
//   answer ok|cancel|yes|no       the answer to the next question
//   show | status                 the set's events; the editor's state
//   save [PATH]                   Save (Save As with a path)
//   quit                          close the set (asks to save when changed)
class EditScript {
public:
    EditScript(CMusicDatabase* database, CEffectManagerImpl* effects, const CConfiguration& config,
               IUserInterface& fallback, std::ostream& out, std::ostream& err);
    ~EditScript();
    EditScript(const EditScript&) = delete;
    EditScript& operator=(const EditScript&) = delete;

    // Opens the set file for editing; false (reported as the editor reports
    // it) when it cannot be read.
    bool Open(const std::string& path);
    // Runs lines until the input ends or `quit`; the set is closed at the
    // end. With a prompt, "edit> " is written before each line. False at
    // the first line that is not understood (reported on err with its
    // number); the set is then left open and unsaved.
    bool Run(std::istream& in, bool prompt = false);
    // One line; false when it is not understood.
    bool RunLine(const std::string& line);
    bool HasQuit() const { return m_quit; }
    CMusicSetView* View() { return m_view.get(); }

private:
    class Answers;
    using Words = std::vector<std::string>;
    using Handler = void (EditScript::*)(const Words&);

    void Marker(const Words& words);
    void Track(const Words& words);
    void Select(const Words& words);
    void Deselect(const Words& words);
    void ViewGeometry(const Words& words);
    void Press(const Words& words);
    void Move(const Words& words);
    void Release(const Words& words);
    void Drag(const Words& words);
    void Snap(const Words& words);
    void Copy(const Words& words);
    void Cut(const Words& words);
    void Paste(const Words& words);
    void Erase(const Words& words);
    void Split(const Words& words);
    void Drop(const Words& words);
    void Edit(const Words& words);
    void Replace(const Words& words);
    void AddEffect(const Words& words);
    void CopyToProfile(const Words& words);
    void Check(const Words& words);
    void Loop(const Words& words);
    void Undo(const Words& words);
    void Revert(const Words& words);
    void Commit(const Words& words);
    void Events(const Words& words);
    void TempoList(const Words& words);
    void TrackList(const Words& words);
    void Event(const Words& words);
    void TrackEffects(const Words& words);
    void TrackEffect(const Words& words);
    void Answer(const Words& words);
    void Show(const Words& words);
    void Status(const Words& words);
    void Save(const Words& words);
    void Quit(const Words& words);

    int Row(const std::string& word) const;
    int X(double seconds) const { return m_geometry.XAt(seconds); }
    int Y(int row) const { return m_geometry.RowTop(row) + m_geometry.rowHeights[0] / 2; }
    void OpenEventEditor(const std::optional<EventEditorParameters>& parameters);
    void PrintEventRows();
    void PrintTrackEffects();
    void PrintRepaint();

    CMusicDatabase* m_database;
    CEffectManagerImpl* m_effects;
    const CConfiguration& m_config;
    std::ostream& m_out;
    std::ostream& m_err;
    std::unique_ptr<Answers> m_answers;
    std::unique_ptr<CSetDocument> m_document;
    std::unique_ptr<CMusicSetView> m_view;
    std::unique_ptr<CEventEditorView> m_eventEditor;
    std::unique_ptr<CTrackEffectsDialog> m_trackEffects;
    TimelineGeometry m_geometry;
    int m_pressRow = -1;
    std::optional<InsertChoice> m_insertChoice;
    int m_mixTarget = 0;
    std::vector<CheckSetRow> m_checkRows;
    std::map<std::string, Handler> m_handlers;
    int m_lineNumber = 0;
    bool m_quit = false;
};

}  // namespace vantor

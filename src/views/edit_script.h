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
#include "views/mixing_helper_view.h"
#include "views/music_set_view.h"
#include "views/set_document.h"
#include "views/track_effects_dialog.h"

namespace vantor {

class CConfiguration;
class CEffectManagerImpl;
class CMusicDatabase;

// The editing language of `vantor edit`: one editor command per line, run
// against a set editor (CMusicSetView), an event editor and a track effects
// dialog on one open set, exactly as the mouse and menus of the editor would
// run them, so that scripts edit sets and test the editor without pixels.
// Message boxes are written to the output ("Caption: text", "error: " before
// errors, " -> answer" after questions); questions take the answers queued by
// `answer` lines, else the fallback user interface's. Language() is the
// reference of every command, shown by `vantor edit --help`.
class EditScript {
public:
    // The configuration keeps the quick preset names the effects dialog's
    // preset buttons write.
    EditScript(CMusicDatabase* database, CEffectManagerImpl* effects, CConfiguration& config,
               IUserInterface& fallback, std::ostream& out, std::ostream& err);
    ~EditScript();

    // The language's reference: syntax and every command, one per line.
    static const char* Language();
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
    bool RunEffectsDialog(CApplyEffectsDialog& dialog, const Words& words);
    void EffectPreset(const Words& words);
    void QuickPreset(const Words& words);
    void MixHelper(const Words& words);
    void RunMixingHelper(CMixingHelperView& helper);
    void Suggest(const Words& words);
    void Design(const Words& words);
    void CopyToProfile(const Words& words);
    void Check(const Words& words);
    void Loop(const Words& words);
    void Undo(const Words& words);
    void Revert(const Words& words);
    void Commit(const Words& words);
    void Tempo(const Words& words);
    void Blank(const Words& words);
    void Section(const Words& words);
    void Adjust(const Words& words);
    void AdjustAll(const Words& words);
    void Nudge(const Words& words);
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
    CConfiguration& m_config;
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
    // The drop line's options, answering the Mixing Helper it may open.
    std::map<std::string, std::string> m_helperOptions;
    std::vector<CheckSetRow> m_checkRows;
    // The steps of the add-effect line being run.
    Words m_effectSteps;
    std::map<std::string, Handler> m_handlers;
    int m_lineNumber = 0;
    bool m_quit = false;
};

}  // namespace vantor

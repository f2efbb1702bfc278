#include "views/edit_script.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <stdexcept>

#include "config/configuration.h"
#include "editing/song_lengths.h"
#include "database/music_database.h"
#include "engine/effect_manager_impl.h"
#include "model/set_clipboard.h"

namespace vantor {

namespace {

// A line the language does not understand.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
                word += line[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == '"') {
            quoted = inWord = true;
        } else if (c == '#' && !inWord) {
            break;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) throw ScriptError("a quote is not closed");
    if (inWord) words.push_back(word);
    return words;
}

double Number(const std::string& text, const char* what) {
    const char* begin = text.c_str();
    char* end = nullptr;
    double value = std::strtod(begin, &end);
    if (end == begin || *end != '\0' || !std::isfinite(value))
        throw ScriptError(std::string(what) + " is a number, not \"" + text + "\"");
    return value;
}

int Whole(const std::string& text, const char* what) {
    double value = Number(text, what);
    if (value != std::floor(value) || std::fabs(value) > 1e9)
        throw ScriptError(std::string(what) + " is a whole number, not \"" + text + "\"");
    return static_cast<int>(value);
}

// "12.5" or "12.5s".
double Seconds(std::string text) {
    if (!text.empty() && text.back() == 's') text.pop_back();
    return Number(text, "a time");
}

// "@12.5"
double At(const std::string& text) {
    if (text.size() < 2 || text[0] != '@') throw ScriptError("a time on the timeline is @SECONDS, not \"" + text + "\"");
    return Seconds(text.substr(1));
}

void Expect(const std::vector<std::string>& words, size_t least, size_t most, const char* usage) {
    if (words.size() - 1 < least || words.size() - 1 > most) throw ScriptError(std::string("usage: ") + usage);
}

// key=value words after the fixed ones.
std::map<std::string, std::string> Options(const std::vector<std::string>& words, size_t from,
                                           const std::vector<std::string>& allowed) {
    std::map<std::string, std::string> options;
    for (size_t i = from; i < words.size(); ++i) {
        auto equals = words[i].find('=');
        std::string key = equals == std::string::npos ? words[i] : words[i].substr(0, equals);
        if (equals == std::string::npos || std::find(allowed.begin(), allowed.end(), key) == allowed.end())
            throw ScriptError("unknown option \"" + words[i] + "\"");
        options[key] = words[i].substr(equals + 1);
    }
    return options;
}

// The Mixing Helper's fields as options of a line: join=, fades=, mark=, and
// tune= (the "R" slider position, or -1 when not given).
void MixOptions(std::map<std::string, std::string>& options, MixingFields& fields, int& tune) {
    const std::string join = options.count("join") ? options["join"] : "mix";
    if (join == "mix") fields.join = MixingFields::Join::Mix;
    else if (join == "cut") fields.join = MixingFields::Join::Cut;
    else if (join == "none") fields.join = MixingFields::Join::None;
    else throw ScriptError("join= is mix, cut or none");
    if (options.count("fades")) {
        const std::string& bars = options["fades"];
        const auto a = bars.find(',');
        const auto b = a == std::string::npos ? std::string::npos : bars.find(',', a + 1);
        if (b == std::string::npos) throw ScriptError("fades= is IN,HOLD,OUT in bars");
        fields.fadesEnabled = true;
        fields.fadeInBars = Whole(bars.substr(0, a), "fade-in bars");
        fields.holdBars = Whole(bars.substr(a + 1, b - a - 1), "hold bars");
        fields.fadeOutBars = Whole(bars.substr(b + 1), "fade-out bars");
        if (fields.fadeInBars < 0 || fields.holdBars < 0 || fields.fadeOutBars < 0 || fields.fadeInBars > 10000 ||
            fields.holdBars > 10000 || fields.fadeOutBars > 10000)
            throw ScriptError("fade bars are whole numbers from 0 to 10000");
    }
    if (options.count("mark")) {
        if (options["mark"] != "on" && options["mark"] != "off") throw ScriptError("mark= is on or off");
        fields.markWithTempoChange = options["mark"] == "on";
    }
    tune = -1;
    if (options.count("tune")) {
        tune = Whole(options["tune"], "tune=");
        if (tune < 0 || tune > 1000) throw ScriptError("tune= runs from 0 to 1000");
    }
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Describe(const CEvent& event, int32_t rate) {
    std::string text = "@" + std::to_string(event.GetPosition()) + " (" +
                       Format("%.3f", rate > 0 ? static_cast<double>(event.GetPosition()) / rate : 0.0) + " s)";
    if (const CTempoChange* tempo = event.GetTempoChange()) {
        text += " tempo " + Format("%3.5f", tempo->GetTempo());
    } else if (const CSegmentDesign* design = event.GetSegment()) {
        const CSegment& segment = *design->GetSegment();
        text += " segment \"" + std::string(design->GetName()) + "\" frames " + std::to_string(segment.GetStart()) +
                "-" + std::to_string(segment.GetEnd()) + " ratio " + Format("%.6f", segment.GetRatio()) + " length " +
                std::to_string(segment.GetTimelineLength()) + " tempo " + Format("%.2f", design->GetTempo());
    } else {
        text += " empty";
    }
    if (event.GetPendingEdits() > 0) text += " pending";
    return text;
}

const char* ChoiceName(InsertChoice choice) {
    switch (choice) {
        case InsertChoice::MixInto: return "mix";
        case InsertChoice::Resample: return "resample";
        case InsertChoice::SplitTempo: return "split-tempo";
        case InsertChoice::Nothing: return "nothing";
    }
    return "nothing";
}

}  // namespace

// Writes every message box to the script's output and answers questions
// from the queued `answer` lines, else through the fallback.
class EditScript::Answers : public IUserInterface {
public:
    Answers(IUserInterface& fallback, std::ostream& out) : m_fallback(fallback), m_out(out) {}

    void Queue(MessageAnswer answer) { m_queue.push_back(answer); }

    MessageAnswer MessageBox(const std::string& text, const std::string& caption, MessageButtons buttons,
                             MessageIcon icon) override {
        const std::string line = (icon == MessageIcon::Error ? "error: " : "") + caption + ": " + text;
        if (buttons == MessageButtons::Ok) {
            m_out << line << "\n";
            return MessageAnswer::Ok;
        }
        MessageAnswer answer;
        if (!m_queue.empty()) {
            answer = Fit(m_queue.front(), buttons);
            m_queue.pop_front();
        } else {
            answer = m_fallback.MessageBox(text, caption, buttons, icon);
        }
        m_out << line << " -> " << Name(answer) << "\n";
        return answer;
    }
    std::vector<std::string> ChooseOpenFiles(const FileChoice& choice) override {
        return m_fallback.ChooseOpenFiles(choice);
    }
    std::optional<std::string> ChooseSaveFile(const FileChoice& choice) override {
        return m_fallback.ChooseSaveFile(choice);
    }
    std::optional<std::string> PromptText(const std::string& prompt, const std::string& initial) override {
        return m_fallback.PromptText(prompt, initial);
    }
    void ShowProgress(const std::string& label, int percent) override { m_fallback.ShowProgress(label, percent); }
    void EndProgress() override { m_fallback.EndProgress(); }

private:
    // "ok" answers a yes/no question with yes, "cancel" with no, and the
    // other way round.
    static MessageAnswer Fit(MessageAnswer answer, MessageButtons buttons) {
        const bool positive = answer == MessageAnswer::Ok || answer == MessageAnswer::Yes;
        switch (buttons) {
            case MessageButtons::OkCancel: return positive ? MessageAnswer::Ok : MessageAnswer::Cancel;
            case MessageButtons::YesNo: return positive ? MessageAnswer::Yes : MessageAnswer::No;
            case MessageButtons::YesNoCancel:
                return positive ? MessageAnswer::Yes : answer == MessageAnswer::No ? MessageAnswer::No : MessageAnswer::Cancel;
            case MessageButtons::Ok: return MessageAnswer::Ok;
        }
        return answer;
    }
    static const char* Name(MessageAnswer answer) {
        switch (answer) {
            case MessageAnswer::Ok: return "ok";
            case MessageAnswer::Cancel: return "cancel";
            case MessageAnswer::Yes: return "yes";
            case MessageAnswer::No: return "no";
        }
        return "cancel";
    }

    IUserInterface& m_fallback;
    std::ostream& m_out;
    std::deque<MessageAnswer> m_queue;
};

EditScript::EditScript(CMusicDatabase* database, CEffectManagerImpl* effects, CConfiguration& config,
                       IUserInterface& fallback, std::ostream& out, std::ostream& err)
    : m_database(database),
      m_effects(effects),
      m_config(config),
      m_out(out),
      m_err(err),
      m_answers(std::make_unique<Answers>(fallback, out)),
      m_document(std::make_unique<CSetDocument>(*m_answers)) {
    m_handlers = {
        {"marker", &EditScript::Marker},        {"track", &EditScript::Track},
        {"select", &EditScript::Select},        {"deselect", &EditScript::Deselect},
        {"view", &EditScript::ViewGeometry},    {"press", &EditScript::Press},
        {"move", &EditScript::Move},            {"release", &EditScript::Release},
        {"drag", &EditScript::Drag},            {"snap", &EditScript::Snap},
        {"copy", &EditScript::Copy},            {"cut", &EditScript::Cut},
        {"paste", &EditScript::Paste},          {"erase", &EditScript::Erase},
        {"split", &EditScript::Split},          {"drop", &EditScript::Drop},
        {"edit", &EditScript::Edit},            {"replace", &EditScript::Replace},
        {"add-effect", &EditScript::AddEffect}, {"copy-to-profile", &EditScript::CopyToProfile},
        {"check", &EditScript::Check},          {"loop", &EditScript::Loop},
        {"undo", &EditScript::Undo},            {"revert", &EditScript::Revert},
        {"commit", &EditScript::Commit},        {"events", &EditScript::Events},
        {"tempo-list", &EditScript::TempoList}, {"track-list", &EditScript::TrackList},
        {"event", &EditScript::Event},          {"track-effects", &EditScript::TrackEffects},
        {"track-effect", &EditScript::TrackEffect}, {"answer", &EditScript::Answer},
        {"show", &EditScript::Show},            {"status", &EditScript::Status},
        {"save", &EditScript::Save},            {"quit", &EditScript::Quit},
        {"tempo", &EditScript::Tempo},          {"blank", &EditScript::Blank},
        {"section", &EditScript::Section},      {"adjust", &EditScript::Adjust},
        {"adjust-all", &EditScript::AdjustAll}, {"nudge", &EditScript::Nudge},
        {"effect", &EditScript::EffectPreset},  {"preset", &EditScript::QuickPreset},
        {"mix-helper", &EditScript::MixHelper}, {"suggest", &EditScript::Suggest},
        {"design", &EditScript::Design},
    };
}

bool EditScript::Open(const std::string& path) {
    m_eventEditor.reset();
    m_trackEffects.reset();
    m_view.reset();
    m_quit = false;
    if (!m_document->Open(path)) return false;
    CMusicSet* set = m_document->GetSet();
    m_view = std::make_unique<CMusicSetView>(*m_answers, m_database, set, path, m_config);
    m_geometry.rowHeights.assign(static_cast<size_t>(std::max(1, set->GetTracks().GetCount())), 20);
    m_view->SetInsertSegmentRunner([this](CInsertSegmentDialog& dialog) {
        if (m_insertChoice) {
            if (*m_insertChoice == InsertChoice::MixInto ? !dialog.ChooseMixTarget(m_mixTarget)
                                                          : !dialog.Choose(*m_insertChoice))
                m_out << "Insert Segment: \"" << ChoiceName(*m_insertChoice) << "\" is not offered\n";
        }
        m_out << "Insert Segment: \"" << dialog.GetSegmentName() << "\" at " << dialog.GetPositionText() << ", tempo "
              << dialog.GetSegmentTempoText() << " (set " << dialog.GetInsertTempoText()
              << "): " << ChoiceName(dialog.GetChoice()) << "\n";
        return true;
    });
    // "Mix into:" opens the Mixing Helper, answered by the drop line's options.
    if (m_database)
        CMixingHelperView::Connect(*m_view, *m_answers, *m_database,
                                   [this](CMixingHelperView& helper) { RunMixingHelper(helper); });
    // The effects dialog of Add Effect runs the steps of the add-effect line.
    m_view->SetApplyEffects(m_effects, &m_config, [this](CApplyEffectsDialog& dialog) {
        return RunEffectsDialog(dialog, m_effectSteps);
    });
    // Event editors refill when the set editor changes their track.
    m_view->SetTrackChangedListener([this](CTrack* track) {
        if (m_eventEditor) m_eventEditor->OnTrackChanged(track);
    });
    return true;
}

EditScript::~EditScript() = default;

const char* EditScript::Language() {
    return R"(Editing script: one command per line; words are separated by blanks, "double quotes"
keep blanks inside a word, # starts a comment. TIME is seconds (12.5 or 12.5s), @TIME a
time on the timeline, TRACK a track row (0 is the tempo track). Refusals and questions
are printed as the editor's message boxes read; a line that is not understood stops the
run (exit code 2) without saving.

  marker left|right TIME         place the left or right marker
  track TRACK                    pick a track row without selecting an event
  select TRACK @TIME [ctrl]      click into a row (with Ctrl: add or remove)
  deselect                       clear every selection
  view START SECONDS_PER_PIXEL   the timeline the mouse works on (default 0 0.01;
                                 rows are 20 pixels high)
  press TRACK @TIME [ctrl] / move @TIME / release @TIME
                                 the mouse in a row
  drag TRACK @TIME +T|-T|@TIME [ctrl]
                                 press, move, release: the segment's body moves
                                 (with the row's other selected segments), a left
                                 or right edge within one pixel resizes it, Ctrl
                                 on a right edge repeats it, a tempo change's left
                                 edge moves it; moves of 4 pixels or less do nothing
  snap bar|half|quarter|eighth|sixteenth|off|FRACTION
                                 the grid dragged edges snap to
  copy | cut | paste | erase     the selection and the clipboard
  split                          Split Segment at the left marker
  drop KEY TRACK @TIME [from=T] [to=T] [tempo=BPM] [name=TEXT]
       [choice=resample|split-tempo|nothing|mix:N] [c1=SEC] [c2=SEC] [join=...]
       [fades=IN,HOLD,OUT] [mark=on|off] [tune=0..1000]
                                 drop a section of a database song into a row;
                                 choice= answers the Insert Segment dialog; with
                                 mix:N the Mixing Helper opens on row N (from 1)
                                 of "Mix into:" and the new one, takes the options
                                 of mix-helper (the cursors default to each
                                 segment's start) and splits that segment at the
                                 mixing point its OK returns
  edit                           Edit Segment: what the segment designer receives
  replace [start=FRAME] [end=FRAME] [ratio=R] [tempo=BPM] [name=TEXT]
                                 hand a changed copy of the segment back
  add-effect [STEP ...]          Add Effect: the "Apply Effects" dialog on the selected
                                 track between the markers; the steps run in order,
                                 then the effects and where they land are listed and
                                 OK applies them to every segment met:
                                   profile=NAME       choose a profile preset
                                   add=EFFECT/PARAM   Add through "Select Effect"
                                   select=ROW         select a row of "Effects:"
                                   remove             remove the selected effect
                                   waveform=NAME      choose a shape for it
                                   points=S:V,S:V...  its curve by hand (S on 0..9999,
                                                      V the parameter's value)
                                   reverse            reverse its curve
                                   save-waveform=NAME | remove-waveform
                                   save-profile=NAME | remove-profile
                                   slot=1..6          store the profile's name in a
                                                      quick preset slot
                                   cancel             close without applying
  effect apply PRESET            apply a profile preset between the markers without
                                 the dialog
  preset 1..6                    the quick preset commands: the preset named in the
                                 slot between the markers
  mix-helper TRACK1 @TIME TRACK2 @TIME c1=SEC c2=SEC [join=mix|cut|none]
       [fades=IN,HOLD,OUT] [mark=on|off] [tune=0..1000]
                                 the Mixing Helper's OK: the second segment joins
                                 the first, song 1's cursor c1 meeting song 2's
                                 cursor c2 (seconds in each song); fades in bars at
                                 the first segment's tempo ("Fade In", "Hold 2" on
                                 the second's track, "Hold 1", "Fade Out" on the
                                 first's); mark=on marks the mixing point with a
                                 tempo change; tune is the "R" slider (500: none)
  suggest                        Make Mix Suggestion for the current segment
  design create NAME [primary=N] [type=within|mix-out]
                                 Create Mix Design between the markers, stored with
                                 the song of the primary segment (row N of the
                                 candidates, 1 unless given)
  design apply NAME              Apply Design of that name on the selected segment
  copy-to-profile                store the current segment in its song's profile
  check | check goto ROW         Check Set and its rows
  loop                           Set Loop between the markers
  undo | revert | commit         Undo, Revert Changes, Commit Changes
  tempo split                    Split Tempo at the left marker
  tempo fade END STEPS           Fade Tempo between the markers: END and STEPS are
                                 typed into its dialog as given
  blank                          insert blank space between the markers
  section erase|copy|cut|paste   Erase, Copy, Cut, Paste Section between the markers
                                 (erase and cut ask whether to shift later events)
  adjust | adjust-all            Adjust to Tempo (the selected segments), Adjust
                                 All (the current tempo change's segments)
  nudge -0.01|-0.001|-0.0001|-0.00001|+0.00001|+0.0001|+0.001|+0.01
                                 the speed nudges: the selected segments' ratio,
                                 else the current tempo change by 100 x the step
  events TRACK | tempo-list | track-list
                                 open the event editor on a track
  event select ROW | event show | event delete | event clear
                                 rows count the track's events from 1
  event update [start=N] [end=N] [name=TEXT] [tempo=BPM]
                                 Update Event with the fields given changed
  event scroll up|down|pageup|pagedown|top|bottom|ROW
  track-effects TRACK            open the track effects dialog of an audio track
  track-effect add EFFECT PARAMETER | select ROW | slide STEPS | position N
             | remove | list | ok | cancel
  answer ok|cancel|yes|no        the answer to the next question
  show | status                  the set's events; the editor's state
  save [PATH]                    save the set (to another file with a path)
  quit                           close the set; asks to save changes (also at the end)
)";
}

bool EditScript::Run(std::istream& in, bool prompt) {
    if (!m_view) {
        m_err << "no set is open\n";
        return false;
    }
    std::string line;
    m_lineNumber = 0;
    while (!m_quit) {
        if (prompt) m_out << "edit> " << std::flush;
        if (!std::getline(in, line)) break;
        ++m_lineNumber;
        if (!RunLine(line)) return false;
    }
    if (!m_quit) Quit({"quit"});
    return true;
}

bool EditScript::RunLine(const std::string& line) {
    try {
        Words words = SplitWords(line);
        if (words.empty()) return true;
        auto handler = m_handlers.find(words[0]);
        if (handler == m_handlers.end()) throw ScriptError("unknown command \"" + words[0] + "\"");
        if (m_quit || !m_view) throw ScriptError("the set is closed");
        (this->*handler->second)(words);
        return true;
    } catch (const ScriptError& e) {
        m_err << "line " << m_lineNumber << ": " << e.what() << "\n";
        return false;
    }
}

int EditScript::Row(const std::string& word) const {
    int row = Whole(word, "a track");
    if (row < 0 || row >= m_view->GetState().GetTrackCount())
        throw ScriptError("the set has tracks 0 to " + std::to_string(m_view->GetState().GetTrackCount() - 1));
    return row;
}

void EditScript::Marker(const Words& words) {
    Expect(words, 2, 2, "marker left|right TIME");
    const double seconds = Seconds(words[2]);
    if (seconds < 0) throw ScriptError("a marker lies at 0 s or later");
    if (words[1] == "left") m_view->GetState().SetLeftMarker(seconds);
    else if (words[1] == "right") m_view->GetState().SetRightMarker(seconds);
    else throw ScriptError("usage: marker left|right TIME");
}

void EditScript::Track(const Words& words) {
    Expect(words, 1, 1, "track TRACK");
    m_view->GetState().SetSelectedTrack(Row(words[1]));
}

void EditScript::Select(const Words& words) {
    Expect(words, 2, 3, "select TRACK @TIME [ctrl]");
    if (words.size() == 4 && words[3] != "ctrl") throw ScriptError("usage: select TRACK @TIME [ctrl]");
    const int row = Row(words[1]);
    const double at = At(words[2]);
    m_view->MousePress(X(at), Y(row), m_geometry, words.size() == 4);
    m_view->MouseRelease(X(at), Y(row));
    CEvent* current = m_view->GetState().GetCurrentEvent(row);
    m_out << "track " << row << " current: "
          << (current ? Describe(*current, m_view->GetSet().GetSampleRate()) : std::string("none")) << "\n";
}

void EditScript::Deselect(const Words& words) {
    Expect(words, 0, 0, "deselect");
    m_view->GetState().ClearSelections();
}

void EditScript::ViewGeometry(const Words& words) {
    Expect(words, 2, 2, "view START SECONDS_PER_PIXEL");
    const double start = Seconds(words[1]);
    const double perPixel = Number(words[2], "seconds per pixel");
    if (!(perPixel > 0) || start < 0) throw ScriptError("the view starts at 0 s or later with seconds per pixel above 0");
    m_geometry.startTime = start;
    m_geometry.secondsPerPixel = perPixel;
}

void EditScript::Press(const Words& words) {
    Expect(words, 2, 3, "press TRACK @TIME [ctrl]");
    if (words.size() == 4 && words[3] != "ctrl") throw ScriptError("usage: press TRACK @TIME [ctrl]");
    m_pressRow = Row(words[1]);
    m_view->MousePress(X(At(words[2])), Y(m_pressRow), m_geometry, words.size() == 4);
}

void EditScript::Move(const Words& words) {
    Expect(words, 1, 1, "move @TIME");
    if (m_pressRow < 0) throw ScriptError("press first");
    m_view->MouseMove(X(At(words[1])), Y(m_pressRow));
}

void EditScript::Release(const Words& words) {
    Expect(words, 1, 1, "release @TIME");
    if (m_pressRow < 0) throw ScriptError("press first");
    m_view->MouseRelease(X(At(words[1])), Y(m_pressRow));
    m_pressRow = -1;
}

void EditScript::Drag(const Words& words) {
    Expect(words, 3, 4, "drag TRACK @TIME +T|-T|@TIME [ctrl]");
    if (words.size() == 5 && words[4] != "ctrl") throw ScriptError("usage: drag TRACK @TIME +T|-T|@TIME [ctrl]");
    const int row = Row(words[1]);
    const double from = At(words[2]);
    double to = 0;
    if (words[3][0] == '@') to = At(words[3]);
    else if (words[3][0] == '+' || words[3][0] == '-') to = from + Seconds(words[3]);
    else throw ScriptError("the drag goes by +T or -T seconds or to @TIME");
    m_view->MousePress(X(from), Y(row), m_geometry, words.size() == 5);
    m_view->MouseMove(X(to), Y(row));
    m_view->MouseRelease(X(to), Y(row));
}

void EditScript::Snap(const Words& words) {
    Expect(words, 1, 1, "snap bar|half|quarter|eighth|sixteenth|off|FRACTION");
    static const std::map<std::string, double> names = {{"bar", 1.0},      {"half", 0.5},       {"quarter", 0.25},
                                                        {"eighth", 0.125}, {"sixteenth", 0.0625}, {"off", -1.0}};
    auto named = names.find(words[1]);
    const double fraction = named != names.end() ? named->second : Number(words[1], "the grid");
    if (!m_view->SetSnapGrid(fraction)) throw ScriptError("the grid is a fraction of a bar above 0, or off");
}

void EditScript::Copy(const Words& words) {
    Expect(words, 0, 0, "copy");
    m_view->Copy();
}

void EditScript::Cut(const Words& words) {
    Expect(words, 0, 0, "cut");
    m_view->Cut();
}

void EditScript::Paste(const Words& words) {
    Expect(words, 0, 0, "paste");
    m_view->Paste();
}

void EditScript::Erase(const Words& words) {
    Expect(words, 0, 0, "erase");
    m_view->Erase();
}

void EditScript::Split(const Words& words) {
    Expect(words, 0, 0, "split");
    m_view->SplitSegment();
}

void EditScript::Drop(const Words& words) {
    if (words.size() < 4) throw ScriptError("usage: drop KEY TRACK @TIME [from=T] [to=T] [tempo=BPM] [name=TEXT] [choice=...]");
    const std::string& key = words[1];
    const int row = Row(words[2]);
    const double at = At(words[3]);
    auto options = Options(words, 4, {"from", "to", "tempo", "name", "choice", "c1", "c2", "join", "fades", "mark", "tune"});
    RefPtr<CSongProfile> song = m_database ? m_database->GetSong(key) : nullptr;
    // The design the database window would hand out for the song's section.
    auto design = MakeRef<CSegmentDesign>();
    design->SetName(options.count("name") ? options["name"] : song ? song->GetTitle() : key);
    design->SetTempo(options.count("tempo") ? Number(options["tempo"], "the tempo") : song ? song->GetTempo() : kDefaultTempo);
    CSegment& segment = *design->GetSegment();
    segment.SetSongKey(key);
    if (song) segment.SetSongTitle(song->GetTitle());
    const double rate = m_view->GetSet().GetSampleRate();
    const double from = options.count("from") ? Seconds(options["from"]) : 0.0;
    if (from < 0) throw ScriptError("from= lies inside the song");
    segment.SetStart(static_cast<int32_t>(from * rate));
    std::optional<int64_t> length = SongLengthsFrom(m_database)(key);
    if (options.count("to")) {
        const double to = Seconds(options["to"]);
        if (to <= from) throw ScriptError("to= lies after from=");
        segment.SetEnd(static_cast<int32_t>(std::min(to * rate, 2147483647.0)));
    } else {
        segment.SetEnd(static_cast<int32_t>(length.value_or(segment.GetStart())));
    }
    m_insertChoice.reset();
    m_mixTarget = 0;
    if (options.count("choice")) {
        const std::string& choice = options["choice"];
        if (choice == "resample") m_insertChoice = InsertChoice::Resample;
        else if (choice == "split-tempo") m_insertChoice = InsertChoice::SplitTempo;
        else if (choice == "nothing") m_insertChoice = InsertChoice::Nothing;
        else if (choice.rfind("mix:", 0) == 0) {
            m_insertChoice = InsertChoice::MixInto;
            m_mixTarget = Whole(choice.substr(4), "the segment to mix into") - 1;
        } else throw ScriptError("choice= is resample, split-tempo, nothing or mix:N");
    }
    // The helper's options are checked before anything is dropped.
    for (const char* cursor : {"c1", "c2"})
        if (options.count(cursor) && Seconds(options[cursor]) < 0) throw ScriptError("a cursor lies inside its song");
    MixingFields checked;
    int tune = -1;
    MixOptions(options, checked, tune);
    m_helperOptions = options;
    m_view->DropSegment(*design, X(at), Y(row), m_geometry);
    m_insertChoice.reset();
    m_helperOptions.clear();
}

void EditScript::Edit(const Words& words) {
    Expect(words, 0, 0, "edit");
    auto request = m_view->EditSegment();
    if (!request) {
        m_out << "edit: no segment is current\n";
        return;
    }
    m_out << "edit: track " << request->trackIndex << " "
          << Describe(*request->event, m_view->GetSet().GetSampleRate()) << " song time "
          << Format("%.3f", request->songTime) << " s\n";
}

void EditScript::Replace(const Words& words) {
    auto options = Options(words, 1, {"start", "end", "ratio", "tempo", "name"});
    auto request = m_view->EditSegment();
    if (!request) {
        m_out << "replace: no segment is current\n";
        return;
    }
    RefPtr<CSegmentDesign> design(request->event->GetSegment()->Clone());
    CSegment& segment = *design->GetSegment();
    if (options.count("start")) segment.SetStart(Whole(options["start"], "start="));
    if (options.count("end")) segment.SetEnd(Whole(options["end"], "end="));
    if (options.count("ratio")) {
        const double ratio = Number(options["ratio"], "ratio=");
        if (!(ratio > 0)) throw ScriptError("ratio= is above 0");
        segment.SetRatio(ratio);
    }
    if (options.count("tempo")) design->SetTempo(Number(options["tempo"], "tempo="));
    if (options.count("name")) design->SetName(options["name"]);
    if (segment.GetStart() < 0 || segment.GetEnd() <= segment.GetStart())
        throw ScriptError("the segment's end lies after its start, both at 0 or later");
    m_view->ReplaceSegment(*request, *design);
}

void EditScript::AddEffect(const Words& words) {
    // Steps are checked before the editor opens the dialog, so a line that is
    // not understood changes nothing.
    static const std::vector<std::string> valued = {"profile", "add", "select", "waveform", "points",
                                                    "save-waveform", "save-profile", "slot"};
    static const std::vector<std::string> bare = {"remove", "reverse", "remove-waveform", "remove-profile", "cancel"};
    for (size_t i = 1; i < words.size(); ++i) {
        const auto equals = words[i].find('=');
        const auto& names = equals == std::string::npos ? bare : valued;
        if (std::find(names.begin(), names.end(), words[i].substr(0, equals)) == names.end())
            throw ScriptError("unknown add-effect step \"" + words[i] + "\"");
    }
    m_effectSteps = words;
    const bool applied = m_view->AddEffect();
    m_effectSteps.clear();
    if (applied) m_out << "add-effect: applied\n";
}

bool EditScript::RunEffectsDialog(CApplyEffectsDialog& dialog, const Words& words) {
    m_out << dialog.GetTitle() << ": track " << m_view->GetState().GetSelectedTrack() << " frames "
          << m_view->GetState().GetLeftPosition() << "-" << m_view->GetState().GetRightPosition() << "\n";
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        const auto equals = word.find('=');
        const std::string step = word.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : word.substr(equals + 1);
        const bool valued = equals != std::string::npos;
        if (step == "cancel" && !valued) {
            m_out << "add-effect: cancelled\n";
            return false;
        } else if (step == "profile" && valued) {
            if (!dialog.ChooseProfile(value)) m_out << "add-effect: no profile \"" << value << "\"\n";
        } else if (step == "add" && valued) {
            const auto slash = value.find('/');
            if (slash == std::string::npos) throw ScriptError("add= takes EFFECT/PARAMETER, not \"" + value + "\"");
            if (!dialog.AddEffect(value.substr(0, slash), value.substr(slash + 1)))
                m_out << "add-effect: no registered effect parameter \"" << value << "\"\n";
        } else if (step == "select" && valued) {
            dialog.ChooseEffect(Whole(value, "a row") - 1);
        } else if (step == "remove" && !valued) {
            dialog.RemoveEffect();
        } else if (step == "waveform" && valued) {
            if (!dialog.ChooseWaveform(value)) m_out << "add-effect: no waveform \"" << value << "\"\n";
        } else if (step == "points" && valued) {
            std::vector<CurvePoint> points;
            size_t from = 0;
            while (from <= value.size()) {
                const size_t comma = std::min(value.find(',', from), value.size());
                const std::string point = value.substr(from, comma - from);
                const auto colon = point.find(':');
                if (colon == std::string::npos) throw ScriptError("a curve point is S:V, not \"" + point + "\"");
                const int at = Whole(point.substr(0, colon), "a curve place");
                const std::string level = point.substr(colon + 1);
                const double v = level == "-inf" ? -HUGE_VAL : Number(level, "a curve value");
                points.push_back({at, v});
                from = comma + 1;
            }
            if (::vantor::Status set = dialog.SetPoints(points); !set) m_answers->ShowRefusal(set.Error());
        } else if (step == "reverse" && !valued) {
            dialog.Reverse();
        } else if (step == "save-waveform" && valued) {
            dialog.SetWaveformText(value);
            dialog.AddWaveform();
        } else if (step == "remove-waveform" && !valued) {
            dialog.RemoveWaveform();
        } else if (step == "save-profile" && valued) {
            dialog.SetProfileText(value);
            dialog.AddProfile();
        } else if (step == "remove-profile" && !valued) {
            dialog.RemoveProfile();
        } else if (step == "slot" && valued) {
            const int slot = Whole(value, "a preset slot");
            if (slot < 1 || slot > CApplyEffectsDialog::kQuickPresets) throw ScriptError("the preset slots are 1 to 6");
            if (dialog.StoreQuickPreset(slot - 1))
                m_out << "preset " << slot << ": " << dialog.GetQuickPresetCaption(slot - 1) << "\n";
        } else {
            throw ScriptError("unknown add-effect step \"" + word + "\"");
        }
    }
    const std::vector<std::string> labels = dialog.GetEffectLabels();
    const int selected = dialog.GetSelectedEffect();
    m_out << "profile \"" << dialog.GetProfileNames()[static_cast<size_t>(dialog.GetSelectedProfile())]
          << "\", waveform \"" << dialog.GetWaveformText() << "\"\n";
    for (size_t row = 0; row < labels.size(); ++row) {
        m_out << "  " << row + 1 << ". " << labels[row] << (static_cast<int>(row) == selected ? " *" : "") << "\n";
        if (static_cast<int>(row) != selected) continue;
        for (const auto& piece : dialog.GetPreview())
            m_out << "     " << piece.start << "-" << piece.end << ": " << piece.from << " to " << piece.to << "\n";
    }
    return true;
}

void EditScript::EffectPreset(const Words& words) {
    if (words.size() != 3 || words[1] != "apply") throw ScriptError("usage: effect apply PRESET");
    if (m_view->ApplyEffectPreset(words[2])) m_out << "effect: \"" << words[2] << "\" applied\n";
    else m_out << "effect: \"" << words[2] << "\" changed nothing\n";
}

void EditScript::MixHelper(const Words& words) {
    const char* usage = "mix-helper TRACK1 @TIME TRACK2 @TIME c1=SEC c2=SEC [join=mix|cut|none] "
                        "[fades=IN,HOLD,OUT] [mark=on|off] [tune=0..1000]";
    if (words.size() < 5) throw ScriptError(std::string("usage: ") + usage);
    auto options = Options(words, 5, {"c1", "c2", "join", "fades", "mark", "tune"});
    if (!options.count("c1") || !options.count("c2")) throw ScriptError(std::string("usage: ") + usage);
    SetEditorState& state = m_view->GetState();
    auto segmentAt = [&](const std::string& row, const std::string& at) {
        const int track = Row(row);
        const double seconds = At(at);
        CEvent* event = state.EventAt(track, static_cast<int32_t>(std::trunc(seconds * state.GetSampleRate())));
        if (track < 1 || !event || !event->GetSegment())
            throw ScriptError("no segment plays on track " + row + " at " + at);
        return SegmentAt{track, event};
    };
    const SegmentAt first = segmentAt(words[1], words[2]);
    const SegmentAt second = segmentAt(words[3], words[4]);
    MixingFields fields;
    fields.cursor1 = Seconds(options["c1"]);
    fields.cursor2 = Seconds(options["c2"]);
    int tune = -1;
    MixOptions(options, fields, tune);
    if (tune >= 0)
        fields.ratio2 = MixingWizard::FineTunedRatio(second.event->GetSegment()->GetSegment()->GetRatio(), tune);
    auto point = m_view->MixSegments(first, second, fields);
    if (!point) return;
    if (*point >= 0) m_out << "mix-helper: mixing point @" << *point << "\n";
    else m_out << "mix-helper: done\n";
}

void EditScript::RunMixingHelper(CMixingHelperView& helper) {
    auto& options = m_helperOptions;
    if (options.count("c1")) helper.SetCursor(0, Seconds(options["c1"]));
    if (options.count("c2")) helper.SetCursor(1, Seconds(options["c2"]));
    MixingFields fields;
    int tune = -1;
    MixOptions(options, fields, tune);
    helper.SetJoin(fields.join);
    helper.SetFadesEnabled(fields.fadesEnabled);
    helper.SetFadeInText(std::to_string(fields.fadeInBars));
    helper.SetHoldText(std::to_string(fields.holdBars));
    helper.SetFadeOutText(std::to_string(fields.fadeOutBars));
    helper.SetMarkWithTempoChange(fields.markWithTempoChange);
    if (tune >= 0) helper.SetTune(tune);
    m_out << CMixingHelperView::kTitle << ": song 1 at " << Format("%.3f", helper.GetCursor(0)) << " s, song 2 at "
          << Format("%.3f", helper.GetCursor(1)) << " s, ratio " << Format("%.6f", helper.GetRatio(1)) << "\n";
    if (!helper.Ok()) {
        helper.Cancel();
        m_out << CMixingHelperView::kTitle << ": cancelled\n";
    } else if (*helper.GetResult() >= 0) {
        m_out << CMixingHelperView::kTitle << ": mixing point @" << *helper.GetResult() << "\n";
    }
}

void EditScript::Suggest(const Words& words) {
    Expect(words, 0, 0, "suggest");
    const std::vector<std::string> keys = m_view->MakeMixSuggestion();
    m_out << "suggest: " << keys.size() << " song" << (keys.size() == 1 ? "" : "s") << "\n";
    for (const std::string& key : keys) m_out << "  " << key << "\n";
}

void EditScript::Design(const Words& words) {
    if (words.size() < 3 || (words[1] != "create" && words[1] != "apply"))
        throw ScriptError("usage: design create NAME [primary=N] [type=within|mix-out] | design apply NAME");
    const std::string name = words[2];
    if (words[1] == "apply") {
        Expect(words, 2, 2, "design apply NAME");
        bool found = true;
        const bool applied = m_view->ApplyDesign([&](const std::string& title, const std::vector<std::string>& rows) {
            m_out << "Select Mixing Design: " << title << "\n";
            for (size_t i = 0; i < rows.size(); ++i) {
                m_out << "  " << rows[i] << "\n";
                if (rows[i] == name + " (Within)" || rows[i] == name + " (Mix out)") return static_cast<int>(i);
            }
            found = false;
            return -1;
        });
        if (applied) m_out << "design: \"" << name << "\" applied\n";
        else if (!found) m_out << "design: no design \"" << name << "\"\n";
        return;
    }
    auto options = Options(words, 3, {"primary", "type"});
    const int primary = options.count("primary") ? Whole(options["primary"], "primary=") : 1;
    const std::string type = options.count("type") ? options["type"] : "within";
    if (type != "within" && type != "mix-out") throw ScriptError("type= is within or mix-out");
    const bool created = m_view->CreateMixDesign(name, type == "mix-out", [&](const std::vector<std::string>& rows) {
        m_out << "Create Mixing Design:\n";
        for (const std::string& row : rows) m_out << "  " << row << "\n";
        return primary - 1;
    });
    if (created) m_out << "design: \"" << name << "\" stored\n";
}

void EditScript::QuickPreset(const Words& words) {
    Expect(words, 1, 1, "preset 1..6");
    const int slot = Whole(words[1], "a preset slot");
    if (slot < 1 || slot > CApplyEffectsDialog::kQuickPresets) throw ScriptError("the preset slots are 1 to 6");
    if (!m_view->IsQuickPresetEnabled(slot - 1)) {
        m_out << "preset " << slot << ": the slot holds no preset\n";
        return;
    }
    if (m_view->QuickPreset(slot - 1)) m_out << "preset " << slot << ": \"" << m_config.GetEffectPresetName(slot - 1)
                                            << "\" applied\n";
    else m_out << "preset " << slot << ": changed nothing\n";
}

void EditScript::CopyToProfile(const Words& words) {
    Expect(words, 0, 0, "copy-to-profile");
    if (m_view->CopyToProfile()) m_out << "copy-to-profile: stored\n";
}

void EditScript::Check(const Words& words) {
    if (words.size() == 3 && words[1] == "goto") {
        int row = Whole(words[2], "a row");
        if (row < 1 || row > static_cast<int>(m_checkRows.size())) throw ScriptError("no such row of the last check");
        m_view->GoToCheckRow(m_checkRows[static_cast<size_t>(row - 1)]);
        m_geometry.startTime = m_view->GetViewStartTime();
        m_out << "check: track " << m_view->GetState().GetSelectedTrack() << ", view at "
              << Format("%.3f", m_view->GetViewStartTime()) << " s\n";
        return;
    }
    Expect(words, 0, 0, "check | check goto ROW");
    CheckSetReport report = m_view->CheckSet();
    m_checkRows = report.rows;
    m_out << report.title << ": " << report.rows.size() << " row" << (report.rows.size() == 1 ? "" : "s") << "\n";
    for (size_t i = 0; i < report.rows.size(); ++i)
        m_out << "  " << i + 1 << ". " << report.rows[i].songKey << " | " << report.rows[i].TrackPosition() << " | "
              << report.rows[i].problem << "\n";
}

void EditScript::Loop(const Words& words) {
    Expect(words, 0, 0, "loop");
    if (m_view->SetLoop())
        m_out << "loop: frames " << m_view->GetState().GetLoop()->start << "-" << m_view->GetState().GetLoop()->end << "\n";
}

void EditScript::Undo(const Words& words) {
    Expect(words, 0, 0, "undo");
    if (!m_view->Undo()) m_out << "undo: nothing to undo\n";
}

void EditScript::Revert(const Words& words) {
    Expect(words, 0, 0, "revert");
    if (!m_view->RevertChanges()) m_out << "revert: nothing to revert\n";
}

void EditScript::Commit(const Words& words) {
    Expect(words, 0, 0, "commit");
    if (!m_view->CommitChanges() && !m_view->CanUndo()) m_out << "commit: nothing to commit\n";
}

void EditScript::Tempo(const Words& words) {
    if (words.size() == 2 && words[1] == "split") {
        m_view->SplitTempo();
        return;
    }
    if (words.size() != 4 || words[1] != "fade") throw ScriptError("usage: tempo split | tempo fade END STEPS");
    m_view->SetFadeTempoRunner([&](CFadeTempoDialog& dialog) {
        m_out << "Fade Tempo: start " << dialog.GetStartTempoText() << ", end " << words[2] << ", steps " << words[3]
              << "\n";
        dialog.SetEndTempoText(words[2]);
        dialog.SetStepsText(words[3]);
        return true;
    });
    m_view->FadeTempo();
    m_view->SetFadeTempoRunner(nullptr);
}

void EditScript::Blank(const Words& words) {
    Expect(words, 0, 0, "blank");
    m_view->InsertBlankSpace();
}

void EditScript::Section(const Words& words) {
    Expect(words, 1, 1, "section erase|copy|cut|paste");
    const std::string& verb = words[1];
    if (verb == "erase") m_view->EraseSection();
    else if (verb == "copy") m_view->CopySection();
    else if (verb == "cut") m_view->CutSection();
    else if (verb == "paste") m_view->PasteSection();
    else throw ScriptError("usage: section erase|copy|cut|paste");
}

void EditScript::Adjust(const Words& words) {
    Expect(words, 0, 0, "adjust");
    m_view->AdjustToTempo();
}

void EditScript::AdjustAll(const Words& words) {
    Expect(words, 0, 0, "adjust-all");
    m_view->AdjustAll();
}

void EditScript::Nudge(const Words& words) {
    static const char* const steps[8] = {"-0.01", "-0.001", "-0.0001", "-0.00001",
                                         "+0.00001", "+0.0001", "+0.001", "+0.01"};
    Expect(words, 1, 1, "nudge STEP");
    for (int i = 0; i < 8; ++i) {
        if (words[1] != steps[i]) continue;
        m_view->NudgeSpeed(i);
        if (m_view->GetState().GetCurrentEvent(0) &&
            m_view->GetState().FirstAudioTrackWithSelection() == SetEditorState::kNoTrack)
            m_out << "tempo " << Format("%.3f", m_view->GetTempoDisplay()) << "\n";
        return;
    }
    throw ScriptError("the nudges are -0.01, -0.001, -0.0001, -0.00001, +0.00001, +0.0001, +0.001 and +0.01");
}

void EditScript::OpenEventEditor(const std::optional<EventEditorParameters>& parameters) {
    if (!parameters) {
        m_out << "events: no track is selected\n";
        return;
    }
    m_eventEditor = std::make_unique<CEventEditorView>(*m_answers, m_database, 16);
    m_eventEditor->SetTrackChangedListener([this](CTrack* track) { m_view->OnTrackChanged(track); });
    m_eventEditor->Open(*parameters);
    PrintEventRows();
}

void EditScript::PrintEventRows() {
    const CEventEditorView& editor = *m_eventEditor;
    m_out << editor.GetTitle() << " (" << (editor.IsTempoMode() ? "tempo" : "segment") << " mode, events "
          << editor.GetTopRow() + 1 << " to " << editor.GetTopRow() + static_cast<int>(editor.GetRows().size())
          << " of " << editor.GetTrack()->GetEvents().GetCount() << ")\n     ";
    for (size_t c = 0; c < editor.GetColumns().size(); ++c) m_out << (c ? " | " : "") << editor.GetColumns()[c].name;
    m_out << "\n";
    for (size_t r = 0; r < editor.GetRows().size(); ++r) {
        m_out << (static_cast<int>(r) == editor.GetSelectedRow() ? "* " : "  ") << editor.GetTopRow() + r + 1 << ". ";
        const auto& cells = editor.GetRows()[r].cells;
        for (size_t c = 0; c < cells.size(); ++c) m_out << (c ? " | " : "") << cells[c];
        m_out << "\n";
    }
}

void EditScript::Events(const Words& words) {
    Expect(words, 1, 1, "events TRACK");
    const int row = Row(words[1]);
    OpenEventEditor(EventEditorParameters{row == 0 ? "Tempo" : "Track " + std::to_string(row),
                                          m_view->GetState().GetTrack(row), row,
                                          m_view->GetState().GetCurrentEvent(row), &m_view->GetState().GetHistory()});
}

void EditScript::TempoList(const Words& words) {
    Expect(words, 0, 0, "tempo-list");
    OpenEventEditor(m_view->TempoList());
}

void EditScript::TrackList(const Words& words) {
    Expect(words, 0, 0, "track-list");
    OpenEventEditor(m_view->TrackList());
}

void EditScript::Event(const Words& words) {
    if (words.size() < 2) throw ScriptError("usage: event select|show|update|delete|clear|scroll ...");
    if (!m_eventEditor) throw ScriptError("no event editor is open (events TRACK)");
    CEventEditorView& editor = *m_eventEditor;
    const std::string& verb = words[1];
    if (verb == "select") {
        Expect(words, 2, 2, "event select ROW");
        const int row = Whole(words[2], "a row") - 1 - editor.GetTopRow();
        if (row < 0 || row >= static_cast<int>(editor.GetRows().size())) throw ScriptError("that row is not shown");
        editor.SelectRow(row);
        m_out << "event: start " << editor.GetStartField();
        if (editor.IsTempoMode()) m_out << " tempo " << editor.GetTempoField() << "\n";
        else m_out << " end " << editor.GetEndField() << " name \"" << editor.GetNameField() << "\"\n";
    } else if (verb == "show") {
        Expect(words, 1, 1, "event show");
        editor.OnFocus();
        PrintEventRows();
    } else if (verb == "update") {
        auto options = Options(words, 2, {"start", "end", "name", "tempo"});
        if (options.count("start")) editor.SetStartField(options["start"]);
        if (options.count("end")) editor.SetEndField(options["end"]);
        if (options.count("name")) editor.SetNameField(options["name"]);
        if (options.count("tempo")) editor.SetTempoField(options["tempo"]);
        editor.UpdateEvent();
        PrintEventRows();
    } else if (verb == "delete") {
        Expect(words, 1, 1, "event delete");
        editor.DeleteEvent();
        PrintEventRows();
    } else if (verb == "clear") {
        Expect(words, 1, 1, "event clear");
        editor.ClearTrack();
        PrintEventRows();
    } else if (verb == "scroll") {
        Expect(words, 2, 2, "event scroll up|down|pageup|pagedown|top|bottom|ROW");
        const std::string& to = words[2];
        if (to == "up") editor.LineUp();
        else if (to == "down") editor.LineDown();
        else if (to == "pageup") editor.PageUp();
        else if (to == "pagedown") editor.PageDown();
        else if (to == "top") editor.ScrollTop();
        else if (to == "bottom") editor.ScrollBottom();
        else editor.ThumbTrack(Whole(to, "a row") - 1);
        PrintEventRows();
    } else {
        throw ScriptError("usage: event select|show|update|delete|clear|scroll ...");
    }
}

void EditScript::PrintTrackEffects() {
    const CTrackEffectsDialog& dialog = *m_trackEffects;
    const auto& rows = dialog.GetRows();
    m_out << "Track effects: " << rows.size() << " row" << (rows.size() == 1 ? "" : "s") << "\n";
    for (size_t r = 0; r < rows.size(); ++r) {
        const bool selected = static_cast<int>(r) == dialog.GetSelectedRow();
        m_out << (selected ? "* " : "  ") << r + 1 << ". " << rows[r].label;
        if (selected)
            m_out << " = " << dialog.GetValueText() << " (slider "
                  << (dialog.IsSliderEnabled() ? std::to_string(dialog.GetSliderPosition()) + "/50" : "off") << ")";
        m_out << "\n";
    }
}

void EditScript::TrackEffects(const Words& words) {
    Expect(words, 1, 1, "track-effects TRACK");
    const int row = Row(words[1]);
    if (row == 0) throw ScriptError("track effects belong to audio tracks");
    m_trackEffects = std::make_unique<CTrackEffectsDialog>(*m_answers, m_effects);
    m_trackEffects->Open(m_view->GetState().GetTrack(row));
    PrintTrackEffects();
}

void EditScript::TrackEffect(const Words& words) {
    if (words.size() < 2) throw ScriptError("usage: track-effect add|select|slide|position|remove|list|ok|cancel ...");
    if (!m_trackEffects || !m_trackEffects->IsOpen()) throw ScriptError("no track effects dialog is open (track-effects TRACK)");
    CTrackEffectsDialog& dialog = *m_trackEffects;
    const std::string& verb = words[1];
    if (verb == "add") {
        Expect(words, 3, 3, "track-effect add EFFECT PARAMETER");
        if (!dialog.Add(words[2], words[3]) && !m_effects->FindEffect(words[2].c_str()))
            m_out << "track-effect: no effect type \"" << words[2] << "\" is registered\n";
    } else if (verb == "select") {
        Expect(words, 2, 2, "track-effect select ROW");
        dialog.SelectRow(Whole(words[2], "a row") - 1);
    } else if (verb == "slide") {
        Expect(words, 2, 2, "track-effect slide STEPS");
        dialog.MoveSlider(Whole(words[2], "steps"));
    } else if (verb == "position") {
        Expect(words, 2, 2, "track-effect position N");
        dialog.MoveSlider(Whole(words[2], "a position") - dialog.GetSliderPosition());
    } else if (verb == "remove") {
        Expect(words, 1, 1, "track-effect remove");
        dialog.Remove();
    } else if (verb == "list") {
        Expect(words, 1, 1, "track-effect list");
    } else if (verb == "ok" || verb == "cancel") {
        Expect(words, 1, 1, "track-effect ok|cancel");
        CTrack* track = dialog.GetTrack();
        if (verb == "ok") dialog.Ok(); else dialog.Cancel();
        m_view->OnTrackChanged(track);
        m_out << "track-effect: " << (verb == "ok" ? "installed" : "cancelled") << "\n";
        return;
    } else {
        throw ScriptError("usage: track-effect add|select|slide|position|remove|list|ok|cancel ...");
    }
    PrintTrackEffects();
}

void EditScript::Answer(const Words& words) {
    Expect(words, 1, 1, "answer ok|cancel|yes|no");
    static const std::map<std::string, MessageAnswer> answers = {
        {"ok", MessageAnswer::Ok}, {"cancel", MessageAnswer::Cancel}, {"yes", MessageAnswer::Yes}, {"no", MessageAnswer::No}};
    auto answer = answers.find(words[1]);
    if (answer == answers.end()) throw ScriptError("usage: answer ok|cancel|yes|no");
    m_answers->Queue(answer->second);
}

void EditScript::Show(const Words& words) {
    Expect(words, 0, 0, "show");
    const CMusicSet& set = m_view->GetSet();
    for (int32_t t = 0; t < set.GetTracks().GetCount(); ++t) {
        const CTrack& track = *set.GetTrack(t);
        m_out << "track " << t << " \"" << track.GetName() << "\"\n";
        std::lock_guard lock(track.GetEvents().Lock());
        for (auto* n = track.GetEvents().GetHead(); n; n = n->GetNext())
            m_out << "  " << Describe(*n->GetItem(), set.GetSampleRate()) << "\n";
    }
}

void EditScript::Status(const Words& words) {
    Expect(words, 0, 0, "status");
    SetEditorState& state = m_view->GetState();
    m_out << "markers " << Format("%.6f", state.GetLeftMarker()) << " s (" << state.GetLeftPosition() << ") to "
          << Format("%.6f", state.GetRightMarker()) << " s (" << state.GetRightPosition() << ")\n";
    m_out << "selected track " << state.GetSelectedTrack() << "\n";
    for (int32_t t = 0; t < state.GetTrackCount(); ++t) {
        if (state.GetSelection(t).empty()) continue;
        m_out << "track " << t << ": " << state.GetSelection(t).size() << " selected, current "
              << (state.GetCurrentEvent(t) ? Describe(*state.GetCurrentEvent(t), state.GetSampleRate()) : "none") << "\n";
    }
    if (state.GetLoop()) m_out << "loop " << state.GetLoop()->start << "-" << state.GetLoop()->end << "\n";
    const SnapGrid& grid = state.GetSnapGrid();
    m_out << "snap " << (grid.IsOff() ? std::string("off") : Format("%g", grid.GetFraction()) + " at " +
                                                                 Format("%.2f", grid.GetTempo()) + " bpm from " +
                                                                 Format("%.3f", grid.GetOrigin()) + " s")
          << "\n";
    m_out << "history " << state.GetHistory().GetRecords().GetCount() << " records"
          << (m_view->GetSet().IsModified() ? ", modified" : "") << "\n";
}

void EditScript::Save(const Words& words) {
    Expect(words, 0, 1, "save [PATH]");
    const bool saved = words.size() == 2 ? m_document->SaveAsPath(words[1]) : m_document->Save();
    if (saved) {
        m_view->SetPath(m_document->GetPath());
        m_out << "saved " << m_document->GetPath() << "\n";
    }
}

void EditScript::Quit(const Words& words) {
    Expect(words, 0, 0, "quit");
    // A set with changes asks whether to save, as closing the editor does.
    if (m_document->Close()) {
        m_quit = true;
        return;
    }
    m_out << "quit: the set stays open\n";
}

}  // namespace vantor

#pragma once

#include <functional>
#include <string>
#include <vector>

#include "editing/event_drag.h"
#include "model/set_history.h"
#include "model/track.h"
#include "platform/user_interface.h"

namespace vantor {

class CMusicDatabase;

// What the set editor hands an event editor when it opens.
struct EventEditorParameters {
    std::string title;  // "Tempo", or "Track <number>"
    CTrack* track = nullptr;
    int32_t trackIndex = 0;
    CEvent* currentEvent = nullptr;  // selected first; may be null
    CSetHistory* history = nullptr;
};

// The event editor without its window: the events of one track as list rows
// with their numbers, the edit fields of the selected row, scrolling, and the
// commands Update Event, Delete Event and Clear Track, each recorded in the
// set editor's history. After a change it tells the other windows that the
// track changed (through the listener the window registry connects).
class CEventEditorView {
public:
    struct Column {
        std::string name;
        int widthPercent;
    };
    struct Row {
        RefPtr<CEvent> event;
        std::vector<std::string> cells;
    };

    CEventEditorView(IUserInterface& ui, CMusicDatabase* database, int visibleRows = 16);
    ~CEventEditorView() { Close(); }
    CEventEditorView(const CEventEditorView&) = delete;
    CEventEditorView& operator=(const CEventEditorView&) = delete;

    // Builds the columns for the track's mode, fills the list from the
    // current event's row and selects it. False without a track or history.
    bool Open(const EventEditorParameters& parameters);
    // Releases the rows, the track and the history.
    void Close();
    bool IsOpen() const { return m_track != nullptr; }

    // "Event Editor - <title>"
    std::string GetTitle() const { return "Event Editor - " + m_title; }
    CTrack* GetTrack() const { return m_track.get(); }
    // Tempo mode when the track's first event is a tempo change.
    bool IsTempoMode() const { return m_tempoMode; }
    const std::vector<Column>& GetColumns() const { return m_columns; }
    // The value field's label: "Tempo:" in tempo mode, where the end and name
    // fields are hidden.
    std::string GetValueLabel() const { return m_tempoMode ? "Tempo:" : "End:"; }
    bool ShowsEndAndName() const { return !m_tempoMode; }

    const std::vector<Row>& GetRows() const { return m_rows; }
    int GetTopRow() const { return m_top; }
    int GetScrollLimit() const;
    int GetVisibleRows() const { return m_visibleRows; }
    // Index of the selected row among the rows shown, or -1.
    int GetSelectedRow() const;
    CEvent* GetSelectedEvent() const { return m_selected.get(); }
    // Copies the row's values into the edit fields.
    void SelectRow(int row);

    // Edit fields as the user typed them; text that is no number reads as 0.
    const std::string& GetStartField() const { return m_start; }
    const std::string& GetEndField() const { return m_end; }
    const std::string& GetNameField() const { return m_name; }
    const std::string& GetTempoField() const { return m_tempo; }
    const std::string& GetSongTitleField() const { return m_songTitle; }
    void SetStartField(std::string text) { m_start = std::move(text); }
    void SetEndField(std::string text) { m_end = std::move(text); }
    void SetNameField(std::string text) { m_name = std::move(text); }
    void SetTempoField(std::string text) { m_tempo = std::move(text); }

    // Scrolling: the top row stays within 0 .. events - visible rows.
    void LineUp() { ScrollTo(m_top - 1); }
    void LineDown() { ScrollTo(m_top + 1); }
    void PageUp() { ScrollTo(m_top - m_visibleRows); }
    void PageDown() { ScrollTo(m_top + m_visibleRows); }
    void ThumbTrack(int top) { ScrollTo(top); }
    void ScrollTop() { ScrollTo(0); }
    void ScrollBottom() { ScrollTo(GetScrollLimit()); }

    // The commands; with no row selected Update and Delete do nothing.
    void UpdateEvent();
    void DeleteEvent();
    void ClearTrack();

    // Gaining the focus refills the list; so does a track-changed
    // notification for the track shown.
    void OnFocus() { Fill(); }
    void OnTrackChanged(const CTrack* track);
    void SetTrackChangedListener(std::function<void(CTrack*)> listener) { m_trackChanged = std::move(listener); }

    // Whole numbers of the fields: anything but digits reads as 0, values
    // beyond the timeline stop at its end.
    static int64_t ParseWhole(const std::string& text);
    static double ParseReal(const std::string& text);

private:
    void Fill();
    void ScrollTo(int top);
    std::vector<std::string> Cells(const CEvent& event) const;
    std::string SongTitle(const CEvent& event) const;
    void Changed();

    IUserInterface& m_ui;
    CMusicDatabase* m_database;
    int m_visibleRows;
    std::string m_title;
    RefPtr<CTrack> m_track;
    int32_t m_trackIndex = 0;
    RefPtr<CSetHistory> m_history;
    bool m_tempoMode = false;
    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    int m_top = 0;
    RefPtr<CEvent> m_selected;
    std::string m_start, m_end, m_name, m_tempo, m_songTitle;
    std::function<void(CTrack*)> m_trackChanged;
};

}  // namespace vantor

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editing/set_editor_state.h"

namespace vantor {

// The length in frames of a song's wave file, found by its key; nothing when
// the song or its file is unknown.
using SongLengthLookup = std::function<std::optional<int64_t>(const std::string& songKey)>;

// What a press in a track row takes hold of.
enum class DragKind {
    None,
    Move,    // the row's selected segments move together
    Start,   // a segment's left edge: position and source start
    End,     // a segment's right edge: source end
    Repeat,  // a segment's right edge with Ctrl: copies of it follow it
    Tempo,   // the right edge of a tempo event: the next tempo event moves
};

struct DragHit {
    DragKind kind = DragKind::None;
    CEvent* event = nullptr;  // the event pressed
    CEvent* moved = nullptr;  // the event whose edge moves (for Tempo the next tempo event)
};

// Dragging events in one track row. The drag is one history group: every
// copy a repeat inserts is recorded when it is made, every changed event as
// a replace of the copy taken at the press when the drag ends.
//
// No drag creates an overlap. A moved group is limited as a whole: it stops
// at 0 and one frame clear of every event that is not part of it; an edge
// stops one frame before the neighbour it would reach; each new span is
// checked against every segment of the track, and a copy is inserted only
// where it fits.
class EventDrag {
public:
    // The most copies one repeat drag inserts.
    static constexpr int kMaxRepeats = 4096;

    EventDrag(SetEditorState& state, SongLengthLookup songLength)
        : m_state(state), m_songLength(std::move(songLength)) {}
    ~EventDrag() { End(); }
    EventDrag(const EventDrag&) = delete;
    EventDrag& operator=(const EventDrag&) = delete;

    // What a press at the position takes hold of; tolerance is the number of
    // frames within which an edge counts as hit (one pixel).
    DragHit Hit(int32_t track, int32_t position, int32_t tolerance, bool ctrl) const;

    // Starts the drag of the hit in the track. For a move the row's selected
    // segments go with the pressed one (the caller has selected it).
    void Begin(int32_t track, const DragHit& hit);
    bool IsActive() const { return m_kind != DragKind::None; }
    DragKind GetKind() const { return m_kind; }
    // Where the dragged edge was at the press.
    int32_t GetEdgeAtPress() const { return m_edgeAtPress; }
    // Takes the dragged edge towards the position, as far as the rules allow.
    void MoveTo(int64_t position);
    // Records the changes and closes the group.
    void End();

private:
    struct Held {
        RefPtr<CEvent> event;
        RefPtr<CEvent> copy;  // as it was at the press
    };

    void MoveGroup(int64_t position);
    void DragStart(int64_t position);
    void DragEnd(int64_t position);
    void Repeat(int64_t position);
    void DragTempo(int64_t position);
    CTrack& Track() const { return *m_state.GetTrack(m_track); }

    SetEditorState& m_state;
    SongLengthLookup m_songLength;
    DragKind m_kind = DragKind::None;
    int32_t m_track = 0;
    int32_t m_edgeAtPress = 0;
    std::vector<Held> m_held;  // the dragged event first
    // Move: the limits of the group's shift.
    int64_t m_minShift = 0;
    int64_t m_maxShift = 0;
    // Start and end drags: the neighbours' limits and the song's length.
    int64_t m_lowLimit = 0;
    int64_t m_highLimit = 0;
    std::optional<int64_t> m_songFrames;
    // Repeat: the last copy made, and how many.
    RefPtr<CEvent> m_tail;
    int m_repeats = 0;
};

}  // namespace vantor

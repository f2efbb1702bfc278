#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "config/configuration.h"
#include "editing/snap_grid.h"
#include "model/music_set.h"
#include "model/ref_ptr.h"
#include "model/set_history.h"

namespace vantor {

// A segment event of an audio track found at a position.
struct SegmentAt {
    int32_t track = -1;
    CEvent* event = nullptr;
};

// A loop range of the editor: frames [start, end].
struct LoopRange {
    int32_t start = 0;
    int32_t end = 0;
};

// What every command of one set editor shares: the set, its undo history,
// the markers, the selected track, the selection of each track with its
// current event, the loop range, the snap grid, and the rows that need
// repainting. It also answers the questions the commands ask of the
// timeline: the tempo in effect, the event at a position, the segments at a
// position. Selections hold the events themselves (with a reference), so a
// node that moves in its list stays selected.
class SetEditorState {
public:
    static constexpr int32_t kNoTrack = -1;

    // Opens on the set with an empty history, both markers at the given
    // times, no selection and the bar as the snap grid. The configuration
    // gives the default tempo and the reference point of normalization.
    SetEditorState(CMusicSet* set, const CConfiguration& config, double leftMarker = 0.0, double rightMarker = 0.0);

    CMusicSet& GetSet() const { return *m_set; }
    CSetHistory& GetHistory() const { return *m_history; }
    double GetDefaultTempo() const { return m_defaultTempo; }
    double GetReferencePoint() const { return m_referencePoint; }
    int32_t GetSampleRate() const { return m_set->GetSampleRate(); }
    int32_t GetTrackCount() const { return m_set->GetTracks().GetCount(); }
    CTrack* GetTrack(int32_t index) const { return m_set->GetTrack(index); }
    bool IsAudioTrack(int32_t index) const { return index >= 1 && index < GetTrackCount(); }

    // Markers are seconds from the start of the set; values that are not
    // finite or below 0 read as 0.
    double GetLeftMarker() const { return m_leftMarker; }
    double GetRightMarker() const { return m_rightMarker; }
    void SetLeftMarker(double seconds);
    void SetRightMarker(double seconds);
    // (int)(sample rate x seconds), truncated, held inside 0 .. INT32_MAX.
    int32_t ToPosition(double seconds) const;
    int32_t GetLeftPosition() const { return ToPosition(m_leftMarker); }
    int32_t GetRightPosition() const { return ToPosition(m_rightMarker); }

    int32_t GetSelectedTrack() const { return m_selectedTrack; }
    // An index outside the set selects no track.
    void SetSelectedTrack(int32_t index);

    // Selection.
    const std::vector<RefPtr<CEvent>>& GetSelection(int32_t track) const;
    CEvent* GetCurrentEvent(int32_t track) const;
    bool IsSelected(int32_t track, const CEvent* event) const;
    // Clears every row; the event becomes the only selected one and the
    // current event of its track.
    void SelectOnly(int32_t track, CEvent* event);
    // Adds the event to its row's selection (and makes it current), or
    // removes it when it is selected already.
    void ToggleSelected(int32_t track, CEvent* event);
    void ClearSelection(int32_t track);
    void ClearSelections();
    // Forgets an event that left its track.
    void Deselect(int32_t track, const CEvent* event);
    // The first track, from 0 up, whose current event is set; kNoTrack.
    int32_t FirstTrackWithSelection() const;
    // The same among the audio tracks.
    int32_t FirstAudioTrackWithSelection() const;

    const std::optional<LoopRange>& GetLoop() const { return m_loop; }
    void SetLoop(LoopRange loop) { m_loop = loop; }
    SnapGrid& GetSnapGrid() { return m_snap; }
    const SnapGrid& GetSnapGrid() const { return m_snap; }

    // Derived values.
    double TempoAt(int32_t position) const;
    // The first event of the track that covers the position: a segment its
    // timeline span, a tempo change up to the next tempo change or, for the
    // last one, to the end of the set. Null when none does.
    CEvent* EventAt(int32_t track, int32_t position) const;
    // The segment events at the position in every audio track.
    std::vector<SegmentAt> SegmentsAt(int32_t position) const;
    // The frame after the last segment of the set.
    int64_t GetSetEnd() const;

    // Rows marked for repainting since the last TakeRepaint.
    void MarkRepaint(int32_t track) { m_repaint.insert(track); }
    void MarkAllRepaint();
    std::set<int32_t> TakeRepaint();

private:
    struct TrackSelection {
        std::vector<RefPtr<CEvent>> selected;
        RefPtr<CEvent> current;
    };
    TrackSelection* Selection(int32_t track);
    const TrackSelection* Selection(int32_t track) const;

    RefPtr<CMusicSet> m_set;
    RefPtr<CSetHistory> m_history;
    double m_defaultTempo;
    double m_referencePoint;
    double m_leftMarker = 0.0;
    double m_rightMarker = 0.0;
    int32_t m_selectedTrack = kNoTrack;
    std::vector<TrackSelection> m_selection;
    std::optional<LoopRange> m_loop;
    SnapGrid m_snap;
    std::set<int32_t> m_repaint;
};

}  // namespace vantor

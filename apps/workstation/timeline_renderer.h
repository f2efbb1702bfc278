#pragma once

#include <QPainter>
#include <QRect>

#include "views/music_set_view.h"

namespace vantor {
class CEffectManagerImpl;
class CEvent;
}  // namespace vantor

namespace vantor::gui {

class SegmentWaveforms;

// Draws a set editor's timeline for a clip rectangle: the ruler in bars and
// seconds, the row headers, the tempo row, each segment as its waveform with
// its name and effect envelopes, pending edits in their own colour, the
// selection, the loop range, both markers and the play cursor. It reads the
// view's state and changes nothing.
class TimelineRenderer {
public:
    static constexpr int kHeaderWidth = 110;
    static constexpr int kRulerHeight = 34;
    static constexpr int kTempoRowHeight = 26;
    static constexpr int kAudioRowHeight = 70;

    TimelineRenderer(CMusicSetView& view, SegmentWaveforms& waveforms, CEffectManagerImpl* effects)
        : m_view(view), m_waveforms(waveforms), m_effects(effects) {}

    // The geometry of a widget of that size at the zoom and start time.
    TimelineGeometry Geometry(double startTime, double secondsPerPixel) const;
    // playCursor: seconds, or below 0 when nothing plays.
    void Paint(QPainter& painter, const QRect& clip, const QSize& size, const TimelineGeometry& geometry,
               double playCursor) const;

private:
    void PaintRuler(QPainter& painter, const QRect& clip, const QSize& size, const TimelineGeometry& g) const;
    void PaintHeaders(QPainter& painter, const QRect& clip, const TimelineGeometry& g) const;
    void PaintTempoRow(QPainter& painter, const QRect& clip, const QSize& size, const TimelineGeometry& g,
                       int64_t setEnd) const;
    void PaintAudioRow(QPainter& painter, const QRect& clip, const QSize& size, const TimelineGeometry& g,
                       int32_t row) const;
    struct RowPaint;
    void GatherSegment(RowPaint& paint, const QRect& clip, const TimelineGeometry& g, const QRect& box,
                       const CEvent& event, bool selected) const;
    void GatherEnvelopes(RowPaint& paint, const QRect& box, const TimelineGeometry& g, const CEvent& event) const;
    void PaintMarkers(QPainter& painter, const QRect& clip, const QSize& size, const TimelineGeometry& g,
                      double playCursor) const;
    // The x of a timeline frame, held to a range a painter can take.
    int XOfFrame(const TimelineGeometry& g, double frame) const;

    CMusicSetView& m_view;
    SegmentWaveforms& m_waveforms;
    CEffectManagerImpl* m_effects;
};

}  // namespace vantor::gui

#pragma once

#include <QWidget>
#include <functional>

#include "segment_waveforms.h"
#include "timeline_renderer.h"
#include "views/music_set_view.h"

namespace vantor::gui {

// The set editor's timeline: draws the view through the renderer and hands
// it the mouse. A click in the ruler places the left marker (the right
// marker with the right button or Shift); the wheel scrolls, with Ctrl it
// zooms about the mouse, as do the keys + and -; with Shift, and the keys
// Page Up and Page Down, it scrolls the rows. Segment designs dropped
// on it (from the desktop's drag, as the clipboard's record) are inserted
// where they land. After every change only the rows the view names and the
// stripes of the markers and cursor that moved are repainted.
class SetTimelineWidget : public QWidget {
public:
    static constexpr double kFinestScale = 0.0005;  // seconds per pixel

    SetTimelineWidget(CMusicSetView& view, CMusicDatabase* database, CEffectManagerImpl* effects,
                      QWidget* parent = nullptr);

    TimelineGeometry Geometry() const;
    double Scale() const { return m_scale; }
    // Zoom about the x (the track area's middle when below 0).
    void SetScale(double secondsPerPixel, int aboutX = -1);
    void ZoomIn() { SetScale(m_scale / 2); }
    void ZoomOut() { SetScale(m_scale * 2); }
    // The whole set in the width: the widest zoom.
    void ShowWhole();
    double WidestScale() const;
    void ScrollTo(double seconds);
    // Rows that do not fit the height scroll up under the ruler, which stays.
    void ScrollRowsTo(int pixels);
    int RowScroll() const { return m_rowScroll; }
    // How far the rows can scroll: 0 while every row fits.
    int RowScrollRange() const;
    // Seconds of the timeline the track area shows.
    double VisibleSeconds() const;
    // The set's length in seconds, at least a minute.
    double SetSeconds() const;

    // Below 0 while nothing plays.
    void SetPlayCursor(double seconds);
    double PlayCursor() const { return m_cursor; }

    // A segment design dropped at a point of this widget.
    bool DropDesign(const CSegmentDesign& design, const QPoint& at);
    // Repaints what the view marked since the last call, and the markers.
    void RepaintChanges();
    // The renderer draws into any painter: the benchmark's image as well.
    void Render(QPainter& painter, const QRect& clip) const;
    SegmentWaveforms& Waveforms() { return m_waveforms; }
    // Wide enough for a few minutes, high enough for every row.
    QSize sizeHint() const override;

    // Told after every change the widget made through the view (selection,
    // edits, markers) and after zoom or scroll.
    std::function<void()> onChanged;
    std::function<void()> onViewMoved;
    // A right click on a segment, which it selected first: the point on the screen.
    std::function<void(const QPoint& global)> onContextMenu;
    // A double click on a segment, which the first click selected.
    std::function<void()> onSegmentDoubleClicked;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;

private:
    void RepaintColumn(double seconds);
    void Changed();
    QString ToolTipAt(const QPoint& at) const;
    // A segment of an audio row under the point becomes selected as by a
    // plain click; false when there is none.
    bool SelectSegmentAt(const QPoint& at);

    CMusicSetView& m_view;
    SegmentWaveforms m_waveforms;
    TimelineRenderer m_renderer;
    double m_scale = 0.0;  // 0 until the first layout
    int m_rowScroll = 0;
    double m_cursor = -1.0;
    double m_shownLeft = -1.0;
    double m_shownRight = -1.0;
    bool m_pressed = false;
};

}  // namespace vantor::gui

#include "set_timeline_widget.h"

#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/event.h"
#include "model/memory_istream.h"
#include "model/segment.h"
#include "model/segment_design.h"
#include "model/set_clipboard.h"
#include "model/tempo_change.h"
#include "system_clipboard.h"

namespace vantor::gui {

namespace {
QString DesignMimeType() { return QString::fromStdString(SystemClipboard::MimeTypeOf(kSegmentDesignFormat)); }
}  // namespace

SetTimelineWidget::SetTimelineWidget(CMusicSetView& view, CMusicDatabase* database, CEffectManagerImpl* effects,
                                     QWidget* parent)
    : QWidget(parent), m_view(view), m_waveforms(database), m_renderer(view, m_waveforms, effects) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // The ruler, the tempo row and one track at least.
    setMinimumSize(400, TimelineRenderer::kRulerHeight + TimelineRenderer::kTempoRowHeight +
                            TimelineRenderer::kAudioRowHeight);
}

TimelineGeometry SetTimelineWidget::Geometry() const {
    TimelineGeometry geometry = m_renderer.Geometry(m_view.GetViewStartTime(), m_scale);
    geometry.rowScroll = m_rowScroll;
    return geometry;
}

int SetTimelineWidget::RowScrollRange() const {
    const TimelineGeometry g = m_renderer.Geometry(0, 1);
    return std::max(0, g.RowTop(static_cast<int>(g.rowHeights.size())) - height());
}

void SetTimelineWidget::ScrollRowsTo(int pixels) {
    const int scroll = std::clamp(pixels, 0, RowScrollRange());
    if (scroll != m_rowScroll) {
        m_rowScroll = scroll;
        update();
    }
    if (onViewMoved) onViewMoved();
}

QSize SetTimelineWidget::sizeHint() const {
    const TimelineGeometry g = m_renderer.Geometry(0, 1);
    return {1000, g.RowTop(static_cast<int>(g.rowHeights.size())) + 8};
}

double SetTimelineWidget::SetSeconds() const {
    const int32_t rate = m_view.GetState().GetSampleRate();
    const double end = rate > 0 ? static_cast<double>(m_view.GetState().GetSetEnd()) / rate : 0.0;
    return std::max(60.0, end);
}

double SetTimelineWidget::WidestScale() const {
    const int width = std::max(1, this->width() - TimelineRenderer::kHeaderWidth);
    return std::max(kFinestScale, SetSeconds() * 1.02 / width);
}

double SetTimelineWidget::VisibleSeconds() const {
    return std::max(0, width() - TimelineRenderer::kHeaderWidth) * m_scale;
}

void SetTimelineWidget::SetScale(double secondsPerPixel, int aboutX) {
    if (!std::isfinite(secondsPerPixel) || secondsPerPixel <= 0) return;
    const int left = TimelineRenderer::kHeaderWidth;
    if (aboutX < left) aboutX = left + std::max(0, width() - left) / 2;
    // The time under the x stays where it is.
    const double anchor = m_view.GetViewStartTime() + (aboutX - left) * m_scale;
    m_scale = std::clamp(secondsPerPixel, kFinestScale, WidestScale());
    m_view.SetViewStartTime(anchor - (aboutX - left) * m_scale);
    ScrollTo(m_view.GetViewStartTime());
}

void SetTimelineWidget::ShowWhole() {
    m_scale = WidestScale();
    ScrollTo(0);
}

void SetTimelineWidget::ScrollTo(double seconds) {
    const double last = std::max(0.0, SetSeconds() - VisibleSeconds() * 0.5);
    m_view.SetViewStartTime(std::clamp(std::isfinite(seconds) ? seconds : 0.0, 0.0, last));
    update();
    if (onViewMoved) onViewMoved();
}

void SetTimelineWidget::SetPlayCursor(double seconds) {
    if (seconds == m_cursor) return;
    RepaintColumn(m_cursor);
    m_cursor = seconds;
    RepaintColumn(m_cursor);
}

void SetTimelineWidget::RepaintColumn(double seconds) {
    if (seconds < 0 || m_scale <= 0) return;
    const int x = Geometry().XAt(seconds);
    if (x < TimelineRenderer::kHeaderWidth - 10 || x > width() + 10) return;
    update(QRect(x - 9, 0, 19, height()));
}

void SetTimelineWidget::RepaintChanges() {
    const TimelineGeometry g = Geometry();
    for (int32_t row : m_view.TakeRepaintRows()) {
        if (row < 0 || row >= static_cast<int32_t>(g.rowHeights.size())) continue;
        update(QRect(0, g.RowTop(row), width(), g.rowHeights[static_cast<size_t>(row)]));
    }
    // The tempo shown above the headers follows the selection.
    update(QRect(0, 0, TimelineRenderer::kHeaderWidth, TimelineRenderer::kRulerHeight));
    const SetEditorState& state = m_view.GetState();
    if (state.GetLeftMarker() != m_shownLeft || state.GetRightMarker() != m_shownRight) {
        RepaintColumn(m_shownLeft);
        RepaintColumn(m_shownRight);
        m_shownLeft = state.GetLeftMarker();
        m_shownRight = state.GetRightMarker();
        RepaintColumn(m_shownLeft);
        RepaintColumn(m_shownRight);
    }
}

void SetTimelineWidget::Changed() {
    RepaintChanges();
    if (onChanged) onChanged();
}

void SetTimelineWidget::Render(QPainter& painter, const QRect& clip) const {
    m_renderer.Paint(painter, clip, size(), Geometry(), m_cursor);
}

void SetTimelineWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    Render(painter, event->rect());
}

void SetTimelineWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_rowScroll = std::clamp(m_rowScroll, 0, RowScrollRange());
    if (m_scale <= 0)
        ShowWhole();
    else
        SetScale(m_scale);
}

bool SetTimelineWidget::DropDesign(const CSegmentDesign& design, const QPoint& at) {
    const bool inserted = m_view.DropSegment(design, at.x(), at.y(), Geometry());
    // A new song may have had its summary built just now.
    if (inserted) m_waveforms.Clear();
    Changed();
    return inserted;
}

void SetTimelineWidget::mousePressEvent(QMouseEvent* event) {
    setFocus();
    const QPoint at = event->position().toPoint();
    const TimelineGeometry g = Geometry();
    if (at.y() < g.trackAreaTop && at.x() >= g.trackAreaLeft) {
        const double seconds = std::max(0.0, g.TimeAt(at.x()));
        if (event->button() == Qt::RightButton || (event->modifiers() & Qt::ShiftModifier))
            m_view.GetState().SetRightMarker(seconds);
        else
            m_view.GetState().SetLeftMarker(seconds);
        Changed();
        return;
    }
    if (event->button() == Qt::RightButton) {
        // A right click selects the segment under it as a plain click would, then offers its menu.
        if (SelectSegmentAt(at) && onContextMenu) onContextMenu(mapToGlobal(at));
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    m_pressed = true;
    m_view.MousePress(at.x(), at.y(), g, (event->modifiers() & Qt::ControlModifier) != 0);
    Changed();
}

void SetTimelineWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !SelectSegmentAt(event->position().toPoint())) {
        mousePressEvent(event);
        return;
    }
    if (onSegmentDoubleClicked) onSegmentDoubleClicked();
}

bool SetTimelineWidget::SelectSegmentAt(const QPoint& at) {
    const TimelineGeometry g = Geometry();
    if (g.RowAt(at.y()) < 1 || m_view.HitAt(at.x(), at.y(), g, false) == DragKind::None) return false;
    m_view.MousePress(at.x(), at.y(), g, false);
    m_view.MouseRelease(at.x(), at.y());
    Changed();
    return true;
}

void SetTimelineWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_pressed && m_view.IsDragging()) {
        m_view.MouseMove(at.x(), at.y());
        RepaintChanges();
        return;
    }
    switch (m_view.HitAt(at.x(), at.y(), Geometry(), (event->modifiers() & Qt::ControlModifier) != 0)) {
        case DragKind::Start:
        case DragKind::End:
        case DragKind::Repeat:
        case DragKind::Tempo: setCursor(Qt::SizeHorCursor); break;
        default: unsetCursor(); break;
    }
}

void SetTimelineWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_pressed) return;
    m_pressed = false;
    const QPoint at = event->position().toPoint();
    m_view.MouseRelease(at.x(), at.y());
    Changed();
}

void SetTimelineWidget::wheelEvent(QWheelEvent* event) {
    // Some platforms turn a wheel held with Shift into a sideways one.
    const QPoint delta = event->angleDelta();
    const int steps = (delta.y() != 0 ? delta.y() : delta.x()) / 120;
    if (steps == 0) return;
    if (event->modifiers() & Qt::ControlModifier) {
        SetScale(m_scale * std::pow(2.0, -steps), static_cast<int>(event->position().x()));
    } else if (event->modifiers() & Qt::ShiftModifier) {
        ScrollRowsTo(m_rowScroll - steps * TimelineRenderer::kAudioRowHeight);
    } else {
        ScrollTo(m_view.GetViewStartTime() - steps * VisibleSeconds() / 8);
    }
    event->accept();
}

void SetTimelineWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal: ZoomIn(); break;
        case Qt::Key_Minus: ZoomOut(); break;
        case Qt::Key_Left: ScrollTo(m_view.GetViewStartTime() - VisibleSeconds() / 8); break;
        case Qt::Key_Right: ScrollTo(m_view.GetViewStartTime() + VisibleSeconds() / 8); break;
        case Qt::Key_Home: ScrollTo(0); break;
        case Qt::Key_End: ScrollTo(SetSeconds() - VisibleSeconds()); break;
        case Qt::Key_PageUp: ScrollRowsTo(m_rowScroll - (height() - TimelineRenderer::kRulerHeight)); break;
        case Qt::Key_PageDown: ScrollRowsTo(m_rowScroll + (height() - TimelineRenderer::kRulerHeight)); break;
        default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void SetTimelineWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(DesignMimeType())) event->acceptProposedAction();
}

void SetTimelineWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(DesignMimeType())) event->acceptProposedAction();
}

void SetTimelineWidget::dropEvent(QDropEvent* event) {
    const QByteArray bytes = event->mimeData()->data(DesignMimeType());
    if (bytes.isEmpty()) return;
    auto design = MakeRef<CSegmentDesign>();
    CMemoryIStream in(bytes.constData(), static_cast<int32_t>(bytes.size()));
    design->Deserialize(in);
    // A record cut short or damaged on the way is no design.
    if (in.IsDamaged() || in.RanShort() || !design->GetSegment()) return;
    event->acceptProposedAction();
    DropDesign(*design, event->position().toPoint());
}

QString SetTimelineWidget::ToolTipAt(const QPoint& at) const {
    const TimelineGeometry g = Geometry();
    const int row = g.RowAt(at.y());
    const SetEditorState& state = m_view.GetState();
    if (at.x() < g.trackAreaLeft || row < 0 || row >= state.GetTrackCount()) return {};
    const CEvent* event = state.EventAt(row, state.ToPosition(g.TimeAt(at.x())));
    if (!event) return {};
    char text[600];
    if (const CTempoChange* tempo = event->GetTempoChange()) {
        std::snprintf(text, sizeof text, "Tempo: %.2f", tempo->GetTempo());
        return QString::fromUtf8(text);
    }
    const CSegmentDesign* design = event->GetSegment();
    if (!design || !design->GetSegment()) return {};
    const CSegment& segment = *design->GetSegment();
    std::snprintf(text, sizeof text, "%s\nSong: %s\nTempo: %.2f\nRatio: %.4f", design->GetName(),
                  *segment.GetSongTitle() ? segment.GetSongTitle() : segment.GetSongKey(), design->GetTempo(),
                  segment.GetRatio());
    return QString::fromUtf8(text);
}

bool SetTimelineWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = ToolTipAt(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}

}  // namespace vantor::gui

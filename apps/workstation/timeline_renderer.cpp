#include "timeline_renderer.h"

#include <QLineF>
#include <QVector>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <mutex>
#include <vector>

#include "editing/effect_levels.h"
#include "engine/effect_manager_impl.h"
#include "model/effect_profile.h"
#include "model/event.h"
#include "model/segment.h"
#include "model/segment_design.h"
#include "model/tempo_change.h"
#include "model/track.h"
#include "segment_waveforms.h"

namespace vantor::gui {

namespace {

const QColor kBackground(22, 24, 29);
const QColor kRowBackground(27, 30, 36);
const QColor kSelectedRowBackground(33, 37, 46);
const QColor kGridLine(44, 48, 58);
const QColor kText(214, 218, 226);
const QColor kDimText(140, 146, 158);
const QColor kSegmentFill(36, 50, 66);
const QColor kSegmentBorder(70, 96, 124);
const QColor kSelectedFill(48, 74, 112);
const QColor kSelectedBorder(130, 190, 255);
const QColor kPendingFill(74, 56, 30);
const QColor kPendingBorder(255, 176, 60);
const QColor kWave(64, 200, 220);
const QColor kPendingWave(255, 196, 110);
const QColor kLeftMarker(80, 230, 110);
const QColor kRightMarker(240, 84, 84);
const QColor kLoop(90, 130, 255, 46);
const QColor kCursor(250, 250, 250);
const QColor kEnvelopes[] = {QColor(255, 120, 200), QColor(250, 230, 90), QColor(150, 255, 140), QColor(190, 150, 255)};

// The rate of the set, or the usual one for a set that states none.
double RateOf(CMusicSetView& view) {
    const int32_t rate = view.GetState().GetSampleRate();
    return rate > 0 ? rate : 44100.0;
}

QString Clock(double seconds) {
    const auto whole = static_cast<long long>(std::floor(seconds + 1e-9));
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return QString::fromLatin1(text);
}

}  // namespace

TimelineGeometry TimelineRenderer::Geometry(double startTime, double secondsPerPixel) const {
    TimelineGeometry geometry;
    geometry.startTime = startTime;
    geometry.secondsPerPixel = secondsPerPixel;
    geometry.trackAreaLeft = kHeaderWidth;
    geometry.trackAreaTop = kRulerHeight;
    const int32_t tracks = m_view.GetState().GetTrackCount();
    for (int32_t t = 0; t < tracks; ++t) geometry.rowHeights.push_back(t == 0 ? kTempoRowHeight : kAudioRowHeight);
    return geometry;
}

int TimelineRenderer::XOfFrame(const TimelineGeometry& g, double frame) const {
    const double x = g.trackAreaLeft + (frame / RateOf(m_view) - g.startTime) / g.secondsPerPixel;
    return static_cast<int>(std::clamp(std::floor(x), -100000.0, 1000000.0));
}

void TimelineRenderer::Paint(QPainter& painter, const QRect& clip, const QSize& size, const TimelineGeometry& g,
                             double playCursor) const {
    if (!(g.secondsPerPixel > 0)) return;
    // The ruler, the headers and the rows fill their own boxes: only the
    // space below the last row is left to the background.
    const int rowsBottom = std::max(g.trackAreaTop, g.RowTop(static_cast<int>(g.rowHeights.size())));
    painter.fillRect(QRect(0, rowsBottom, size.width(), std::max(0, size.height() - rowsBottom)).intersected(clip),
                     kBackground);
    const int64_t setEnd = m_view.GetState().GetSetEnd();
    const QRect area(g.trackAreaLeft, g.trackAreaTop, std::max(0, size.width() - g.trackAreaLeft),
                     std::max(0, size.height() - g.trackAreaTop));
    if (clip.intersects(area)) {
        painter.save();
        painter.setClipRect(area.intersected(clip));
        const int32_t tracks = m_view.GetState().GetTrackCount();
        for (int32_t row = 0; row < tracks && row < static_cast<int32_t>(g.rowHeights.size()); ++row) {
            const QRect band(g.trackAreaLeft, g.RowTop(row), area.width(), g.rowHeights[static_cast<size_t>(row)]);
            if (!band.intersects(clip)) continue;
            if (row == 0)
                PaintTempoRow(painter, clip, size, g, setEnd);
            else
                PaintAudioRow(painter, clip, size, g, row);
        }
        painter.restore();
    }
    if (clip.top() < g.trackAreaTop) PaintRuler(painter, clip, size, g);
    if (clip.left() < g.trackAreaLeft) PaintHeaders(painter, clip, g);
    PaintMarkers(painter, clip, size, g, playCursor);
}

void TimelineRenderer::PaintRuler(QPainter& painter, const QRect& clip, const QSize& size,
                                  const TimelineGeometry& g) const {
    const QRect ruler(g.trackAreaLeft, 0, std::max(0, size.width() - g.trackAreaLeft), g.trackAreaTop);
    painter.save();
    painter.setClipRect(ruler.intersected(clip));
    painter.fillRect(ruler, QColor(30, 33, 40));
    const double rate = RateOf(m_view);
    const double visibleStart = g.startTime * rate;
    const double visibleEnd = (g.startTime + ruler.width() * g.secondsPerPixel) * rate;
    const int middle = g.trackAreaTop / 2;
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);

    // Bars: laid from each tempo event at its tempo and counted on across
    // the changes; the span before the first event runs at the default tempo.
    struct Span {
        double start;
        double tempo;
    };
    std::vector<Span> spans;
    const SetEditorState& state = m_view.GetState();
    if (CTrack* tempoTrack = state.GetTrack(0)) {
        std::lock_guard lock(tempoTrack->GetEvents().Lock());
        for (auto* n = tempoTrack->GetEvents().GetHead(); n; n = n->GetNext())
            if (const CTempoChange* tempo = n->GetItem()->GetTempoChange())
                spans.push_back({static_cast<double>(n->GetItem()->GetPosition()), tempo->GetTempo()});
    }
    if (spans.empty() || spans.front().start > 0) spans.insert(spans.begin(), {0.0, state.GetDefaultTempo()});
    double smallestBar = 1e300;
    for (const Span& span : spans)
        if (span.tempo > 0 && std::isfinite(span.tempo)) smallestBar = std::min(smallestBar, 240.0 / span.tempo * rate);
    const double barPixels = smallestBar / rate / g.secondsPerPixel;
    int64_t step = 1;
    while (static_cast<double>(step) * barPixels < 44 && step < (int64_t{1} << 40)) step *= 2;
    int64_t barsBefore = 0;
    for (size_t i = 0; i < spans.size(); ++i) {
        const double tempo = spans[i].tempo;
        if (!(tempo > 0) || !std::isfinite(tempo)) continue;
        const double bar = 240.0 / tempo * rate;
        const double start = spans[i].start;
        const double end = i + 1 < spans.size() ? spans[i + 1].start : std::max(visibleEnd, start) + bar;
        const auto bars = static_cast<int64_t>(std::ceil((end - start) / bar - 1e-9));
        if (start <= visibleEnd && end >= visibleStart) {
            int64_t k = std::max<int64_t>(0, static_cast<int64_t>(std::floor((visibleStart - start) / bar)));
            for (; k < bars && start + static_cast<double>(k) * bar <= visibleEnd; ++k) {
                const int64_t number = barsBefore + k + 1;
                const int x = XOfFrame(g, start + static_cast<double>(k) * bar);
                const bool labelled = (number - 1) % step == 0;
                if (!labelled && barPixels < 6) continue;
                painter.setPen(labelled ? kDimText : kGridLine);
                painter.drawLine(x, labelled ? 2 : middle - 5, x, middle);
                if (labelled) {
                    painter.setPen(kText);
                    painter.drawText(x + 3, middle - 4, QString::number(number));
                }
            }
        }
        barsBefore += std::max<int64_t>(0, bars);
    }

    // Seconds below the bars.
    static const double kSteps[] = {0.1, 0.25, 0.5, 1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200};
    double seconds = kSteps[std::size(kSteps) - 1];
    for (double candidate : kSteps)
        if (candidate / g.secondsPerPixel >= 64) {
            seconds = candidate;
            break;
        }
    painter.setPen(kGridLine);
    painter.drawLine(ruler.left(), middle, ruler.right(), middle);
    const double first = std::ceil(g.startTime / seconds) * seconds;
    for (double t = first; t <= visibleEnd / rate; t += seconds) {
        const int x = XOfFrame(g, t * rate);
        painter.setPen(kDimText);
        painter.drawLine(x, middle, x, middle + 5);
        painter.setPen(kDimText);
        painter.drawText(x + 3, g.trackAreaTop - 4,
                         seconds < 1 ? QString::number(t, 'f', 2) : Clock(t));
    }
    painter.restore();
}

void TimelineRenderer::PaintHeaders(QPainter& painter, const QRect& clip, const TimelineGeometry& g) const {
    painter.save();
    painter.setClipRect(QRect(0, 0, g.trackAreaLeft, 1 << 20).intersected(clip));
    painter.fillRect(QRect(0, 0, g.trackAreaLeft, g.trackAreaTop), QColor(30, 33, 40));
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(kDimText);
    char tempo[40];
    std::snprintf(tempo, sizeof tempo, "%.2f BPM", m_view.GetTempoDisplay());
    painter.drawText(QRect(6, 0, g.trackAreaLeft - 8, g.trackAreaTop), Qt::AlignVCenter | Qt::AlignLeft, tempo);
    // Rows scrolled up pass under the corner, as they pass under the ruler.
    painter.setClipRect(QRect(0, g.trackAreaTop, g.trackAreaLeft, 1 << 20).intersected(clip));
    const SetEditorState& state = m_view.GetState();
    for (int32_t row = 0; row < state.GetTrackCount() && row < static_cast<int32_t>(g.rowHeights.size()); ++row) {
        const QRect box(0, g.RowTop(row), g.trackAreaLeft, g.rowHeights[static_cast<size_t>(row)]);
        if (!box.intersects(clip)) continue;
        const bool selected = state.GetSelectedTrack() == row;
        painter.fillRect(box, selected ? QColor(52, 60, 76) : QColor(34, 37, 45));
        painter.setPen(kGridLine);
        painter.drawLine(box.bottomLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomRight());
        const CTrack* track = state.GetTrack(row);
        QString name = row == 0 ? QString("Tempo") : QString("Track %1").arg(row);
        if (track && *track->GetName()) name = QString::fromUtf8(track->GetName());
        painter.setPen(selected ? QColor(255, 255, 255) : kText);
        painter.drawText(box.adjusted(8, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, name);
        if (row > 0 && track && track->GetTrackEffects().GetCount() > 0) {
            painter.setPen(kDimText);
            painter.drawText(box.adjusted(8, 0, -4, -4), Qt::AlignBottom | Qt::AlignLeft,
                             QString("%1 effect(s)").arg(track->GetTrackEffects().GetCount()));
        }
    }
    painter.restore();
}

void TimelineRenderer::PaintTempoRow(QPainter& painter, const QRect& clip, const QSize& size,
                                     const TimelineGeometry& g, int64_t setEnd) const {
    const int top = g.RowTop(0);
    const int height = g.rowHeights.empty() ? kTempoRowHeight : g.rowHeights[0];
    const SetEditorState& state = m_view.GetState();
    painter.fillRect(QRect(g.trackAreaLeft, top, size.width() - g.trackAreaLeft, height),
                     state.GetSelectedTrack() == 0 ? kSelectedRowBackground : kRowBackground);
    CTrack* track = state.GetTrack(0);
    if (!track) return;
    const double rate = RateOf(m_view);
    const double visibleEnd = (g.startTime + (size.width() - g.trackAreaLeft) * g.secondsPerPixel) * rate;
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    std::lock_guard lock(track->GetEvents().Lock());
    for (auto* n = track->GetEvents().GetHead(); n; n = n->GetNext()) {
        const CEvent& event = *n->GetItem();
        if (event.GetPosition() > visibleEnd) break;
        const CTempoChange* tempo = event.GetTempoChange();
        if (!tempo) continue;
        const double end = n->GetNext() ? n->GetNext()->GetItem()->GetPosition()
                                        : std::max<double>(static_cast<double>(setEnd), visibleEnd);
        const int x0 = XOfFrame(g, event.GetPosition());
        const int x1 = XOfFrame(g, end);
        if (x1 < clip.left() || x0 > clip.right()) continue;
        const QRect box(x0, top + 2, std::max(1, x1 - x0), height - 4);
        const bool selected = state.IsSelected(0, &event);
        const bool pending = event.GetPendingEdits() > 0;
        painter.setPen(selected ? kSelectedBorder : pending ? kPendingBorder : kSegmentBorder);
        painter.setBrush(selected ? kSelectedFill : pending ? kPendingFill : QColor(40, 44, 54));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", tempo->GetTempo());
        painter.setPen(kText);
        const QRect label = box.adjusted(4, 0, -2, 0).intersected(QRect(g.trackAreaLeft + 2, top, 1 << 20, height));
        if (label.width() > 24) painter.drawText(label, Qt::AlignVCenter | Qt::AlignLeft, text);
    }
    painter.setBrush(Qt::NoBrush);
}

// What one row of segments draws, gathered by colour: the raster engine
// then fills each kind of rectangle in one call instead of one call each,
// which at the widest zoom is most of a frame's work.
struct TimelineRenderer::RowPaint {
    enum Look { Plain, Selected, Pending, kLooks };
    std::array<QVector<QRect>, kLooks> fills;
    std::array<QVector<QRect>, kLooks> waves;
    std::array<QVector<QRect>, kLooks> borders;
    std::array<QVector<QLineF>, std::size(kEnvelopes)> envelopes;
    struct Label {
        QRect box;
        const char* name;
    };
    std::vector<Label> labels;

    void Draw(QPainter& painter) const {
        static const QColor kFill[kLooks] = {kSegmentFill, kSelectedFill, kPendingFill};
        static const QColor kWaveOf[kLooks] = {kWave, kWave, kPendingWave};
        static const QColor kBorder[kLooks] = {kSegmentBorder, kSelectedBorder, kPendingBorder};
        painter.setPen(Qt::NoPen);
        for (const auto& [rects, colours] : {std::pair{&fills, kFill}, std::pair{&waves, kWaveOf}})
            for (size_t look = 0; look < kLooks; ++look) {
                if ((*rects)[look].isEmpty()) continue;
                painter.setBrush(colours[look]);
                painter.drawRects((*rects)[look]);
            }
        painter.setBrush(Qt::NoBrush);
        // Two one-pixel strokes a pixel apart: wider pens go through the
        // raster engine's slow stroker.
        for (size_t i = 0; i < envelopes.size(); ++i) {
            if (envelopes[i].isEmpty()) continue;
            painter.setPen(QPen(kEnvelopes[i], 0));
            painter.drawLines(envelopes[i]);
            painter.translate(0, 1);
            painter.drawLines(envelopes[i]);
            painter.translate(0, -1);
        }
        painter.setPen(Qt::NoPen);
        for (size_t look = 0; look < kLooks; ++look) {
            if (borders[look].isEmpty()) continue;
            painter.setBrush(kBorder[look]);
            painter.drawRects(borders[look]);
        }
        painter.setBrush(Qt::NoBrush);
        if (labels.empty()) return;
        QFont font = painter.font();
        font.setPixelSize(11);
        painter.setFont(font);
        painter.setPen(kText);
        for (const Label& label : labels)
            painter.drawText(label.box, Qt::AlignTop | Qt::AlignLeft,
                             painter.fontMetrics().elidedText(QString::fromUtf8(label.name), Qt::ElideRight,
                                                              label.box.width()));
    }
};

void TimelineRenderer::PaintAudioRow(QPainter& painter, const QRect& clip, const QSize& size,
                                     const TimelineGeometry& g, int32_t row) const {
    const int top = g.RowTop(row);
    const int height = g.rowHeights[static_cast<size_t>(row)];
    const SetEditorState& state = m_view.GetState();
    painter.fillRect(QRect(g.trackAreaLeft, top, size.width() - g.trackAreaLeft, height),
                     state.GetSelectedTrack() == row ? kSelectedRowBackground : kRowBackground);
    painter.setPen(kGridLine);
    painter.drawLine(g.trackAreaLeft, top + height - 1, size.width(), top + height - 1);
    CTrack* track = state.GetTrack(row);
    if (!track) return;
    const double rate = RateOf(m_view);
    const double visibleStart = g.startTime * rate;
    const double visibleEnd = (g.startTime + (size.width() - g.trackAreaLeft) * g.secondsPerPixel) * rate;
    RowPaint paint;
    {
        std::lock_guard lock(track->GetEvents().Lock());
        for (auto* n = track->GetEvents().GetHead(); n; n = n->GetNext()) {
            const CEvent& event = *n->GetItem();
            if (event.GetPosition() > visibleEnd) break;
            const CSegmentDesign* design = event.GetSegment();
            if (!design || !design->GetSegment()) continue;
            const double end = static_cast<double>(event.GetPosition()) + design->GetSegment()->GetTimelineLength();
            if (end < visibleStart) continue;
            const int x0 = XOfFrame(g, event.GetPosition());
            const int x1 = std::max(x0 + 1, XOfFrame(g, end));
            if (x1 < clip.left() || x0 > clip.right()) continue;
            GatherSegment(paint, clip, g, QRect(x0, top + 2, x1 - x0, height - 5), event,
                          state.IsSelected(row, &event));
        }
    }
    paint.Draw(painter);
}

void TimelineRenderer::GatherSegment(RowPaint& paint, const QRect& clip, const TimelineGeometry& g,
                                     const QRect& box, const CEvent& event, bool selected) const {
    const RowPaint::Look look = selected                      ? RowPaint::Selected
                                : event.GetPendingEdits() > 0 ? RowPaint::Pending
                                                              : RowPaint::Plain;
    paint.fills[look].append(box);

    // The waveform, a one-pixel rectangle per column, scaled by the normalization.
    const CSegmentDesign& design = *event.GetSegment();
    const CSegment& segment = *design.GetSegment();
    const double rate = RateOf(m_view);
    const double framesPerPixel = g.secondsPerPixel * rate;
    double gain = design.GetNormalization();
    if (!std::isfinite(gain) || gain <= 0) gain = 1.0;
    gain = std::min(gain, 4.0);
    const double middle = box.top() + box.height() / 2.0;
    const double half = box.height() / 2.0 - 1;
    const int from = std::max({box.left(), clip.left(), g.trackAreaLeft});
    const int to = std::min(box.right(), clip.right());
    QVector<QRect>& waves = paint.waves[look];
    WaveformColumn column;
    for (int x = from; x <= to; ++x) {
        const double frame = (g.startTime + (x - g.trackAreaLeft) * g.secondsPerPixel) * rate;
        const auto offset = static_cast<int64_t>(std::floor(frame - event.GetPosition()));
        if (offset < 0 || !m_waveforms.Column(segment, offset, framesPerPixel, column)) continue;
        const double high = std::clamp(column.maximum / 32768.0 * gain, -1.0, 1.0);
        const double low = std::clamp(column.minimum / 32768.0 * gain, -1.0, 1.0);
        const int y0 = static_cast<int>(middle - high * half);
        const int y1 = std::max(static_cast<int>(middle - low * half), y0 + 1);
        waves.append(QRect(x, y0, 1, y1 - y0));
    }

    GatherEnvelopes(paint, box, g, event);

    // The border, as four one-pixel edges.
    QVector<QRect>& border = paint.borders[look];
    border.append(QRect(box.left(), box.top(), box.width(), 1));
    border.append(QRect(box.left(), box.bottom(), box.width(), 1));
    border.append(QRect(box.left(), box.top(), 1, box.height()));
    border.append(QRect(box.right(), box.top(), 1, box.height()));
    // The name, kept in view while the segment's start is scrolled away.
    const QRect label = box.adjusted(4, 1, -2, 0).intersected(QRect(g.trackAreaLeft + 4, box.top(), 1 << 20, 16));
    if (label.width() > 20) paint.labels.push_back({label, design.GetName()});
}

void TimelineRenderer::GatherEnvelopes(RowPaint& paint, const QRect& box, const TimelineGeometry& g,
                                       const CEvent& event) const {
    const CSegmentDesign& design = *event.GetSegment();
    const CSegment& segment = *design.GetSegment();
    const double ratio = segment.GetRatio();
    if (!std::isfinite(ratio) || ratio <= 0) return;
    const auto& profiles = design.GetEffectProfiles();
    const double bottom = box.bottom() - 2;
    const double span = std::max(1, box.height() - 6);
    // A song frame of the curve on the timeline.
    auto xOf = [&](int32_t songFrame) {
        return XOfFrame(g, event.GetPosition() + (static_cast<double>(songFrame) - segment.GetStart()) * ratio);
    };
    std::vector<QPointF> points;
    for (int32_t i = 0; i < profiles.GetCount(); ++i) {
        const CEffectProfile* profile = profiles.GetAt(i);
        if (!profile) continue;
        IEffect* effect = m_effects ? m_effects->FindEffect(profile->GetEffectName()) : nullptr;
        const EffectLevels levels(effect, profile->GetParameterName());
        points.clear();
        {
            std::lock_guard lock(profile->GetCurve().Lock());
            for (auto* n = profile->GetCurve().GetHead(); n; n = n->GetNext()) {
                const CEffect& piece = *n->GetItem();
                const double a = std::clamp(levels.ToFraction(piece.GetStartLevel()), 0.0, 1.0);
                const double b = std::clamp(levels.ToFraction(piece.GetEndLevel()), 0.0, 1.0);
                points.emplace_back(xOf(piece.GetStart()), bottom - (std::isfinite(a) ? a : 0) * span);
                points.emplace_back(xOf(piece.GetEnd()), bottom - (std::isfinite(b) ? b : 0) * span);
            }
        }
        // A curve may reach past the segment's frames; only its part over
        // the box is drawn, cut where it crosses the box's sides.
        QVector<QLineF>& lines = paint.envelopes[static_cast<size_t>(i) % std::size(kEnvelopes)];
        const double left = box.left();
        const double right = box.right();
        for (size_t k = 1; k < points.size(); ++k) {
            QPointF p = points[k - 1];
            QPointF q = points[k];
            if (p.x() > q.x()) std::swap(p, q);
            if (q.x() < left || p.x() > right) continue;
            auto at = [&](double x) {
                const double dx = q.x() - p.x();
                return QPointF(x, dx > 0 ? p.y() + (q.y() - p.y()) * (x - p.x()) / dx : p.y());
            };
            lines.append(QLineF(p.x() < left ? at(left) : p, q.x() > right ? at(right) : q));
        }
    }
}

void TimelineRenderer::PaintMarkers(QPainter& painter, const QRect& clip, const QSize& size,
                                    const TimelineGeometry& g, double playCursor) const {
    const SetEditorState& state = m_view.GetState();
    const double rate = RateOf(m_view);
    painter.save();
    painter.setClipRect(QRect(g.trackAreaLeft, 0, std::max(0, size.width() - g.trackAreaLeft), size.height())
                            .intersected(clip));
    if (const auto& loop = state.GetLoop()) {
        const int x0 = XOfFrame(g, loop->start);
        const int x1 = std::max(x0 + 1, XOfFrame(g, loop->end));
        painter.fillRect(QRect(x0, 0, x1 - x0, size.height()), kLoop);
        painter.fillRect(QRect(x0, g.trackAreaTop - 5, x1 - x0, 4), QColor(90, 130, 255));
    }
    auto marker = [&](double seconds, const QColor& colour, bool left) {
        const int x = XOfFrame(g, seconds * rate);
        painter.setPen(QPen(colour, 1));
        painter.drawLine(x, 0, x, size.height());
        const QPointF flag[] = {QPointF(x, 0), QPointF(left ? x + 8 : x - 8, 0), QPointF(x, 9)};
        painter.setBrush(colour);
        painter.drawPolygon(flag, 3);
        painter.setBrush(Qt::NoBrush);
    };
    marker(state.GetLeftMarker(), kLeftMarker, true);
    marker(state.GetRightMarker(), kRightMarker, false);
    if (playCursor >= 0) {
        const int x = XOfFrame(g, playCursor * rate);
        painter.setPen(QPen(kCursor, 1));
        painter.drawLine(x, 0, x, size.height());
    }
    painter.restore();
}

}  // namespace vantor::gui

#include "waveform_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "database/match_point.h"
#include "engine/resampled_wave_summary_file.h"
#include "views/analyzer_view.h"
#include "views/waveform_columns.h"

namespace vantor::gui {

namespace {
constexpr double kFinestScale = 0.25;
// Beat lines closer than this many pixels are left out.
constexpr double kMinBeatSpacing = 4.0;
}  // namespace

WaveformWidget::WaveformWidget(CAnalyzerView& view, QWidget* parent) : QWidget(parent), m_view(view) {
    setMinimumHeight(160);
    setMinimumWidth(300);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

int64_t WaveformWidget::Length() const {
    auto* summary = m_view.GetSummary();
    return summary ? std::max<int64_t>(0, summary->GetLength()) : 0;
}

int64_t WaveformWidget::LastFirstFrame() const {
    return std::max<int64_t>(0, Length() - static_cast<int64_t>(m_scale * width()));
}

void WaveformWidget::SetFirstFrame(int64_t frame) {
    m_first = std::clamp<int64_t>(frame, 0, LastFirstFrame());
    update();
    if (onViewChanged) onViewChanged();
}

void WaveformWidget::SetScale(double framesPerPixel) {
    const double whole = std::max(kFinestScale, static_cast<double>(Length()) / std::max(1, width()));
    if (!std::isfinite(framesPerPixel)) return;
    // Zooming keeps the frame in the middle where it was.
    const double middle = static_cast<double>(m_first) + m_scale * width() / 2;
    m_scale = std::clamp(framesPerPixel, kFinestScale, whole);
    m_first = std::clamp<int64_t>(static_cast<int64_t>(middle - m_scale * width() / 2), 0, LastFirstFrame());
    update();
    if (onViewChanged) onViewChanged();
}

void WaveformWidget::ShowWhole() {
    m_first = 0;
    m_scale = std::max(kFinestScale, static_cast<double>(Length()) / std::max(1, width()));
    update();
    if (onViewChanged) onViewChanged();
}

void WaveformWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_scale <= 0) {
        ShowWhole();
    } else {
        SetScale(m_scale);
    }
}

void WaveformWidget::mousePressEvent(QMouseEvent* event) {
    if (m_scale <= 0) return;
    const double frame = static_cast<double>(m_first) + event->position().x() * m_scale;
    m_cursor = frame;
    update();
    if (onClick) onClick(frame / m_view.GetSampleRate());
}

void WaveformWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(rect(), QColor(18, 20, 24));
    const double middle = h / 2.0;
    painter.setPen(QColor(60, 64, 72));
    painter.drawLine(0, static_cast<int>(middle), w, static_cast<int>(middle));

    auto* summary = m_view.GetSummary();
    if (!summary || m_scale <= 0) {
        painter.setPen(QColor(150, 150, 150));
        painter.drawText(rect(), Qt::AlignCenter, "No song open");
        return;
    }
    const double rate = m_view.GetSampleRate();

    // Beats of the ruler: its origin and tempo, every fourth a bar.
    const double tempo = m_view.GetRulerTempo();
    if (tempo > 0 && std::isfinite(tempo)) {
        const double period = 60.0 / tempo * rate;
        const double origin = m_view.GetRulerOrigin() * rate;
        const bool everyBeat = period / m_scale >= kMinBeatSpacing;
        if (everyBeat || 4 * period / m_scale >= kMinBeatSpacing) {
            const double lastFrame = static_cast<double>(m_first) + m_scale * w;
            for (int64_t beat = static_cast<int64_t>(std::ceil((static_cast<double>(m_first) - origin) / period));
                 origin + static_cast<double>(beat) * period <= lastFrame; ++beat) {
                const bool bar = beat % 4 == 0;
                if (!bar && !everyBeat) continue;
                const double x = XOfFrame(origin + static_cast<double>(beat) * period);
                painter.setPen(bar ? QColor(90, 96, 130) : QColor(48, 52, 70));
                painter.drawLine(QPointF(x, 0), QPointF(x, h));
            }
        }
    }

    const auto columns = WaveformColumns::Compute(*summary, m_first, m_scale, w);
    const double half = h / 2.0 - 2;
    painter.setPen(QColor(64, 200, 220));
    for (int x = 0; x < static_cast<int>(columns.size()); ++x) {
        const auto& column = columns[static_cast<size_t>(x)];
        if (!column.present) continue;
        const double top = middle - column.maximum / 32768.0 * half;
        const double bottom = middle - column.minimum / 32768.0 * half;
        painter.drawLine(QPointF(x + 0.5, top), QPointF(x + 0.5, std::max(bottom, top + 1)));
    }

    // Cue points: the start in green, the others in amber with their label.
    const auto& points = m_view.GetMatchPoints();
    for (int i = 0; i < static_cast<int>(points.size()); ++i) {
        const CMatchPoint& point = *points[static_cast<size_t>(i)];
        const double x = XOfFrame(point.GetPosition());
        if (x < -1 || x > w + 1) continue;
        const bool start = point.GetType() == CMatchPoint::START_SONG;
        QPen pen(start ? QColor(80, 230, 110) : QColor(255, 176, 60));
        pen.setWidth(i == m_view.GetMarkedPoint() ? 3 : 2);
        painter.setPen(pen);
        painter.drawLine(QPointF(x, 0), QPointF(x, h));
        painter.drawText(QPointF(x + 4, 14), QString::fromUtf8(point.GetLabel()));
    }
    if (m_cursor >= 0) {
        painter.setPen(QColor(240, 240, 240));
        const double x = XOfFrame(m_cursor);
        painter.drawLine(QPointF(x, 0), QPointF(x, h));
    }
}

}  // namespace vantor::gui

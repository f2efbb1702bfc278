#include "mix_waveform_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "views/mixing_helper_view.h"

namespace vantor::gui {

MixWaveformWidget::MixWaveformWidget(CMixingHelperView& view, int song, QWidget* parent)
    : QWidget(parent), m_view(&view), m_song(song), m_caption(song == 0 ? "Song #1" : "Song #2") {
    setMinimumHeight(120);
    setMinimumWidth(400);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

MixWaveformWidget::MixWaveformWidget(Columns columns, QString caption, QWidget* parent)
    : QWidget(parent), m_columns(std::move(columns)), m_caption(std::move(caption)) {
    setMinimumHeight(120);
    setMinimumWidth(400);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void MixWaveformWidget::mousePressEvent(QMouseEvent* event) {
    if (!m_view || event->button() != Qt::LeftButton) return;
    m_view->Click(m_song, static_cast<int>(event->position().x()));
    update();
    if (onCursorMoved) onCursorMoved();
}

void MixWaveformWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(rect(), QColor(18, 20, 24));
    const double middle = h / 2.0;

    if (m_view) {
        for (const CMixingHelperView::Beat& beat : m_view->GetBeatRuler(m_song)) {
            if (beat.x < 0 || beat.x >= w) continue;
            painter.setPen(beat.bar ? QColor(90, 96, 130) : QColor(44, 48, 64));
            painter.drawLine(beat.x, 0, beat.x, h);
        }
    }
    painter.setPen(QColor(60, 64, 72));
    painter.drawLine(0, static_cast<int>(middle), w, static_cast<int>(middle));

    // The helper draws as many columns as its width; the widgets share it.
    const auto columns = m_view ? m_view->GetWaveform(m_song) : m_columns ? m_columns(w) : std::vector<WaveformColumn>{};
    const double half = h / 2.0 - 2;
    painter.setPen(m_song == 0 ? QColor(64, 200, 220) : QColor(230, 150, 230));
    const int count = std::min(w, static_cast<int>(columns.size()));
    for (int x = 0; x < count; ++x) {
        const auto& column = columns[static_cast<size_t>(x)];
        if (!column.present) continue;
        const double top = middle - column.maximum / 32768.0 * half;
        const double bottom = middle - column.minimum / 32768.0 * half;
        painter.drawLine(QPointF(x + 0.5, top), QPointF(x + 0.5, std::max(bottom, top + 1)));
    }
    if (columns.empty()) {
        painter.setPen(QColor(150, 150, 150));
        painter.drawText(rect(), Qt::AlignCenter, "No waveform");
    }

    const int cursor = m_view ? m_view->CursorX(m_song) : -1;
    if (cursor >= 0 && cursor < w) {
        QPen pen(QColor(240, 240, 240));
        pen.setWidth(2);
        painter.setPen(pen);
        painter.drawLine(cursor, 0, cursor, h);
    }
    painter.setPen(QColor(200, 200, 200));
    painter.drawText(QPointF(6, 14), m_caption);
}

}  // namespace vantor::gui

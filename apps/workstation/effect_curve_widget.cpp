#include "effect_curve_widget.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <mutex>

#include "editing/effect_levels.h"
#include "engine/effect_manager_impl.h"
#include "model/effect_profile.h"

namespace vantor::gui {

namespace {
constexpr double kScaleEnd = 9999.0;
}

EffectCurveWidget::EffectCurveWidget(CEffectManagerImpl* effects, QWidget* parent)
    : QWidget(parent), m_effects(effects) {
    setMinimumSize(320, 150);
}

void EffectCurveWidget::SetCurve(const CEffectProfile* profile, const QString& from, const QString& to) {
    m_profile = profile;
    m_from = from;
    m_to = to;
    update();
}

void EffectCurveWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = rect().adjusted(8, 8, -8, -22);
    painter.fillRect(rect(), QColor(22, 24, 29));
    painter.fillRect(area, QColor(30, 33, 40));
    painter.setPen(QColor(54, 58, 70));
    for (int i = 1; i < 4; ++i) {
        const int y = area.top() + area.height() * i / 4;
        painter.drawLine(area.left(), y, area.right(), y);
        const int x = area.left() + area.width() * i / 4;
        painter.drawLine(x, area.top(), x, area.bottom());
    }
    painter.setPen(QColor(140, 146, 158));
    painter.drawText(QRect(area.left(), area.bottom() + 4, area.width(), 16), Qt::AlignLeft, m_from);
    painter.drawText(QRect(area.left(), area.bottom() + 4, area.width(), 16), Qt::AlignRight, m_to);
    if (!m_profile) {
        painter.drawText(area, Qt::AlignCenter, "No effect selected");
        return;
    }
    IEffect* effect = m_effects ? m_effects->FindEffect(m_profile->GetEffectName()) : nullptr;
    const EffectLevels levels(effect, m_profile->GetParameterName());
    auto point = [&](double at, double level) {
        double fraction = levels.ToFraction(level);
        fraction = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
        return QPointF(area.left() + std::clamp(at / kScaleEnd, 0.0, 1.0) * area.width(),
                       area.bottom() - fraction * area.height());
    };
    QPolygonF line;
    {
        std::lock_guard lock(m_profile->GetCurve().Lock());
        for (auto* n = m_profile->GetCurve().GetHead(); n; n = n->GetNext()) {
            const CEffect& piece = *n->GetItem();
            line << point(piece.GetStart(), piece.GetStartLevel()) << point(piece.GetEnd(), piece.GetEndLevel());
        }
    }
    painter.setPen(QPen(QColor(255, 120, 200), 2));
    painter.drawPolyline(line);
    painter.setPen(QColor(214, 218, 226));
    painter.drawText(area.adjusted(6, 4, -6, 0), Qt::AlignTop | Qt::AlignLeft,
                     QString("%1 / %2").arg(m_profile->GetEffectName(), m_profile->GetParameterName()));
}

}  // namespace vantor::gui

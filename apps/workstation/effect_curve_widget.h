#pragma once

#include <QWidget>
#include <functional>

namespace vantor {
class CEffectProfile;
class CEffectManagerImpl;
}  // namespace vantor

namespace vantor::gui {

// An effect profile's curve drawn over the span it will cover: the scale
// 0..9999 across, the parameter's control from bottom to top, with the
// span's start and end written under it.
class EffectCurveWidget : public QWidget {
public:
    EffectCurveWidget(CEffectManagerImpl* effects, QWidget* parent = nullptr);

    // The curve to draw (null: none) and the span's labels.
    void SetCurve(const CEffectProfile* profile, const QString& from, const QString& to);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CEffectManagerImpl* m_effects;
    const CEffectProfile* m_profile = nullptr;
    QString m_from;
    QString m_to;
};

}  // namespace vantor::gui

#pragma once

#include <QWidget>
#include <functional>

namespace vantor {
class CAnalyzerView;
}

namespace vantor::gui {

// The analyzer's waveform: min/max per pixel column from the song's
// summary at the zoom in use, with the beat ruler, the cue points (the
// start in its own colour) and the cursor drawn over it.
class WaveformWidget : public QWidget {
public:
    explicit WaveformWidget(CAnalyzerView& view, QWidget* parent = nullptr);

    int64_t Length() const;
    double Scale() const { return m_scale; }
    int64_t FirstFrame() const { return m_first; }
    void SetFirstFrame(int64_t frame);
    void SetScale(double framesPerPixel);
    void ZoomIn() { SetScale(m_scale / 2); }
    void ZoomOut() { SetScale(m_scale * 2); }
    void ShowWhole();
    // The largest first frame that still fills the widget.
    int64_t LastFirstFrame() const;

    // A click on the waveform: the time under it, in seconds.
    std::function<void(double seconds)> onClick;
    // Zoom or scroll changed.
    std::function<void()> onViewChanged;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    double XOfFrame(double frame) const { return (frame - static_cast<double>(m_first)) / m_scale; }

    CAnalyzerView& m_view;
    double m_scale = 0;  // frames per pixel; 0 until the first layout
    int64_t m_first = 0;
    double m_cursor = -1;
};

}  // namespace vantor::gui

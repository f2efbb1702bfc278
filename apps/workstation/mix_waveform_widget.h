#pragma once

#include <QWidget>
#include <functional>

namespace vantor {
class CMixingHelperView;
}

namespace vantor::gui {

// One of the Mixing Helper's two waveforms: the song's columns at the
// helper's window with its beat ruler (bars brighter) and its cursor. A
// click moves the cursor there.
class MixWaveformWidget : public QWidget {
public:
    MixWaveformWidget(CMixingHelperView& view, int song, QWidget* parent = nullptr);

    // The cursor moved by a click.
    std::function<void()> onCursorMoved;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CMixingHelperView& m_view;
    int m_song;
};

}  // namespace vantor::gui

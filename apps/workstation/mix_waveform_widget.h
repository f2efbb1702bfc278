#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "views/waveform_columns.h"

namespace vantor {
class CMixingHelperView;
}

namespace vantor::gui {

// One of the Mixing Helper's two waveforms: the song's columns at the
// helper's window with its beat ruler (bars brighter) and its cursor. A
// click moves the cursor there. Without a helper it draws the columns a
// source gives for its width, under a caption: a segment as it plays.
class MixWaveformWidget : public QWidget {
public:
    using Columns = std::function<std::vector<WaveformColumn>(int width)>;

    MixWaveformWidget(CMixingHelperView& view, int song, QWidget* parent = nullptr);
    MixWaveformWidget(Columns columns, QString caption, QWidget* parent = nullptr);

    // The cursor moved by a click.
    std::function<void()> onCursorMoved;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CMixingHelperView* m_view = nullptr;
    int m_song = 0;
    Columns m_columns;
    QString m_caption;
};

}  // namespace vantor::gui

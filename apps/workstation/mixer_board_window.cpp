#include "mixer_board_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vantor::gui {

MixerBoardWindow::MixerBoardWindow(SetAudio& audio, int32_t trackCount, QWidget* parent)
    : QDialog(parent), m_view(audio, trackCount) {
    setWindowTitle("Volume Control");
    m_view.Open();
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    for (int slider = 0; slider < CMixerBoardView::kSliderCount; ++slider) {
        auto* label = new QLabel(QString::number(slider + 1));
        label->setAlignment(Qt::AlignHCenter);
        grid->addWidget(label, 0, slider);
        auto* fader = new QSlider(Qt::Vertical);
        fader->setRange(0, CMixerBoardView::kBottom);
        // Position 0 is the loudest and stands at the top.
        fader->setInvertedAppearance(true);
        fader->setInvertedControls(true);
        fader->setTickPosition(QSlider::TicksBothSides);
        fader->setTickInterval(CMixerBoardView::kTick);
        fader->setPageStep(50);
        fader->setMinimumHeight(180);
        connect(fader, &QSlider::valueChanged, this, [this, slider](int position) {
            m_view.MoveSlider(slider, position);
            Pull();
        });
        grid->addWidget(fader, 1, slider, Qt::AlignHCenter);
        m_faders[static_cast<size_t>(slider)] = fader;
        auto* center = new QPushButton("Ctr");
        auto* zero = new QPushButton("0");
        for (QPushButton* button : {center, zero}) button->setMaximumWidth(44);
        connect(center, &QPushButton::clicked, this, [this, slider] {
            m_view.Center(slider);
            Pull();
        });
        connect(zero, &QPushButton::clicked, this, [this, slider] {
            m_view.Zero(slider);
            Pull();
        });
        const bool enabled = m_view.IsSliderEnabled(slider);
        center->setEnabled(enabled);
        zero->setEnabled(enabled);
        grid->addWidget(center, 2, slider, Qt::AlignHCenter);
        grid->addWidget(zero, 3, slider, Qt::AlignHCenter);
    }
    layout->addLayout(grid);
    auto* row = new QHBoxLayout;
    auto* centerAll = new QPushButton("Center All");
    auto* muteAll = new QPushButton("Mute All");
    auto* close = new QPushButton("Close");
    connect(centerAll, &QPushButton::clicked, this, [this] {
        m_view.CenterAll();
        Pull();
    });
    connect(muteAll, &QPushButton::clicked, this, [this] {
        m_view.MuteAll();
        Pull();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(centerAll);
    row->addWidget(muteAll);
    row->addStretch(1);
    row->addWidget(close);
    layout->addLayout(row);
    Pull();
}

void MixerBoardWindow::Pull() {
    for (int slider = 0; slider < CMixerBoardView::kSliderCount; ++slider) {
        QSlider* fader = m_faders[static_cast<size_t>(slider)];
        const QSignalBlocker block(fader);
        fader->setValue(m_view.GetSliderPosition(slider));
        fader->setEnabled(m_view.IsSliderEnabled(slider));
    }
}

}  // namespace vantor::gui

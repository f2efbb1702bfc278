#include "track_effects_window.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantor::gui {

TrackEffectsWindow::TrackEffectsWindow(CVantorApp& app, CTrack* track, QWidget* parent)
    : QDialog(parent), m_dialog(app.UserInterface(), &app.Effects()) {
    setWindowTitle("Track Effects");
    m_dialog.Open(track);
    m_choices = m_dialog.GetEffectChoices();
    auto* layout = new QVBoxLayout(this);
    m_rows = new QListWidget;
    layout->addWidget(m_rows);
    auto* slider = new QHBoxLayout;
    m_slider = new QSlider(Qt::Horizontal);
    m_slider->setRange(0, CTrackEffectsDialog::kSliderRange);
    m_value = new QLabel;
    m_value->setMinimumWidth(80);
    slider->addWidget(m_slider, 1);
    slider->addWidget(m_value);
    layout->addLayout(slider);

    auto* add = new QHBoxLayout;
    m_effect = new QComboBox;
    m_parameter = new QComboBox;
    for (const auto& choice : m_choices) m_effect->addItem(QString::fromStdString(choice.first));
    auto* addButton = new QPushButton("Add");
    auto* removeButton = new QPushButton("Remove");
    add->addWidget(m_effect, 1);
    add->addWidget(m_parameter, 1);
    add->addWidget(addButton);
    add->addWidget(removeButton);
    layout->addLayout(add);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);

    connect(m_effect, &QComboBox::currentIndexChanged, this, [this] { FillParameters(); });
    connect(m_rows, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != m_dialog.GetSelectedRow()) {
            m_dialog.SelectRow(row);
            Pull();
        }
    });
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        m_dialog.MoveSlider(value - m_dialog.GetSliderPosition());
        m_value->setText(QString::fromStdString(m_dialog.GetValueText()));
    });
    connect(addButton, &QPushButton::clicked, this, [this] {
        if (m_dialog.Add(m_effect->currentText().toStdString(), m_parameter->currentText().toStdString())) Pull();
    });
    connect(removeButton, &QPushButton::clicked, this, [this] {
        m_dialog.Remove();
        Pull();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_dialog.Ok();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] {
        m_dialog.Cancel();
        reject();
    });
    FillParameters();
    Pull();
    resize(460, 340);
}

void TrackEffectsWindow::FillParameters() {
    m_parameter->clear();
    const int effect = m_effect->currentIndex();
    if (effect < 0 || effect >= static_cast<int>(m_choices.size())) return;
    for (const std::string& name : m_choices[static_cast<size_t>(effect)].second)
        m_parameter->addItem(QString::fromStdString(name));
}

void TrackEffectsWindow::Pull() {
    const QSignalBlocker rows(m_rows);
    const QSignalBlocker slider(m_slider);
    m_rows->clear();
    for (const auto& row : m_dialog.GetRows()) m_rows->addItem(QString::fromStdString(row.label));
    m_rows->setCurrentRow(m_dialog.GetSelectedRow());
    m_slider->setEnabled(m_dialog.IsSliderEnabled());
    m_slider->setValue(m_dialog.GetSliderPosition());
    m_value->setText(QString::fromStdString(m_dialog.GetValueText()));
}

}  // namespace vantor::gui

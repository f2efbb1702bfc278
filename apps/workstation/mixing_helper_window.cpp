#include "mixing_helper_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "database/match_point.h"

namespace vantor::gui {

MixingHelperWindow::MixingHelperWindow(CMixingHelperView& view, QWidget* parent) : QDialog(parent), m_view(view) {
    setWindowTitle(CMixingHelperView::kTitle);
    auto* layout = new QVBoxLayout(this);

    auto* waves = new QGridLayout;
    waves->setHorizontalSpacing(6);
    waves->addWidget(CueRow(0), 0, 0);
    for (int song = 0; song < 2; ++song) {
        m_waves[song] = new MixWaveformWidget(view, song);
        m_waves[song]->onCursorMoved = [this] { Repaint(); };
        waves->addWidget(m_waves[song], song + 1, 0);
    }
    waves->addWidget(CueRow(1), 3, 0);
    auto* tune = new QVBoxLayout;
    m_tune = new QSlider(Qt::Vertical);
    m_tune->setRange(CMixingHelperView::kTuneMin, CMixingHelperView::kTuneMax);
    m_tune->setValue(view.GetTune());
    m_tune->setToolTip("Fine-tunes song 2's ratio by up to 1 %");
    connect(m_tune, &QSlider::valueChanged, this, [this](int position) {
        m_view.SetTune(position);
        Repaint();
    });
    tune->addWidget(m_tune, 1, Qt::AlignHCenter);
    tune->addWidget(new QLabel("R"), 0, Qt::AlignHCenter);
    waves->addLayout(tune, 2, 1);
    waves->setRowStretch(1, 1);
    waves->setRowStretch(2, 1);
    layout->addLayout(waves, 1);

    auto* actions = new QHBoxLayout;
    auto* show = new QPushButton("Show");
    show->setObjectName("show");
    connect(show, &QPushButton::clicked, this, [this] {
        m_view.Show();
        Repaint();
    });
    m_audition = new QPushButton(QString::fromStdString(view.GetAuditionText()));
    connect(m_audition, &QPushButton::clicked, this, [this] {
        m_view.ToggleAudition();
        m_audition->setText(QString::fromStdString(m_view.GetAuditionText()));
    });
    actions->addWidget(show);
    actions->addWidget(m_audition);
    actions->addStretch(1);
    layout->addLayout(actions);

    auto* join = new QGroupBox("Join");
    auto* joinLayout = new QHBoxLayout(join);
    auto* kinds = new QVBoxLayout;
    m_cut = new QRadioButton("Cut");
    m_mix = new QRadioButton("Mix");
    m_cut->setChecked(view.IsCutChecked());
    m_mix->setChecked(view.IsMixChecked());
    kinds->addWidget(m_cut);
    kinds->addWidget(m_mix);
    kinds->addStretch(1);
    joinLayout->addLayout(kinds);
    auto* fades = new QFormLayout;
    const MixingFields fields = view.GetFields();
    m_enable = new QCheckBox;
    m_enable->setChecked(fields.fadesEnabled);
    fades->addRow("Enable:", m_enable);
    auto bars = [this, fades](const char* caption, int32_t value) {
        auto* edit = new QLineEdit(QString::number(value));
        edit->setValidator(new QIntValidator(0, 9999, edit));
        edit->setMaximumWidth(80);
        fades->addRow(caption, edit);
        return edit;
    };
    m_fadeIn = bars("Fade-In:", fields.fadeInBars);
    m_hold = bars("Hold:", fields.holdBars);
    m_fadeOut = bars("Fade-Out:", fields.fadeOutBars);
    joinLayout->addLayout(fades);
    m_mark = new QCheckBox("Mark mixing point using a tempo change");
    m_mark->setChecked(fields.markWithTempoChange);
    joinLayout->addWidget(m_mark, 0, Qt::AlignTop);
    joinLayout->addStretch(1);
    layout->addWidget(join);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(960, 640);
}

QWidget* MixingHelperWindow::CueRow(int song) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(song == 0 ? "Song #1 Cue Point:" : "Song #2 Cue Point:"));
    m_cues[song] = new QComboBox;
    m_cues[song]->setMinimumContentsLength(24);
    layout->addWidget(m_cues[song], 1);
    auto* add = new QPushButton("+");
    auto* remove = new QPushButton("-");
    for (QPushButton* button : {add, remove}) button->setFixedWidth(32);
    connect(add, &QPushButton::clicked, this, [this, song] { AddCue(song); });
    connect(remove, &QPushButton::clicked, this, [this, song] { RemoveCue(song); });
    connect(m_cues[song], &QComboBox::activated, this, [this, song](int index) {
        m_view.ChooseCue(song, index);
        Repaint();
    });
    layout->addWidget(add);
    layout->addWidget(remove);
    FillCues(song);
    return row;
}

void MixingHelperWindow::FillCues(int song) {
    QComboBox* list = m_cues[song];
    const QSignalBlocker blocker(list);
    list->clear();
    for (const std::string& label : m_view.GetCueLabels(song)) list->addItem(QString::fromStdString(label));
    list->setCurrentIndex(m_view.GetChosenCue(song));
}

void MixingHelperWindow::AddCue(int song) {
    // The type and its label, the label following the type until edited.
    QDialog ask(this);
    ask.setWindowTitle("Add Cue Point");
    auto* form = new QFormLayout(&ask);
    auto* type = new QComboBox;
    for (int32_t t : CMixingHelperView::kCueTypes) {
        const char* name = MatchPointTypeName(t);
        type->addItem(name ? name : "", t);
    }
    auto* label = new QLineEdit(QString::fromStdString(CMixingHelperView::DefaultCueLabel(CMixingHelperView::kCueTypes[0])));
    connect(type, &QComboBox::currentIndexChanged, &ask, [type, label] {
        label->setText(QString::fromStdString(CMixingHelperView::DefaultCueLabel(type->currentData().toInt())));
    });
    form->addRow("Type:", type);
    form->addRow("Label:", label);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    form->addRow(buttons);
    if (ask.exec() != QDialog::Accepted) return;
    if (m_view.AddCue(song, type->currentData().toInt(), label->text().toStdString())) FillCues(song);
}

void MixingHelperWindow::RemoveCue(int song) {
    if (m_view.RemoveCue(song)) FillCues(song);
}

void MixingHelperWindow::Repaint() {
    for (MixWaveformWidget* wave : m_waves) wave->update();
}

void MixingHelperWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // Both waveforms share one width; a new width shows each segment whole again.
    const int width = m_waves[0]->width();
    if (width > 0 && width != m_view.GetWidth()) {
        m_view.SetWidth(width);
        Repaint();
    }
}

void MixingHelperWindow::Confirm() {
    m_view.SetJoin(m_cut->isChecked() ? MixingFields::Join::Cut : MixingFields::Join::Mix);
    m_view.SetFadesEnabled(m_enable->isChecked());
    const std::pair<QLineEdit*, bool (CMixingHelperView::*)(const std::string&)> fields[] = {
        {m_fadeIn, &CMixingHelperView::SetFadeInText},
        {m_hold, &CMixingHelperView::SetHoldText},
        {m_fadeOut, &CMixingHelperView::SetFadeOutText}};
    for (const auto& [edit, set] : fields) {
        if (!(m_view.*set)(edit->text().trimmed().toStdString())) {
            edit->setFocus();
            edit->selectAll();
            return;
        }
    }
    m_view.SetMarkWithTempoChange(m_mark->isChecked());
    if (m_view.Ok()) QDialog::accept();
}

void MixingHelperWindow::done(int result) {
    // Closing any other way than a mix stops the audition and cancels.
    if (!m_view.IsClosed()) m_view.Cancel();
    QDialog::done(result);
}

}  // namespace vantor::gui

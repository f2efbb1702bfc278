#include "midi_mapper_window.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include "control/midi_bindings.h"
#include "control/midi_input.h"

namespace vantor::gui {

namespace {
using Kind = CMIDIControlMapperView::Kind;
using Field = CMIDIControlMapperView::Field;

// Each wait for a controller is this short, so the window keeps drawing
// and answering while it learns.
constexpr std::chrono::milliseconds kLearnTurn{20};
}  // namespace

MidiMapperWindow::MidiMapperWindow(CVantorApp& app, QWidget* parent)
    : QDialog(parent), m_app(app),
      m_view(app.UserInterface(), *app.MIDIBindings(), &app.Effects(),
             app.Configuration().ProgramPath(CMIDIBindings::kFileName)) {
    setWindowTitle(CMIDIControlMapperView::kTitle);
    m_view.Open();
    auto* layout = new QVBoxLayout(this);

    m_lines = new QTreeWidget;
    m_lines->setRootIsDecorated(false);
    m_lines->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lines->setMinimumSize(440, 200);
    QStringList captions;
    for (const auto& column : CMIDIControlMapperView::GetColumns()) captions << QString::fromStdString(column.caption);
    m_lines->setHeaderLabels(captions);
    m_lines->header()->setStretchLastSection(true);
    layout->addWidget(m_lines, 1);

    auto* controller = new QHBoxLayout;
    for (const char* name : {"Channel", "Control Number"}) {
        m_fields[name] = new QLineEdit;
        m_fields[name]->setMaximumWidth(60);
        controller->addWidget(new QLabel(QString(name) + ":"));
        controller->addWidget(m_fields[name]);
    }
    m_buttons["Learn"] = new QPushButton("Learn");
    m_buttons["Learn"]->setCheckable(true);
    m_buttons["Learn"]->setToolTip("Move a controller to take its channel and control number");
    controller->addWidget(m_buttons["Learn"]);
    controller->addStretch(1);
    layout->addLayout(controller);

    auto* kinds = new QGroupBox("Binding");
    auto* grid = new QGridLayout(kinds);
    auto* group = new QButtonGroup(this);
    const std::pair<Kind, const char*> choices[] = {
        {Kind::TrackEffect, "Track Effect"},
        {Kind::TriggerSample, "Trigger Sample"},
        {Kind::SampleVolume, "Sample Volume"}};
    for (int row = 0; row < 3; ++row) {
        auto* radio = new QRadioButton(choices[row].second);
        group->addButton(radio);
        m_kinds[choices[row].first] = radio;
        grid->addWidget(radio, row, 0);
        connect(radio, &QRadioButton::toggled, this, [this, kind = choices[row].first](bool on) {
            if (on) ChooseKind(kind);
        });
    }
    m_fields["Track #"] = new QLineEdit;
    m_fields["Trigger Sample #"] = new QLineEdit;
    m_fields["Volume Sample #"] = new QLineEdit;
    m_effects = new QComboBox;
    for (const auto& entry : m_view.GetEffectEntries()) m_effects->addItem(QString::fromStdString(entry));
    const std::pair<const char*, int> fields[] = {{"Track #", 0}, {"Trigger Sample #", 1}, {"Volume Sample #", 2}};
    for (const auto& [name, row] : fields) {
        m_fields[name]->setMaximumWidth(60);
        grid->addWidget(new QLabel(row == 0 ? "Track #:" : "Sample #:"), row, 1);
        grid->addWidget(m_fields[name], row, 2);
    }
    grid->addWidget(m_effects, 0, 3);
    grid->setColumnStretch(3, 1);
    layout->addWidget(kinds);

    auto* row = new QHBoxLayout;
    for (const char* text : {"Add", "Remove"}) {
        m_buttons[text] = new QPushButton(text);
        row->addWidget(m_buttons[text]);
    }
    row->addStretch(1);
    for (const char* text : {"OK", "Cancel"}) {
        m_buttons[text] = new QPushButton(text);
        row->addWidget(m_buttons[text]);
    }
    m_buttons["OK"]->setDefault(true);
    layout->addLayout(row);

    connect(m_buttons["Add"], &QPushButton::clicked, this, [this] { Add(); });
    connect(m_buttons["Remove"], &QPushButton::clicked, this, [this] { Remove(); });
    connect(m_buttons["OK"], &QPushButton::clicked, this, [this] { Ok(); });
    connect(m_buttons["Cancel"], &QPushButton::clicked, this, &QDialog::reject);
    connect(m_buttons["Learn"], &QPushButton::clicked, this, [this](bool on) {
        if (on) {
            StartLearning();
        } else {
            StopLearning();
        }
    });
    connect(m_effects, &QComboBox::currentIndexChanged, this, [this](int index) { m_view.SelectEffect(index); });
    connect(&m_learn, &QTimer::timeout, this, [this] { LearnTurn(); });
    m_learn.setInterval(0);

    Pull();
    resize(560, 440);
}

void MidiMapperWindow::Pull() {
    m_fields["Channel"]->setText(QString::number(m_view.channel));
    m_fields["Control Number"]->setText(QString::number(m_view.controlNumber));
    m_fields["Track #"]->setText(QString::number(m_view.trackNumber));
    m_fields["Trigger Sample #"]->setText(QString::number(m_view.triggerSample));
    m_fields["Volume Sample #"]->setText(QString::number(m_view.volumeSample));
    m_effects->setCurrentIndex(m_view.GetSelectedEffect());
    m_kinds[m_view.GetKind()]->setChecked(true);
    ChooseKind(m_view.GetKind());
    FillLines();
}

void MidiMapperWindow::ChooseKind(Kind kind) {
    m_view.SetKind(kind);
    m_fields["Track #"]->setEnabled(m_view.IsEnabled(Field::TrackNumber));
    m_effects->setEnabled(m_view.IsEnabled(Field::EffectBox));
    m_fields["Trigger Sample #"]->setEnabled(m_view.IsEnabled(Field::TriggerSample));
    m_fields["Volume Sample #"]->setEnabled(m_view.IsEnabled(Field::VolumeSample));
}

void MidiMapperWindow::FillLines() {
    m_lines->clear();
    for (const auto& line : m_view.GetLines()) {
        auto* item = new QTreeWidgetItem(m_lines);
        item->setText(0, QString::number(line.channel));
        item->setText(1, QString::number(line.controller));
        item->setText(2, QString::fromStdString(line.description));
    }
}

void MidiMapperWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int width = m_lines->viewport()->width();
    const auto columns = CMIDIControlMapperView::GetColumns();
    for (int i = 0; i + 1 < static_cast<int>(columns.size()); ++i)
        m_lines->setColumnWidth(i, width * columns[static_cast<size_t>(i)].percent / 100);
}

std::optional<int32_t> MidiMapperWindow::Number(const QString& name) {
    QLineEdit* field = m_fields.at(name);
    bool ok = false;
    const int value = field->text().trimmed().toInt(&ok);
    if (ok) return value;
    m_app.UserInterface().MessageBox("Please enter an integer.", CMIDIControlMapperView::kTitle, MessageButtons::Ok,
                                     MessageIcon::Exclamation);
    field->setFocus();
    field->selectAll();
    return std::nullopt;
}

void MidiMapperWindow::Add() {
    const auto channel = Number("Channel");
    if (!channel) return;
    const auto controlNumber = Number("Control Number");
    if (!controlNumber) return;
    // Only the chosen kind's field counts; the others may hold anything.
    const std::map<Kind, QString> own = {
        {Kind::TrackEffect, "Track #"},
        {Kind::TriggerSample, "Trigger Sample #"},
        {Kind::SampleVolume, "Volume Sample #"}};
    const auto number = Number(own.at(m_view.GetKind()));
    if (!number) return;
    m_view.channel = *channel;
    m_view.controlNumber = *controlNumber;
    switch (m_view.GetKind()) {
        case Kind::TrackEffect: m_view.trackNumber = *number; break;
        case Kind::TriggerSample: m_view.triggerSample = *number; break;
        case Kind::SampleVolume: m_view.volumeSample = *number; break;
    }
    if (Status added = m_view.Add(); !added) {
        m_app.ShowRefusal(added.Error());
        return;
    }
    FillLines();
}

void MidiMapperWindow::Remove() {
    const QModelIndex current = m_lines->currentIndex();
    if (!current.isValid() || !m_view.Remove(current.row())) return;
    FillLines();
}

void MidiMapperWindow::Ok() {
    StopLearning();
    if (m_view.Ok()) accept();
}

void MidiMapperWindow::reject() {
    StopLearning();
    m_view.Cancel();
    QDialog::reject();
}

void MidiMapperWindow::StartLearning() {
    if (!m_app.MIDIInput()) {
        StopLearning();
        TellServerHoldsInput();
        return;
    }
    m_buttons["Learn"]->setChecked(true);
    m_learning.start();
    m_learn.start();
}

void MidiMapperWindow::TellServerHoldsInput() {
    m_app.UserInterface().MessageBox("The sound server holds the MIDI controllers while it plays a set.",
                                     CMIDIControlMapperView::kTitle, MessageButtons::Ok, MessageIcon::Information);
}

void MidiMapperWindow::StopLearning() {
    m_learn.stop();
    m_buttons["Learn"]->setChecked(false);
}

void MidiMapperWindow::LearnTurn() {
    // The app may hand its input to the sound server between turns.
    CMIDIInput* input = m_app.MIDIInput();
    if (!input) {
        StopLearning();
        TellServerHoldsInput();
        return;
    }
    if (auto moved = input->WaitForController(kLearnTurn)) {
        StopLearning();
        m_view.channel = moved->channel;
        m_view.controlNumber = moved->controller;
        m_fields["Channel"]->setText(QString::number(m_view.channel));
        m_fields["Control Number"]->setText(QString::number(m_view.controlNumber));
        return;
    }
    if (m_learning.elapsed() < m_learnTime.count()) return;
    StopLearning();
    const QString seconds = QString::number(static_cast<double>(m_learnTime.count()) / 1000.0);
    m_app.UserInterface().MessageBox("No MIDI controller moved within " + seconds.toStdString() +
                                         " seconds; the channel and control number stay as they were.",
                                     CMIDIControlMapperView::kTitle, MessageButtons::Ok, MessageIcon::Information);
}

}  // namespace vantor::gui

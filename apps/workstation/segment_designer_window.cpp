#include "segment_designer_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vantor::gui {

namespace {
QDoubleSpinBox* Seconds() {
    auto* box = new QDoubleSpinBox;
    box->setRange(0.0, 24 * 3600.0);
    box->setDecimals(3);
    box->setSuffix(" s");
    return box;
}
}  // namespace

SegmentDesignerWindow::SegmentDesignerWindow(CSegmentDesignerView& view, QWidget* parent)
    : QDialog(parent), m_view(view) {
    setWindowTitle(QString::fromStdString(view.GetTitle()));
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;

    auto* list = new QVBoxLayout;
    list->addWidget(new QLabel("Segments"));
    m_segments = new QListWidget;
    m_segments->setMinimumWidth(220);
    connect(m_segments, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && m_view.SelectSegment(row)) Refresh();
    });
    list->addWidget(m_segments, 1);
    auto* listButtons = new QHBoxLayout;
    auto* add = new QPushButton("Add segment");
    auto* remove = new QPushButton("Remove segment");
    connect(add, &QPushButton::clicked, this, [this] {
        Store();
        if (m_view.AddSegment()) FillSegments();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_view.RemoveSegment(m_segments->currentRow())) FillSegments();
    });
    listButtons->addWidget(add);
    listButtons->addWidget(remove);
    list->addLayout(listButtons);
    columns->addLayout(list, 1);

    auto* controls = new QVBoxLayout;
    auto* form = new QFormLayout;
    m_name = new QLineEdit;
    m_tempo = new QDoubleSpinBox;
    m_tempo->setRange(0.0, 999.0);
    m_tempo->setDecimals(2);
    m_tempo->setSuffix(" BPM");
    m_resampling = new QLineEdit;
    m_start = Seconds();
    m_length = Seconds();
    form->addRow("Name:", m_name);
    form->addRow("Tempo:", m_tempo);
    form->addRow("Resampling:", m_resampling);
    form->addRow("Selection start:", m_start);
    form->addRow("Selection length:", m_length);
    controls->addLayout(form);
    controls->addWidget(new QLabel("Effects"));
    m_effects = new QListWidget;
    controls->addWidget(m_effects, 1);
    auto* effectButtons = new QHBoxLayout;
    auto* select = new QPushButton("Select Effect");
    auto* drop = new QPushButton("Remove Effect");
    connect(select, &QPushButton::clicked, this, [this] { AddEffect(); });
    connect(drop, &QPushButton::clicked, this, [this] {
        if (m_view.RemoveEffect(m_effects->currentRow())) Refresh();
    });
    effectButtons->addWidget(select);
    effectButtons->addWidget(drop);
    controls->addLayout(effectButtons);
    columns->addLayout(controls, 2);
    layout->addLayout(columns, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    FillSegments();
    Refresh();
    resize(760, 460);
}

void SegmentDesignerWindow::Store() {
    m_view.SetName(m_name->text().toStdString());
    m_view.SetTempo(m_tempo->value());
    m_view.SetResamplingText(m_resampling->text().trimmed().toStdString());
    m_view.SetSelection(m_start->value(), m_length->value());
}

void SegmentDesignerWindow::Refresh() {
    m_name->setText(QString::fromStdString(m_view.GetName()));
    m_tempo->setValue(m_view.GetTempo());
    m_resampling->setText(QString::fromStdString(m_view.GetResamplingText()));
    m_start->setValue(m_view.GetSelectionStart());
    m_length->setValue(m_view.GetSelectionLength());
    m_effects->clear();
    for (const std::string& label : m_view.GetEffectLabels()) m_effects->addItem(QString::fromStdString(label));
}

void SegmentDesignerWindow::FillSegments() {
    const QSignalBlocker blocker(m_segments);
    m_segments->clear();
    for (const std::string& name : m_view.GetSegmentNames()) m_segments->addItem(QString::fromStdString(name));
    m_segments->setCurrentRow(m_view.GetSelectedSegment());
}

void SegmentDesignerWindow::AddEffect() {
    // "Select Effect": an effect, then one of its parameters.
    QDialog ask(this);
    ask.setWindowTitle("Select Effect");
    auto* form = new QFormLayout(&ask);
    auto* effect = new QComboBox;
    auto* parameter = new QComboBox;
    const auto choices = m_view.GetEffectChoices();
    for (const auto& choice : choices) effect->addItem(QString::fromStdString(choice.first));
    auto fill = [&choices, effect, parameter] {
        parameter->clear();
        const int index = effect->currentIndex();
        if (index < 0 || index >= static_cast<int>(choices.size())) return;
        for (const std::string& name : choices[static_cast<size_t>(index)].second)
            parameter->addItem(QString::fromStdString(name));
    };
    connect(effect, &QComboBox::currentIndexChanged, &ask, fill);
    fill();
    form->addRow("Effect:", effect);
    form->addRow("Parameter:", parameter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    form->addRow(buttons);
    if (ask.exec() != QDialog::Accepted || effect->currentIndex() < 0) return;
    Store();
    if (m_view.AddEffect(effect->currentText().toStdString(), parameter->currentText().toStdString())) Refresh();
}

void SegmentDesignerWindow::Confirm() {
    Store();
    if (m_view.Ok()) QDialog::accept();
}

void SegmentDesignerWindow::done(int result) {
    if (!m_view.IsClosed() && result != QDialog::Accepted) m_view.Cancel();
    QDialog::done(result);
}

}  // namespace vantor::gui

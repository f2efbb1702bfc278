#include "analyzer_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "database/match_point.h"

namespace vantor::gui {

AnalyzerWindow* AnalyzerWindow::Open(CVantorApp& app, const RefPtr<CSongProfile>& song) {
    auto view = app.MakeAnalyzerView();
    if (!song || !view->Open(song)) return nullptr;
    return new AnalyzerWindow(std::move(view));
}

AnalyzerWindow::AnalyzerWindow(std::unique_ptr<CAnalyzerView> view) : m_view(std::move(view)) {
    setWindowTitle(QString::fromStdString(m_view->GetTitle()));
    auto* layout = new QVBoxLayout(this);

    m_waveform = new WaveformWidget(*m_view);
    layout->addWidget(m_waveform, 2);
    m_scroll = new QScrollBar(Qt::Horizontal);
    layout->addWidget(m_scroll);

    auto* zoom = new QHBoxLayout;
    auto addButton = [this](QHBoxLayout* row, const QString& text, std::function<void()> run) {
        auto* button = new QPushButton(text);
        connect(button, &QPushButton::clicked, this, [run = std::move(run)] { run(); });
        m_buttons[text] = button;
        row->addWidget(button);
    };
    addButton(zoom, "Zoom In", [this] { m_waveform->ZoomIn(); });
    addButton(zoom, "Zoom Out", [this] { m_waveform->ZoomOut(); });
    addButton(zoom, "Whole Song", [this] { m_waveform->ShowWhole(); });
    zoom->addStretch();
    m_baseTempo = new QLabel;
    zoom->addWidget(m_baseTempo);
    layout->addLayout(zoom);

    auto* lower = new QHBoxLayout;
    m_points = new QTableWidget(0, 4);
    m_points->setHorizontalHeaderLabels({"Time", "Type", "Tempo", "Label"});
    m_points->verticalHeader()->hide();
    m_points->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_points->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_points->horizontalHeader()->setStretchLastSection(true);
    lower->addWidget(m_points, 3);

    auto* form = new QFormLayout;
    m_type = new QComboBox;
    for (int32_t type : CAnalyzerView::kTypes) m_type->addItem(MatchPointTypeName(type), type);
    m_label = new QLineEdit;
    m_time = new QLineEdit;
    m_tempo = new QLineEdit;
    form->addRow("Type:", m_type);
    form->addRow("Label:", m_label);
    form->addRow("Time:", m_time);
    form->addRow("Tempo:", m_tempo);
    lower->addLayout(form, 2);
    layout->addLayout(lower, 1);

    auto* commands = new QHBoxLayout;
    addButton(commands, "Detect", [this] { Run([this] { m_view->Detect(); }); });
    addButton(commands, "Add", [this] { Run([this] { m_view->Add(); }); });
    addButton(commands, "Remove", [this] { Run([this] { m_view->Remove(); }); });
    addButton(commands, "Goto", [this] { Run([this] { m_view->Goto(); }); });
    addButton(commands, "Clear All", [this] { Run([this] { m_view->ClearAll(); }); });
    addButton(commands, "Base Tempo", [this] { Run([this] { m_view->BaseTempo(); }); });
    addButton(commands, "Shift Ruler", [this] { Run([this] { m_view->ShiftRulerGuide(); }); });
    commands->addStretch();
    addButton(commands, "OK", [this] {
        Push();
        if (m_view->Ok()) CloseFrame();
    });
    addButton(commands, "Cancel", [this] {
        m_view->Cancel();
        CloseFrame();
    });
    layout->addLayout(commands);

    connect(m_type, &QComboBox::activated, this, [this](int index) {
        m_view->SelectType(m_type->itemData(index).toInt());
        Pull();
    });
    connect(m_points, &QTableWidget::itemSelectionChanged, this, [this] {
        std::vector<int> rows;
        for (const auto& index : m_points->selectionModel()->selectedRows()) rows.push_back(index.row());
        if (rows.empty()) return;
        m_view->SelectMatchPoints(rows);
        Pull();
    });
    m_waveform->onClick = [this](double seconds) {
        m_view->SetCursorTime(seconds);
        m_time->setText(QString::number(seconds, 'f', 5));
    };
    m_waveform->onViewChanged = [this] {
        const QSignalBlocker block(m_scroll);
        const int64_t step = std::max<int64_t>(1, static_cast<int64_t>(m_waveform->Scale() * 8));
        m_scroll->setRange(0, static_cast<int>(m_waveform->LastFirstFrame() / step));
        m_scroll->setPageStep(std::max(1, m_waveform->width() / 8));
        m_scroll->setValue(static_cast<int>(m_waveform->FirstFrame() / step));
        m_scroll->setProperty("step", static_cast<qlonglong>(step));
    };
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        const qlonglong step = std::max<qlonglong>(1, m_scroll->property("step").toLongLong());
        m_waveform->SetFirstFrame(value * step);
    });
    resize(980, 620);
    Pull();
}

QPushButton* AnalyzerWindow::Button(const QString& text) const {
    auto found = m_buttons.find(text);
    return found == m_buttons.end() ? nullptr : found->second;
}

void AnalyzerWindow::Push() {
    m_view->SetLabelText(m_label->text().toStdString());
    m_view->SetTimeText(m_time->text().toStdString());
    m_view->SetTempoText(m_tempo->text().toStdString());
}

void AnalyzerWindow::Pull() {
    m_label->setText(QString::fromStdString(m_view->GetLabelText()));
    m_time->setText(QString::fromStdString(m_view->GetTimeText()));
    m_tempo->setText(QString::fromStdString(m_view->GetTempoText()));
    const int typeIndex = m_type->findData(m_view->GetSelectedType());
    if (typeIndex >= 0) m_type->setCurrentIndex(typeIndex);
    m_baseTempo->setText(QString::fromStdString(m_view->GetBaseTempoLabel()));
    const auto rows = m_view->GetRows();
    const QSignalBlocker block(m_points);
    m_points->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[static_cast<size_t>(r)];
        const std::string* texts[] = {&row.time, &row.type, &row.tempo, &row.label};
        for (int c = 0; c < 4; ++c) m_points->setItem(r, c, new QTableWidgetItem(QString::fromStdString(*texts[c])));
    }
    m_waveform->update();
}

void AnalyzerWindow::Run(const std::function<void()>& command) {
    Push();
    command();
    Pull();
}

void AnalyzerWindow::CloseFrame() {
    if (parentWidget()) parentWidget()->close();
}

void AnalyzerWindow::OnNotification(const Notification& notification) {
    if (notification.message != kSongSaved) return;
    if (const auto* key = std::any_cast<std::string>(&notification.first)) {
        m_view->OnSongChanged(*key);
        if (!m_view->IsOpen()) CloseFrame();
    }
}

}  // namespace vantor::gui

#include "event_editor_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantor::gui {

EventEditorWindow::EventEditorWindow(CVantorApp& app, const EventEditorParameters& parameters)
    : m_view(std::make_unique<CEventEditorView>(app.UserInterface(), &app.Database())) {
    m_view->Open(parameters);
    m_view->SetTrackChangedListener([&app](CTrack* track) {
        app.Registry().Broadcast(WindowKind::EventEditor, Notification{kTrackChanged, std::any(track), std::any()});
    });
    setWindowTitle(QString::fromStdString(m_view->GetTitle()));
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    auto* list = new QHBoxLayout;
    const auto& columns = m_view->GetColumns();
    m_rows = new QTableWidget(0, static_cast<int>(columns.size()));
    QStringList names;
    for (const auto& column : columns) names << QString::fromStdString(column.name);
    m_rows->setHorizontalHeaderLabels(names);
    m_rows->verticalHeader()->hide();
    m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rows->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_rows->horizontalHeader()->setStretchLastSection(true);
    list->addWidget(m_rows, 1);
    m_scroll = new QScrollBar(Qt::Vertical);
    list->addWidget(m_scroll);
    layout->addLayout(list, 1);

    auto* form = new QFormLayout;
    m_start = new QLineEdit;
    m_value = new QLineEdit;
    m_name = new QLineEdit;
    m_valueLabel = new QLabel(QString::fromStdString(m_view->GetValueLabel()));
    m_nameLabel = new QLabel("Name:");
    m_song = new QLabel;
    form->addRow("Start:", m_start);
    form->addRow(m_valueLabel, m_value);
    form->addRow(m_nameLabel, m_name);
    form->addRow("Song:", m_song);
    layout->addLayout(form);
    m_nameLabel->setVisible(m_view->ShowsEndAndName());
    m_name->setVisible(m_view->ShowsEndAndName());
    m_song->setVisible(m_view->ShowsEndAndName());
    form->labelForField(m_song)->setVisible(m_view->ShowsEndAndName());

    auto* buttons = new QHBoxLayout;
    const std::pair<const char*, void (CEventEditorView::*)()> commands[] = {
        {"Update Event", &CEventEditorView::UpdateEvent},
        {"Delete Event", &CEventEditorView::DeleteEvent},
        {"Clear Track", &CEventEditorView::ClearTrack}};
    for (const auto& [text, command] : commands) {
        auto* button = new QPushButton(text);
        connect(button, &QPushButton::clicked, this, [this, command = command] { Run(command); });
        buttons->addWidget(button);
    }
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(m_rows, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row < 0) return;
        m_view->SelectRow(row);
        Pull();
    });
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int top) {
        m_view->ThumbTrack(top);
        Pull();
    });
    int width = 0;
    for (const auto& column : columns) width += column.widthPercent;
    resize(640, 460);
    for (int c = 0; c < static_cast<int>(columns.size()); ++c)
        m_rows->setColumnWidth(c, 600 * columns[static_cast<size_t>(c)].widthPercent / std::max(1, width));
    Pull();
}

void EventEditorWindow::Push() {
    m_view->SetStartField(m_start->text().toStdString());
    if (m_view->IsTempoMode()) {
        m_view->SetTempoField(m_value->text().toStdString());
    } else {
        m_view->SetEndField(m_value->text().toStdString());
        m_view->SetNameField(m_name->text().toStdString());
    }
}

void EventEditorWindow::Run(void (CEventEditorView::*command)()) {
    Push();
    ((*m_view).*command)();
    Pull();
}

void EventEditorWindow::Pull() {
    const QSignalBlocker rows(m_rows);
    const QSignalBlocker scroll(m_scroll);
    const auto& shown = m_view->GetRows();
    m_rows->setRowCount(static_cast<int>(shown.size()));
    for (int r = 0; r < static_cast<int>(shown.size()); ++r) {
        const auto& cells = shown[static_cast<size_t>(r)].cells;
        for (int c = 0; c < static_cast<int>(cells.size()) && c < m_rows->columnCount(); ++c)
            m_rows->setItem(r, c, new QTableWidgetItem(QString::fromStdString(cells[static_cast<size_t>(c)])));
    }
    const int selected = m_view->GetSelectedRow();
    if (selected >= 0) {
        m_rows->selectRow(selected);
    } else {
        m_rows->clearSelection();
    }
    m_scroll->setRange(0, m_view->GetScrollLimit());
    m_scroll->setPageStep(m_view->GetVisibleRows());
    m_scroll->setValue(m_view->GetTopRow());
    m_start->setText(QString::fromStdString(m_view->GetStartField()));
    m_value->setText(QString::fromStdString(m_view->IsTempoMode() ? m_view->GetTempoField() : m_view->GetEndField()));
    m_name->setText(QString::fromStdString(m_view->GetNameField()));
    m_song->setText(QString::fromStdString(m_view->GetSongTitleField()));
}

void EventEditorWindow::focusInEvent(QFocusEvent* event) {
    WindowContent::focusInEvent(event);
    m_view->OnFocus();
    Pull();
}

void EventEditorWindow::OnNotification(const Notification& notification) {
    if (notification.message != kTrackChanged) return;
    if (const auto* track = std::any_cast<CTrack*>(&notification.first)) {
        m_view->OnTrackChanged(*track);
        Pull();
    }
}

}  // namespace vantor::gui

#include "playlist_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace vantor::gui {

PlaylistWindow::PlaylistWindow(CVantorApp& app, const PlaylistOpening& opening) : m_view(app.MakePlaylistView()) {
    if (opening.path.empty() || !m_view->Open(opening.path)) m_view->New();
    auto* layout = new QVBoxLayout(this);
    m_table = new QTableWidget(0, 6);
    m_table->setHorizontalHeaderLabels({"Title", "Artist", "Mixer", "Tempo", "O", "P"});
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The texts share the width; the tempo and the two marks take what they need.
    for (int column : {0, 1, 2}) m_table->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Stretch);
    for (int column : {3, 4, 5})
        m_table->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    m_table->setWordWrap(false);
    layout->addWidget(m_table);
    auto* row = new QHBoxLayout;
    auto addButton = [&](const QString& text, std::function<void()> run) {
        auto* button = new QPushButton(text);
        connect(button, &QPushButton::clicked, this, [run = std::move(run)] { run(); });
        m_buttons[text] = button;
        row->addWidget(button);
    };
    addButton("Move Up", [this] {
        const int32_t moved = m_view->MoveUp(SelectedEntry());
        Fill();
        Select(moved);
    });
    addButton("Move Down", [this] {
        const int32_t moved = m_view->MoveDown(SelectedEntry());
        Fill();
        Select(moved);
    });
    addButton("Remove", [this] {
        m_view->Remove(SelectedEntry());
        Fill();
    });
    addButton("Save", [this] {
        m_view->Save();
        Fill();
    });
    addButton("Save As...", [this] {
        m_view->SaveAs();
        Fill();
    });
    row->addStretch();
    m_total = new QLabel;
    row->addWidget(m_total);
    layout->addLayout(row);
    resize(760, 400);
    Fill();
}

QPushButton* PlaylistWindow::Button(const QString& text) const {
    auto found = m_buttons.find(text);
    return found == m_buttons.end() ? nullptr : found->second;
}

int PlaylistWindow::SelectedEntry() const {
    const auto rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty()) return -1;
    return m_table->item(rows.front().row(), 0)->data(Qt::UserRole).toInt();
}

void PlaylistWindow::Select(int32_t entry) {
    for (int r = 0; r < m_table->rowCount(); ++r)
        if (m_table->item(r, 0)->data(Qt::UserRole).toInt() == entry) m_table->selectRow(r);
}

void PlaylistWindow::Fill() {
    setWindowTitle(QString::fromStdString(m_view->GetTitle()));
    const auto rows = m_view->GetRows();
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& entry = rows[static_cast<size_t>(r)];
        const std::string* texts[] = {&entry.title, &entry.artist, &entry.mixer, &entry.tempo, &entry.offline,
                                      &entry.inSet};
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(*texts[c]));
            item->setData(Qt::UserRole, entry.entry);
            m_table->setItem(r, c, item);
        }
    }
    m_total->setText("Total: " + QString::fromStdString(m_view->GetTotalTime()));
}

void PlaylistWindow::OnNotification(const Notification& notification) {
    if (notification.message != kDropDesign) return;
    const auto* drop = std::any_cast<DropRecord>(&notification.first);
    if (!drop || !drop->design || !drop->design->GetSegment()) return;
    m_view->AddSong(drop->design->GetSegment()->GetSongKey());
    Fill();
}

}  // namespace vantor::gui

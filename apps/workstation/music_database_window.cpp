#include "music_database_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "registry_sub_window.h"

namespace vantor::gui {

namespace {
// Shares of the list's width: Title, Artist, Tempo, O, Mixer, Album.
constexpr double kShares[] = {0.35, 0.25, 0.12, 0.04, 0.23, 1.0 / 3.0};
}  // namespace

MusicDatabaseWindow::MusicDatabaseWindow(CVantorApp& app, CDragTracker& drag)
    : m_app(app), m_drag(drag), m_view(app.MakeMusicDatabaseView()) {
    setWindowTitle(CMusicDatabaseView::kTitle);
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    m_list = new QComboBox;
    m_list->setMinimumContentsLength(16);
    top->addWidget(m_list);
    m_latest = new QCheckBox("Latest");
    top->addWidget(m_latest);
    top->addSpacing(12);
    for (auto [kind, name] : {std::pair{CSongProfile::kTypeSong, "Song"}, std::pair{CSongProfile::kTypeBeats, "Beats"},
                              std::pair{CSongProfile::kTypeAcapella, "Acapella"}}) {
        auto* button = new QToolButton;
        button->setText(name);
        button->setCheckable(true);
        button->setChecked(true);
        connect(button, &QToolButton::clicked, this, [this, kind = kind] {
            m_view->ToggleKind(kind);
            Fill();
        });
        m_kinds[kind] = button;
        top->addWidget(button);
    }
    top->addStretch();
    layout->addLayout(top);

    auto* letters = new QHBoxLayout;
    letters->setSpacing(1);
    for (const char* letter = CMusicDatabaseView::kLetters; *letter; ++letter) {
        auto* button = new QToolButton;
        button->setText(QString(QChar(*letter)));
        button->setAutoRaise(true);
        connect(button, &QToolButton::clicked, this, [this, c = *letter] {
            m_list->setCurrentIndex(0);
            m_latest->setChecked(false);
            m_view->JumpToLetter(c);
            Fill();
        });
        m_letters[*letter] = button;
        letters->addWidget(button);
    }
    letters->addStretch();
    layout->addLayout(letters);

    auto* listRow = new QHBoxLayout;
    m_table = new QTableWidget(0, 6);
    m_table->setHorizontalHeaderLabels({"Title", "Artist", "Tempo", "O", "Mixer", "Album"});
    m_table->verticalHeader()->hide();
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setSectionsClickable(true);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->viewport()->installEventFilter(this);
    m_table->installEventFilter(this);
    listRow->addWidget(m_table);
    m_scroll = new QScrollBar(Qt::Vertical);
    listRow->addWidget(m_scroll);
    layout->addLayout(listRow, 1);

    auto* buttons = new QHBoxLayout;
    auto addButton = [&](const QString& text, std::function<void()> run) {
        auto* button = new QPushButton(text);
        connect(button, &QPushButton::clicked, this, [run = std::move(run)] { run(); });
        m_buttons[text] = button;
        buttons->addWidget(button);
    };
    addButton("New Profile", [this] { m_view->NewProfile(); });
    addButton("Analyze Song", [this] { RunOnRow(&CMusicDatabaseView::AnalyzeSong); });
    addButton("Load Music", [this] { RunOnRow(&CMusicDatabaseView::LoadMusic); });
    addButton("Unload Music", [this] { RunOnRow(&CMusicDatabaseView::UnloadMusic); });
    addButton("Remove Song", [this] { RunOnRow(&CMusicDatabaseView::RemoveSong); });
    buttons->addStretch();
    layout->addLayout(buttons);

    for (const auto& choice : m_view->GetListChoices()) m_list->addItem(QString::fromStdString(choice));
    connect(m_list, &QComboBox::activated, this, [this](int index) {
        m_view->ChooseList(m_list->itemText(index).toStdString());
        m_latest->setChecked(m_view->GetListMode() == CMusicDatabaseView::ListMode::Latest);
        Fill();
    });
    connect(m_latest, &QCheckBox::clicked, this, [this](bool on) {
        m_view->SetLatest(on);
        Fill();
    });
    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        m_view->ClickHeader(column);
        Fill();
    });
    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        if (value == m_view->GetTopRow()) return;
        m_view->ScrollTo(value);
        Fill();
    });
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { m_view->OpenProfile(row); });

    resize(900, 520);
    m_view->Open();
    Fill();
}

MusicDatabaseWindow::~MusicDatabaseWindow() {
    // A drag from this window cannot end once it is gone.
    if (m_dragSource && m_drag.GetSource() == m_dragSource) m_drag.Abandon();
}

QToolButton* MusicDatabaseWindow::KindButton(int32_t kind) const {
    auto found = m_kinds.find(kind);
    return found == m_kinds.end() ? nullptr : found->second;
}

QToolButton* MusicDatabaseWindow::LetterButton(char letter) const {
    auto found = m_letters.find(letter);
    return found == m_letters.end() ? nullptr : found->second;
}

QPushButton* MusicDatabaseWindow::Button(const QString& text) const {
    auto found = m_buttons.find(text);
    return found == m_buttons.end() ? nullptr : found->second;
}

int MusicDatabaseWindow::SelectedRow() const {
    const auto rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void MusicDatabaseWindow::RunOnRow(void (CMusicDatabaseView::*command)(int)) {
    const int row = SelectedRow();
    if (row < 0) return;
    ((*m_view).*command)(row);
    Fill();
}

void MusicDatabaseWindow::Fill() {
    const auto& rows = m_view->GetRows();
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[static_cast<size_t>(r)];
        const std::string* texts[] = {&row.title, &row.artist, &row.tempo, &row.offline, &row.mixer, &row.album};
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(*texts[c]));
            if (c == 2 || c == 3) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(r, c, item);
        }
    }
    const QSignalBlocker block(m_scroll);
    m_scroll->setRange(0, m_view->GetScrollMaximum());
    m_scroll->setPageStep(std::max(1, m_table->rowCount()));
    m_scroll->setValue(m_view->GetTopRow());
}

void MusicDatabaseWindow::FitRows() {
    const int rowHeight = std::max(1, m_table->verticalHeader()->defaultSectionSize());
    const int visible = std::max(1, m_table->viewport()->height() / rowHeight);
    m_view->SetVisibleRows(visible);
    const int width = m_table->viewport()->width();
    for (int c = 0; c < 6; ++c) m_table->setColumnWidth(c, static_cast<int>(width * kShares[c]));
}

void MusicDatabaseWindow::resizeEvent(QResizeEvent* event) {
    WindowContent::resizeEvent(event);
    FitRows();
    m_view->Refill();
    Fill();
}

void MusicDatabaseWindow::showEvent(QShowEvent* event) {
    WindowContent::showEvent(event);
    FitRows();
    m_view->Refill();
    Fill();
}

void MusicDatabaseWindow::OnNotification(const Notification& notification) {
    if (notification.message == kShowKeys) {
        if (const auto* keys = std::any_cast<std::vector<std::string>>(&notification.first)) {
            m_view->ShowKeys(*keys);
            m_latest->setChecked(false);
            if (auto* frame = dynamic_cast<IRegistryWindow*>(parentWidget())) frame->BringToTop();
            Fill();
        }
    } else if (notification.message == kSongSaved) {
        m_view->Refill();
        Fill();
    }
}

bool MusicDatabaseWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_table && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        m_scroll->setValue(m_scroll->value() - wheel->angleDelta().y() / 40);
        return true;
    }
    if (watched != m_table->viewport()) return WindowContent::eventFilter(watched, event);
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        m_scroll->setValue(m_scroll->value() - wheel->angleDelta().y() / 40);
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_pressAt = mouse->position().toPoint();
            m_pressRow = m_table->rowAt(m_pressAt.y());
        }
    } else if (event->type() == QEvent::MouseMove) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if ((mouse->buttons() & Qt::LeftButton) && m_pressRow >= 0 && !m_drag.IsDragging() &&
            (mouse->position().toPoint() - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
            const int row = m_pressRow;
            m_pressRow = -1;
            if (auto design = m_view->BeginDrag(row)) {
                m_dragSource = dynamic_cast<IRegistryWindow*>(parentWidget());
                m_drag.BeginDrag(m_dragSource, CMusicDatabaseView::kDragSegmentDesign, *design);
            }
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        m_pressRow = -1;
    }
    return WindowContent::eventFilter(watched, event);
}

void MusicDatabaseWindow::mouseReleaseEvent(QMouseEvent* event) {
    // While a drag is on, this window holds the mouse: the release ends it.
    if (m_drag.IsDragging() && m_dragSource && m_drag.GetSource() == m_dragSource) {
        m_drag.EndDrag(event->globalPosition().toPoint().x(), event->globalPosition().toPoint().y());
        return;
    }
    WindowContent::mouseReleaseEvent(event);
}

}  // namespace vantor::gui

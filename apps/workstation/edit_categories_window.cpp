#include "edit_categories_window.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace vantor::gui {

EditCategoriesWindow::EditCategoriesWindow(CVantorApp& app) : m_app(app), m_view(app.MakeEditCategoriesView()) {
    setWindowTitle(CEditCategoriesView::kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(CEditCategoriesView::kHint);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel("Categories"));
    m_names = new QListWidget;
    left->addWidget(m_names);
    auto* nameButtons = new QHBoxLayout;
    m_add = new QPushButton("Add...");
    m_remove = new QPushButton("Remove");
    nameButtons->addWidget(m_add);
    nameButtons->addWidget(m_remove);
    left->addLayout(nameButtons);
    lists->addLayout(left, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel("Songs"));
    m_entries = new QListWidget;
    // Entries are the songs' paths: the file name at their end is what tells them apart.
    m_entries->setTextElideMode(Qt::ElideLeft);
    m_entries->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    right->addWidget(m_entries);
    m_total = new QLabel;
    right->addWidget(m_total);
    lists->addLayout(right, 2);
    layout->addLayout(lists);

    connect(m_add, &QPushButton::clicked, this, [this] {
        if (auto name = m_app.UserInterface().PromptText("Category name:", "")) {
            m_view->Add(*name);
            Fill();
        }
    });
    connect(m_remove, &QPushButton::clicked, this, [this] {
        if (m_view->GetSelected().empty()) return;
        m_view->Remove(m_view->GetSelected());
        Fill();
    });
    connect(m_names, &QListWidget::currentTextChanged, this, [this](const QString& name) {
        if (name.isEmpty() || name.toStdString() == m_view->GetSelected()) return;
        m_view->Select(name.toStdString());
        Fill();
    });
    connect(m_entries, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_view->ShowInfo(m_entries->row(item));
    });
    resize(620, 420);
    m_view->Open();
    Fill();
}

void EditCategoriesWindow::Fill() {
    {
        const QSignalBlocker block(m_names);
        m_names->clear();
        for (const auto& name : m_view->GetNames()) m_names->addItem(QString::fromStdString(name));
        const auto found = m_names->findItems(QString::fromStdString(m_view->GetSelected()), Qt::MatchExactly);
        if (!found.isEmpty()) m_names->setCurrentItem(found.front());
    }
    m_entries->clear();
    for (const auto& entry : m_view->GetEntries()) {
        auto* item = new QListWidgetItem(QString::fromStdString(entry));
        item->setToolTip(item->text());
        m_entries->addItem(item);
    }
    m_total->setText(QString::fromStdString(m_view->GetTotalText()));
}

void EditCategoriesWindow::OnNotification(const Notification& notification) {
    if (notification.message != kDropDesign) return;
    const auto* drop = std::any_cast<DropRecord>(&notification.first);
    if (!drop || !drop->design) return;
    m_view->DropSegmentDesign(*drop->design, drop->kind);
    Fill();
}

}  // namespace vantor::gui

#include "manage_mix_designs_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace vantor::gui {

namespace {
// A titled list with its "Remove" button under it.
QVBoxLayout* Column(const char* title, QListWidget* list, QPushButton* remove) {
    auto* column = new QVBoxLayout;
    column->addWidget(new QLabel(title));
    column->addWidget(list, 1);
    column->addWidget(remove);
    return column;
}

void Refill(QListWidget* list, const std::vector<std::string>& names) {
    list->clear();
    for (const std::string& name : names) list->addItem(QString::fromStdString(name));
}
}  // namespace

ManageMixDesignsWindow::ManageMixDesignsWindow(CVantorApp& app, const RefPtr<CSongProfile>& song)
    : m_view(app.UserInterface(), app.Database()) {
    m_view.Open(song.get());
    setWindowTitle(QString::fromStdString(m_view.GetTitle()));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_title = new QLabel(QString::fromStdString(m_view.GetSongTitle()));
    m_author = new QLabel(QString::fromStdString(m_view.GetArtist()));
    form->addRow("Title:", m_title);
    form->addRow("Author:", m_author);
    layout->addLayout(form);

    m_within = new QListWidget;
    m_mixOut = new QListWidget;
    m_removeWithin = new QPushButton("Remove");
    m_removeMixOut = new QPushButton("Remove");
    auto* lists = new QHBoxLayout;
    lists->addLayout(Column("Within", m_within, m_removeWithin), 1);
    lists->addLayout(Column("Mix out", m_mixOut, m_removeMixOut), 1);
    layout->addLayout(lists, 1);
    connect(m_removeWithin, &QPushButton::clicked, this, [this] {
        if (m_view.RemoveWithin(m_within->currentRow())) Fill();
    });
    connect(m_removeMixOut, &QPushButton::clicked, this, [this] {
        if (m_view.RemoveMixOut(m_mixOut->currentRow())) Fill();
    });
    connect(m_within, &QListWidget::currentRowChanged, this, [this](int row) { m_removeWithin->setEnabled(row >= 0); });
    connect(m_mixOut, &QListWidget::currentRowChanged, this, [this](int row) { m_removeMixOut->setEnabled(row >= 0); });
    Fill();
    resize(520, 320);
}

void ManageMixDesignsWindow::Fill() {
    Refill(m_within, m_view.GetWithin());
    Refill(m_mixOut, m_view.GetMixOut());
    m_removeWithin->setEnabled(m_within->currentRow() >= 0);
    m_removeMixOut->setEnabled(m_mixOut->currentRow() >= 0);
}

}  // namespace vantor::gui

#include "check_set_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QVBoxLayout>

namespace vantor::gui {

CheckSetWindow::CheckSetWindow(const CheckSetReport& report, QWidget* parent) : QDialog(parent), m_report(report) {
    setWindowTitle(QString::fromStdString(report.title));
    auto* layout = new QVBoxLayout(this);
    m_rows = new QTableWidget(static_cast<int>(report.rows.size()), 3);
    m_rows->setHorizontalHeaderLabels({"Filename", "Track/Pos", "Problem"});
    m_rows->verticalHeader()->hide();
    m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rows->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_rows->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    for (int r = 0; r < static_cast<int>(report.rows.size()); ++r) {
        const CheckSetRow& row = report.rows[static_cast<size_t>(r)];
        m_rows->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(row.songKey)));
        m_rows->setItem(r, 1, new QTableWidgetItem(QString::fromStdString(row.TrackPosition())));
        m_rows->setItem(r, 2, new QTableWidgetItem(QString::fromStdString(row.problem)));
    }
    layout->addWidget(m_rows);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_rows, &QTableWidget::cellDoubleClicked, this, [this] { Confirm(); });
    layout->addWidget(buttons);
    resize(720, 320);
}

void CheckSetWindow::Confirm() {
    const int row = m_rows->currentRow();
    if (row >= 0 && row < static_cast<int>(m_report.rows.size()) && m_rows->selectionModel()->hasSelection())
        m_chosen = m_report.rows[static_cast<size_t>(row)];
    accept();
}

}  // namespace vantor::gui

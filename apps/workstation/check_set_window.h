#pragma once

#include <QDialog>
#include <QTableWidget>
#include <optional>

#include "views/music_set_view.h"

namespace vantor::gui {

// "Check Set - <path>": the problems found, one row each under "Filename",
// "Track/Pos" and "Problem". Choosing a row and confirming (OK or a double
// click) closes the dialog with that row chosen.
class CheckSetWindow : public QDialog {
public:
    CheckSetWindow(const CheckSetReport& report, QWidget* parent = nullptr);

    QTableWidget* Rows() const { return m_rows; }
    const std::optional<CheckSetRow>& Chosen() const { return m_chosen; }

private:
    void Confirm();

    const CheckSetReport& m_report;
    QTableWidget* m_rows;
    std::optional<CheckSetRow> m_chosen;
};

}  // namespace vantor::gui

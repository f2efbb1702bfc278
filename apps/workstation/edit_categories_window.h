#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <memory>

#include "shell/vantor_app.h"
#include "views/edit_categories_view.h"
#include "window_content.h"

namespace vantor::gui {

// "Edit Categories": the category names, the selected category's songs and
// their count. Songs dragged from the music database join the selected one.
class EditCategoriesWindow : public WindowContent {
public:
    explicit EditCategoriesWindow(CVantorApp& app);

    CEditCategoriesView& View() { return *m_view; }
    QListWidget* Names() const { return m_names; }
    QListWidget* Entries() const { return m_entries; }
    QLabel* Total() const { return m_total; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* RemoveButton() const { return m_remove; }

    void OnNotification(const Notification& notification) override;
    void Fill();

private:
    CVantorApp& m_app;
    std::unique_ptr<CEditCategoriesView> m_view;
    QListWidget* m_names;
    QListWidget* m_entries;
    QLabel* m_total;
    QPushButton* m_add;
    QPushButton* m_remove;
};

}  // namespace vantor::gui

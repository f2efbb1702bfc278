#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <memory>

#include "shell/vantor_app.h"
#include "views/manage_mix_designs_view.h"
#include "window_content.h"

namespace vantor::gui {

// "Manage Mix Designs - <title>": the song's "Title:" and "Author:", and
// its "Within" and "Mix out" designs by name, each list with a "Remove"
// button that asks before the design leaves the stored profile.
class ManageMixDesignsWindow : public WindowContent {
public:
    ManageMixDesignsWindow(CVantorApp& app, const RefPtr<CSongProfile>& song);

    CManageMixDesignsView& View() { return m_view; }
    QListWidget* WithinList() const { return m_within; }
    QListWidget* MixOutList() const { return m_mixOut; }
    QPushButton* RemoveWithinButton() const { return m_removeWithin; }
    QPushButton* RemoveMixOutButton() const { return m_removeMixOut; }

private:
    void Fill();

    CManageMixDesignsView m_view;
    QLabel* m_title;
    QLabel* m_author;
    QListWidget* m_within;
    QListWidget* m_mixOut;
    QPushButton* m_removeWithin;
    QPushButton* m_removeMixOut;
};

}  // namespace vantor::gui

#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <map>
#include <memory>

#include "shell/vantor_app.h"
#include "views/song_profile_view.h"
#include "window_content.h"

namespace vantor::gui {

// "Edit Profile": the fields of one song profile, or an empty form for a
// new song; "Add" (or "Modify") stores it.
class SongProfileWindow : public WindowContent {
public:
    SongProfileWindow(CVantorApp& app, const RefPtr<CSongProfile>& song);

    CSongProfileView& View() { return *m_view; }
    QLineEdit* Field(const QString& name) const { return m_fields.at(name); }
    QPushButton* AddButton() const { return m_add; }
    QComboBox* Kind() const { return m_kind; }

    void OnNotification(const Notification& notification) override;

private:
    void Push();
    void Pull();

    CVantorApp& m_app;
    std::unique_ptr<CSongProfileView> m_view;
    std::map<QString, QLineEdit*> m_fields;
    QComboBox* m_kind;
    QComboBox* m_genre;
    QCheckBox* m_private;
    QPushButton* m_add;
};

}  // namespace vantor::gui

#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <map>
#include <memory>

#include "shell/vantor_app.h"
#include "views/find_music_view.h"
#include "window_content.h"

namespace vantor::gui {

// "Find Music": the search fields, kind and genre boxes; the songs found are
// shown in the music database window.
class FindMusicWindow : public WindowContent {
public:
    explicit FindMusicWindow(CVantorApp& app);

    CFindMusicView& View() { return *m_view; }
    QLineEdit* Field(const QString& name) const { return m_fields.at(name); }
    QCheckBox* Box(const QString& name) const { return m_boxes.at(name); }
    QPushButton* Button(const QString& text) const { return m_buttons.at(text); }

private:
    void Push();
    void Pull();

    std::unique_ptr<CFindMusicView> m_view;
    std::map<QString, QLineEdit*> m_fields;
    std::map<QString, QCheckBox*> m_boxes;
    std::map<int32_t, QCheckBox*> m_genres;
    std::map<QString, QPushButton*> m_buttons;
};

}  // namespace vantor::gui

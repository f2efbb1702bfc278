#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <map>
#include <memory>

#include "shell/vantor_app.h"
#include "views/playlist_view.h"
#include "window_content.h"

namespace vantor::gui {

// The playlist editor: the playlist's songs, their total time, moving and
// removing entries, saving. Songs dragged from the music database join it.
class PlaylistWindow : public WindowContent {
public:
    PlaylistWindow(CVantorApp& app, const PlaylistOpening& opening);

    CPlaylistView& View() { return *m_view; }
    QTableWidget* Table() const { return m_table; }
    QLabel* Total() const { return m_total; }
    QPushButton* Button(const QString& text) const;

    void OnNotification(const Notification& notification) override;
    void Fill();

private:
    int SelectedEntry() const;
    void Select(int32_t entry);

    std::unique_ptr<CPlaylistView> m_view;
    QTableWidget* m_table;
    QLabel* m_total;
    std::map<QString, QPushButton*> m_buttons;
};

}  // namespace vantor::gui

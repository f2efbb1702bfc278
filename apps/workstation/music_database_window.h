#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>
#include <memory>

#include "shell/drag_tracker.h"
#include "shell/vantor_app.h"
#include "views/music_database_view.h"
#include "window_content.h"

namespace vantor::gui {

// "Music Database": the list of songs with its list choices, kind toggles,
// letter jumps and row commands. Dragging a row drags the song as a
// segment design.
class MusicDatabaseWindow : public WindowContent {
public:
    MusicDatabaseWindow(CVantorApp& app, CDragTracker& drag);
    ~MusicDatabaseWindow() override;

    CMusicDatabaseView& View() { return *m_view; }
    QTableWidget* Table() const { return m_table; }
    QComboBox* ListChoice() const { return m_list; }
    QToolButton* KindButton(int32_t kind) const;
    QToolButton* LetterButton(char letter) const;
    QPushButton* Button(const QString& text) const;
    QScrollBar* RowScroll() const { return m_scroll; }

    void OnNotification(const Notification& notification) override;
    // Draws the view's rows.
    void Fill();
    int SelectedRow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FitRows();
    void RunOnRow(void (CMusicDatabaseView::*command)(int));

    CVantorApp& m_app;
    CDragTracker& m_drag;
    std::unique_ptr<CMusicDatabaseView> m_view;
    QComboBox* m_list;
    QCheckBox* m_latest;
    QTableWidget* m_table;
    QScrollBar* m_scroll;
    std::map<int32_t, QToolButton*> m_kinds;
    std::map<char, QToolButton*> m_letters;
    std::map<QString, QPushButton*> m_buttons;
    QPoint m_pressAt;
    int m_pressRow = -1;
    IRegistryWindow* m_dragSource = nullptr;
};

}  // namespace vantor::gui

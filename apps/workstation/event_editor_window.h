#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <memory>

#include "shell/vantor_app.h"
#include "views/event_editor_view.h"
#include "window_content.h"

namespace vantor::gui {

// "Event Editor - <track>": the events of one track as a list with the
// columns of its mode, the edit fields of the selected row, and Update
// Event, Delete Event and Clear Track. Changes go to the set editor's
// history; the set editors repaint the track when told.
class EventEditorWindow : public WindowContent {
public:
    EventEditorWindow(CVantorApp& app, const EventEditorParameters& parameters);

    CEventEditorView& View() { return *m_view; }
    QTableWidget* Rows() const { return m_rows; }
    QLineEdit* StartField() const { return m_start; }
    QLineEdit* ValueField() const { return m_value; }
    QLineEdit* NameField() const { return m_name; }
    void OnNotification(const Notification& notification) override;
    // Refills from the view.
    void Pull();

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void Push();
    void Run(void (CEventEditorView::*command)());

    std::unique_ptr<CEventEditorView> m_view;
    QTableWidget* m_rows;
    QScrollBar* m_scroll;
    QLineEdit* m_start;
    QLabel* m_valueLabel;
    QLineEdit* m_value;
    QLabel* m_nameLabel;
    QLineEdit* m_name;
    QLabel* m_song;
};

}  // namespace vantor::gui

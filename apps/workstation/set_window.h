#pragma once

#include <QTableWidget>
#include <memory>

#include "shell/vantor_app.h"
#include "views/set_document.h"
#include "window_content.h"

namespace vantor::gui {

// A set's window: its tracks with their events and track effects, and the
// mixdown of the saved set. Closing asks to save a changed set.
class SetWindow : public WindowContent {
public:
    SetWindow(CVantorApp& app, std::shared_ptr<CSetDocument> document);

    CSetDocument& Document() { return *m_document; }
    QTableWidget* Tracks() const { return m_tracks; }
    bool QueryClose() override;

private:
    void Fill();

    CVantorApp& m_app;
    std::shared_ptr<CSetDocument> m_document;
    QTableWidget* m_tracks;
};

}  // namespace vantor::gui

#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <array>
#include <map>
#include <memory>

#include "shell/vantor_app.h"
#include "views/sample_database_view.h"
#include "window_content.h"

namespace vantor::gui {

// "Sample Database": the samples of the music database, the "Presets
// (Alt+)" buttons "1" to "8" that put the selected sample on a trigger slot,
// each with the slot's name beside it, "Play" that previews the selection,
// and loading and saving sound preset files. The main window's sample
// buttons take the slot names as their tool tips.
class SampleDatabaseWindow : public WindowContent {
public:
    static constexpr const char* kTitle = "Sample Database";

    // The app must be started: its sample bank exists.
    SampleDatabaseWindow(CVantorApp& app, IMainFrame& frame);

    CSampleDatabaseView& View() { return m_view; }
    QListWidget* Samples() const { return m_list; }
    QPushButton* Preset(int button) const { return m_presets.at(static_cast<size_t>(button - 1)); }
    QLabel* SlotLabel(int button) const { return m_labels.at(static_cast<size_t>(button - 1)); }
    QPushButton* Button(const QString& text) const { return m_buttons.at(text); }

    void OnNotification(const Notification& notification) override;

private:
    // The wave file of the selected sample, empty for none.
    std::string SelectedPath() const;
    // The list from the view, with the sample of that path selected again.
    void Fill(const std::string& keep);
    // The slot labels and the main window's tips from the view's labels.
    void ShowSlots();
    void Enable();

    IMainFrame& m_frame;
    CSampleDatabaseView m_view;
    QListWidget* m_list = nullptr;
    std::array<QPushButton*, CSampleBank::kTriggerSlots> m_presets{};
    std::array<QLabel*, CSampleBank::kTriggerSlots> m_labels{};
    std::map<QString, QPushButton*> m_buttons;
};

}  // namespace vantor::gui

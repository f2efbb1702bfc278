#pragma once

#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QToolBar>
#include <map>

#include "shell/vantor_app.h"

namespace vantor::gui {

class QtUserInterface;
class RegistrySubWindow;
class WindowContent;

// The main window: the menus and tool bars of the application commands
// and the MDI area holding the registry's windows.
class MainWindow : public QMainWindow, public IMainFrame {
public:
    explicit MainWindow(QtUserInterface& ui);

    // The application whose commands the menus carry; set before start-up.
    void Attach(CVantorApp& app) { m_app = &app; }

    bool Create() override;
    void Show() override { show(); }
    void SetEffectPresetTips(const std::vector<std::string>& names) override;
    void SetRecentSets(const std::vector<std::string>& paths) override;
    void SetSampleTips(const std::vector<std::string>& names) override;

    // Adds a registry window holding the content to the MDI area.
    RegistrySubWindow* AddWindow(WindowKind kind, WindowContent* content);
    QMdiArea* Area() const { return m_area; }
    // The registry window at a global point, or null over the background.
    RegistrySubWindow* WindowAt(const QPoint& globalPoint) const;
    // Menu commands by their text ("View Music"), for the walk through the menus.
    const std::map<QString, QAction*>& Commands() const { return m_commands; }
    // The commands that open a window, in menu order.
    QList<QAction*> WindowCommands() const { return m_windowCommands; }
    QList<QAction*> PresetButtons() const { return m_presetButtons; }
    // Trigger sample 1 to 8 (Alt+1 ... Alt+8).
    QList<QAction*> SampleButtons() const { return m_sampleButtons; }

    // Commands that run a dialog of their own.
    void Configure();
    void AddBatch();
    void UpdateDatabase();
    void Mixdown();
    void ShowHelp();
    // "MIDI Control Mapper": edits the app's controller bindings.
    void MapMIDIControls();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, const QString& text, const QKeySequence& shortcut,
                        std::function<void()> run, bool opensWindow = false);

    QtUserInterface& m_ui;
    CVantorApp* m_app = nullptr;
    QMdiArea* m_area = nullptr;
    QMenu* m_recentMenu = nullptr;
    std::map<QString, QAction*> m_commands;
    QList<QAction*> m_windowCommands;
    QList<QAction*> m_presetButtons;
    QList<QAction*> m_sampleButtons;
};

}  // namespace vantor::gui

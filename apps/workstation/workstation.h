#pragma once

#include <memory>
#include <string>
#include <vector>

#include "main_window.h"
#include "qt_user_interface.h"
#include "shell/drag_tracker.h"
#include "shell/vantor_app.h"
#include "system_clipboard.h"

namespace vantor::gui {

// The running workstation: the Qt user interface, the main window, the
// application object and the drag tracker, with the document template
// that makes each kind's window and the posted work bound to Qt's loop.
class Workstation {
public:
    Workstation();
    ~Workstation();
    Workstation(const Workstation&) = delete;
    Workstation& operator=(const Workstation&) = delete;

    bool Start(const std::string& programDirectory, const std::vector<std::string>& arguments);

    MainWindow& Main() { return *m_main; }
    CVantorApp& App() { return *m_app; }
    QtUserInterface& Ui() { return m_ui; }
    CDragTracker& Drag() { return *m_drag; }
    // The content of the first open window of the kind, or null.
    template <class T>
    T* Find(WindowKind kind) const;

private:
    void MakeWindow(WindowKind kind);
    CDragTracker::Host DragHost();

    QtUserInterface m_ui;
    SystemClipboard m_clipboard;
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<CVantorApp> m_app;
    std::unique_ptr<CDragTracker> m_drag;
};

}  // namespace vantor::gui

#include "registry_sub_window.h"

namespace vantor::gui {

template <class T>
T* Workstation::Find(WindowKind kind) const {
    for (IRegistryWindow* window : m_app->Registry().GetWindows(kind))
        if (auto* sub = dynamic_cast<RegistrySubWindow*>(window))
            if (auto* content = dynamic_cast<T*>(sub->Content())) return content;
    return nullptr;
}

}  // namespace vantor::gui

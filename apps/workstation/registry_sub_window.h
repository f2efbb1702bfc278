#pragma once

#include <QMdiSubWindow>

#include "shell/registry_window.h"
#include "shell/window_registry.h"
#include "window_content.h"

namespace vantor::gui {

// A sub-window of the main window's MDI area, known to the window registry
// from the moment it shows until it closes.
class RegistrySubWindow : public QMdiSubWindow, public IRegistryWindow {
public:
    RegistrySubWindow(CWindowRegistry& registry, WindowKind kind, WindowContent* content);
    ~RegistrySubWindow() override;

    WindowKind Kind() const { return m_kind; }
    WindowContent* Content() const { return m_content; }

    void OnNotification(const Notification& notification) override { m_content->OnNotification(notification); }
    void RequestClose() override;
    void Destroy() override;
    void BringToTop() override;
    WindowRect GetRect() const override;
    void MoveTo(int left, int top) override { move(left, top); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Leaves the registry, keeping the position for the next window.
    void Detach();

    CWindowRegistry& m_registry;
    WindowKind m_kind;
    WindowContent* m_content;
    bool m_attached = true;
    bool m_closeRequested = false;
};

}  // namespace vantor::gui

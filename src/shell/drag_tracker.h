#pragma once

#include <functional>

#include "model/ref_ptr.h"
#include "model/segment_design.h"
#include "shell/registry_window.h"

namespace vantor {

class CWindowRegistry;

// Dragging a stored segment design from one window onto another: the
// source begins the drag, and its mouse release ends it over the window
// under the cursor, which receives the drop notification.
class CDragTracker {
public:
    static constexpr int kDesignCursorKind = 1;

    // What the tracker needs of the windowing toolkit.
    struct Host {
        // The window under a screen point, or null over the main window's
        // empty background.
        std::function<IRegistryWindow*(int x, int y)> windowAt = [](int, int) { return nullptr; };
        std::function<void(IRegistryWindow* source)> captureMouse = [](IRegistryWindow*) {};
        std::function<void()> releaseMouse = [] {};
        // Shows the design cursor; the previous one is kept for restoreCursor.
        std::function<void()> setDesignCursor = [] {};
        std::function<void()> restoreCursor = [] {};
    };

    CDragTracker(CWindowRegistry& registry, Host host) : m_registry(registry), m_host(std::move(host)) {}

    void BeginDrag(IRegistryWindow* source, int kind, RefPtr<CSegmentDesign> design);
    // True when the design was dropped on a window; without one under the
    // point the drag stays active.
    bool EndDrag(int x, int y);
    // Stops a drag without a drop (the source window went away).
    void Abandon();
    bool IsDragging() const { return m_dragging; }
    IRegistryWindow* GetSource() const { return m_source; }
    const RefPtr<CSegmentDesign>& GetDesign() const { return m_design; }

private:
    void Finish();

    CWindowRegistry& m_registry;
    Host m_host;
    RefPtr<CSegmentDesign> m_design;
    IRegistryWindow* m_source = nullptr;
    int m_kind = 0;
    bool m_dragging = false;
    bool m_cursorSet = false;
};

}  // namespace vantor

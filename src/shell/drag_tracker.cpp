#include "shell/drag_tracker.h"

#include "shell/notification.h"
#include "shell/window_registry.h"

namespace vantor {

void CDragTracker::BeginDrag(IRegistryWindow* source, int kind, RefPtr<CSegmentDesign> design) {
    // A drag that never ended gives way to the new one, releasing its design.
    if (m_dragging) Finish();
    m_design = std::move(design);
    m_source = source;
    m_kind = kind;
    m_dragging = true;
    m_host.captureMouse(source);
    if (kind == kDesignCursorKind) {
        m_host.setDesignCursor();
        m_cursorSet = true;
    }
}

bool CDragTracker::EndDrag(int x, int y) {
    if (!m_dragging) return false;
    IRegistryWindow* target = m_host.windowAt(x, y);
    if (!target) return false;
    DropRecord drop{x, y, m_kind, m_design};
    Finish();
    m_registry.Send(*target, Notification{kDropDesign, std::any(std::move(drop)), std::any()});
    return true;
}

void CDragTracker::Abandon() {
    if (m_dragging) Finish();
}

void CDragTracker::Finish() {
    m_host.releaseMouse();
    if (m_cursorSet) m_host.restoreCursor();
    m_cursorSet = false;
    m_design = RefPtr<CSegmentDesign>();
    m_source = nullptr;
    m_dragging = false;
}

}  // namespace vantor

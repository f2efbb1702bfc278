#include "shell/window_registry.h"

#include <algorithm>

namespace vantor {

namespace {
const std::any kNoData;
}  // namespace

bool CWindowRegistry::Register(int32_t resource, WindowKind kind, bool multiple,
                               DocumentTemplate documentTemplate) {
    if (Find(kind)) return false;
    for (auto& slot : m_slots) {
        if (slot) continue;
        slot.emplace();
        slot->kind = kind;
        slot->resource = resource;
        slot->multiple = multiple;
        slot->documentTemplate = std::move(documentTemplate);
        return true;
    }
    return false;
}

CWindowRegistry::Slot* CWindowRegistry::Find(WindowKind kind) {
    for (auto& slot : m_slots)
        if (slot && slot->kind == kind) return &*slot;
    return nullptr;
}

const CWindowRegistry::Slot* CWindowRegistry::Find(WindowKind kind) const {
    for (const auto& slot : m_slots)
        if (slot && slot->kind == kind) return &*slot;
    return nullptr;
}

void CWindowRegistry::Open(WindowKind kind, std::any data, bool replace) {
    Slot* slot = Find(kind);
    if (!slot) return;
    if (slot->windows.size() == 1 && !slot->multiple) {
        if (replace) {
            slot->windows.front()->Destroy();
        } else {
            slot->windows.front()->BringToTop();
        }
    }
    if (!slot->windows.empty() && !slot->multiple) return;
    slot->openingData = std::move(data);
    if (slot->documentTemplate) slot->documentTemplate(kind);
}

const std::any& CWindowRegistry::GetOpeningData(WindowKind kind) const {
    const Slot* slot = Find(kind);
    return slot ? slot->openingData : kNoData;
}

int CWindowRegistry::AddWindow(WindowKind kind, IRegistryWindow* window) {
    Slot* slot = Find(kind);
    if (!slot || !window) return -1;
    auto found = std::find(slot->windows.begin(), slot->windows.end(), window);
    if (found != slot->windows.end()) return static_cast<int>(found - slot->windows.begin());
    slot->windows.push_back(window);
    return static_cast<int>(slot->windows.size() - 1);
}

void CWindowRegistry::RemoveWindow(WindowKind kind, IRegistryWindow* window) {
    Slot* slot = Find(kind);
    if (!slot) return;
    slot->windows.erase(std::remove(slot->windows.begin(), slot->windows.end(), window), slot->windows.end());
    // Notifications still waiting for the window would reach freed memory.
    std::erase_if(m_posted, [window](const Delivery& delivery) { return delivery.window == window; });
}

void CWindowRegistry::SavePosition(WindowKind kind, const IRegistryWindow& window) {
    if (Slot* slot = Find(kind)) slot->savedPosition = window.GetRect();
}

int CWindowRegistry::RestorePosition(WindowKind kind, IRegistryWindow& window) const {
    const Slot* slot = Find(kind);
    if (!slot) return -1;
    if (!slot->savedPosition.IsEmpty()) window.MoveTo(slot->savedPosition.left, slot->savedPosition.top);
    return 0;
}

bool CWindowRegistry::IsOpen(WindowKind kind) const {
    const Slot* slot = Find(kind);
    return slot && !slot->windows.empty();
}

std::vector<IRegistryWindow*> CWindowRegistry::GetWindows(WindowKind kind) const {
    const Slot* slot = Find(kind);
    return slot ? slot->windows : std::vector<IRegistryWindow*>{};
}

void CWindowRegistry::Post(WindowKind kind, Notification notification) {
    Slot* slot = Find(kind);
    if (!slot || slot->windows.empty()) return;
    for (IRegistryWindow* window : slot->windows) m_posted.push_back({window, notification});
    if (m_wake) m_wake();
}

void CWindowRegistry::Broadcast(WindowKind sender, const Notification& notification) {
    bool posted = false;
    for (auto& slot : m_slots) {
        if (!slot || slot->kind == sender) continue;
        for (IRegistryWindow* window : slot->windows) {
            m_posted.push_back({window, notification});
            posted = true;
        }
    }
    if (posted && m_wake) m_wake();
}

void CWindowRegistry::Send(IRegistryWindow& window, const Notification& notification) {
    window.OnNotification(notification);
}

size_t CWindowRegistry::DispatchPosted() {
    // Only what was posted so far: a receiver that posts again is served on
    // the loop's next turn, so one pass always ends.
    size_t count = m_posted.size();
    size_t delivered = 0;
    while (count-- > 0 && !m_posted.empty()) {
        Delivery delivery = std::move(m_posted.front());
        m_posted.pop_front();
        delivery.window->OnNotification(delivery.notification);
        ++delivered;
    }
    return delivered;
}

bool CWindowRegistry::IsStillOpen(const IRegistryWindow* window) const {
    for (const auto& slot : m_slots)
        if (slot && std::find(slot->windows.begin(), slot->windows.end(), window) != slot->windows.end())
            return true;
    return false;
}

bool CWindowRegistry::CloseAll() {
    m_cancelled = false;
    for (auto& slot : m_slots) {
        if (!slot) continue;
        // Closing windows remove themselves; walk a copy.
        const std::vector<IRegistryWindow*> windows = slot->windows;
        for (IRegistryWindow* window : windows) {
            if (m_cancelled) break;
            if (IsStillOpen(window)) window->RequestClose();
        }
        if (m_cancelled) break;
        // Windows that stayed open (a refused close) stay registered, so
        // IsOpen and the notifications still find them.
        if (slot->windows.empty()) slot->windows.shrink_to_fit();
    }
    return !m_cancelled;
}

void CWindowRegistry::DestroyAll() {
    for (auto& slot : m_slots)
        if (slot) slot->documentTemplate = nullptr;
}

}  // namespace vantor

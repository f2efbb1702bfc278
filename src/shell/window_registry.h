#pragma once

#include <any>
#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "shell/notification.h"
#include "shell/registry_window.h"
#include "shell/window_kind.h"

namespace vantor {

// The process-wide table of window kinds: how to open a window of each kind,
// which are open, what the next one opens with and where the last one
// stood. Windows reach each other only through it: they open windows with
// data and post notifications. Everything runs on the user interface thread.
class CWindowRegistry {
public:
    static constexpr size_t kSlots = 40;
    static constexpr int32_t kResource = 128;

    // Creates a frame and view of the kind; the new window reads its
    // opening data and adds itself while it initialises.
    using DocumentTemplate = std::function<void(WindowKind)>;

    // Fills the next free slot; false when the kind is registered already or
    // the table is full.
    bool Register(int32_t resource, WindowKind kind, bool multiple, DocumentTemplate documentTemplate);

    void Open(WindowKind kind, std::any data, bool replace);
    // The data of the last Open of the kind; it stays until the next Open.
    const std::any& GetOpeningData(WindowKind kind) const;

    // The window's index among the kind's open windows; -1 for an
    // unregistered kind.
    int AddWindow(WindowKind kind, IRegistryWindow* window);
    void RemoveWindow(WindowKind kind, IRegistryWindow* window);
    void SavePosition(WindowKind kind, const IRegistryWindow& window);
    // Moves the window to the saved rectangle's top-left corner unless that
    // rectangle is empty; -1 for an unregistered kind.
    int RestorePosition(WindowKind kind, IRegistryWindow& window) const;
    bool IsOpen(WindowKind kind) const;
    std::vector<IRegistryWindow*> GetWindows(WindowKind kind) const;

    // Posted notifications wait until the user interface thread's loop
    // calls DispatchPosted; wake tells that loop there is something to do.
    void Post(WindowKind kind, Notification notification);
    void Broadcast(WindowKind sender, const Notification& notification);
    // Delivers a notification to one window at once.
    void Send(IRegistryWindow& window, const Notification& notification);
    void SetWake(std::function<void()> wake) { m_wake = std::move(wake); }
    // Delivers the notifications posted so far, in order; the number delivered.
    size_t DispatchPosted();
    size_t PendingCount() const { return m_posted.size(); }

    // Asks every open window to close; false when one of them cancelled.
    bool CloseAll();
    void CancelClose() { m_cancelled = true; }
    void DestroyAll();

private:
    struct Slot {
        WindowKind kind;
        int32_t resource = 0;
        bool multiple = false;
        DocumentTemplate documentTemplate;
        std::vector<IRegistryWindow*> windows;
        std::any openingData;
        WindowRect savedPosition;
    };
    struct Delivery {
        IRegistryWindow* window;
        Notification notification;
    };

    Slot* Find(WindowKind kind);
    const Slot* Find(WindowKind kind) const;
    bool IsStillOpen(const IRegistryWindow* window) const;

    std::array<std::optional<Slot>, kSlots> m_slots;
    std::deque<Delivery> m_posted;
    std::function<void()> m_wake;
    bool m_cancelled = false;
};

}  // namespace vantor

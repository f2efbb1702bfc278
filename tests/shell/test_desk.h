#pragma once

#include <algorithm>
#include <any>
#include <memory>
#include <vector>

#include "shell/window_registry.h"

namespace vantor::test {

// A window of the registry without pixels: it records what it was opened
// with and every notification it received.
class DeskWindow : public IRegistryWindow {
public:
    DeskWindow(class Desk& desk, WindowKind kind, std::any data) : m_desk(desk), kind(kind), data(std::move(data)) {}

    void OnNotification(const Notification& notification) override { received.push_back(notification); }
    void RequestClose() override;
    void Destroy() override;
    void BringToTop() override { ++broughtToTop; }
    WindowRect GetRect() const override { return rect; }
    void MoveTo(int left, int top) override {
        rect = {left, top, left + rect.right - rect.left, top + rect.bottom - rect.top};
    }

    Desk& m_desk;
    WindowKind kind;
    std::any data;
    std::vector<Notification> received;
    WindowRect rect{0, 0, 300, 200};
    int broughtToTop = 0;
    bool refuseClose = false;
};

// Owns the windows the registry's document template makes.
class Desk {
public:
    explicit Desk(CWindowRegistry& registry) : registry(registry) {}

    CWindowRegistry::DocumentTemplate Template() {
        return [this](WindowKind kind) {
            auto window = std::make_unique<DeskWindow>(*this, kind, registry.GetOpeningData(kind));
            if (onCreate) onCreate(*window);
            registry.AddWindow(kind, window.get());
            registry.RestorePosition(kind, *window);
            windows.push_back(std::move(window));
        };
    }

    void RegisterAll() {
        for (const auto& info : kWindowKinds)
            registry.Register(CWindowRegistry::kResource, info.kind, info.multiple, Template());
    }

    std::vector<DeskWindow*> Of(WindowKind kind) const {
        std::vector<DeskWindow*> found;
        for (const auto& window : windows)
            if (window->kind == kind) found.push_back(window.get());
        return found;
    }

    void Remove(DeskWindow* window) {
        registry.SavePosition(window->kind, *window);
        registry.RemoveWindow(window->kind, window);
        std::erase_if(windows, [window](const auto& held) { return held.get() == window; });
    }

    CWindowRegistry& registry;
    std::vector<std::unique_ptr<DeskWindow>> windows;
    std::function<void(DeskWindow&)> onCreate;
};

inline void DeskWindow::RequestClose() {
    if (refuseClose) {
        m_desk.registry.CancelClose();
        return;
    }
    Destroy();
}

inline void DeskWindow::Destroy() { m_desk.Remove(this); }

}  // namespace vantor::test

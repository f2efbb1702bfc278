#pragma once

#include "shell/notification.h"

namespace vantor {

// A rectangle in the coordinates of the main window's client area.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool IsEmpty() const { return left == right; }
};

// What the window registry asks of an open window. A window adds itself to
// the registry when it initialises and removes itself when it is destroyed.
class IRegistryWindow {
public:
    virtual ~IRegistryWindow() = default;

    virtual void OnNotification(const Notification& notification) = 0;
    // The close request: the window asks its questions and either destroys
    // itself or, during CloseAll, calls CancelClose.
    virtual void RequestClose() = 0;
    // Destroys the window at once, without questions.
    virtual void Destroy() = 0;
    virtual void BringToTop() = 0;
    virtual WindowRect GetRect() const = 0;
    virtual void MoveTo(int left, int top) = 0;
};

}  // namespace vantor

#pragma once

#include <QWidget>

#include "shell/notification.h"

namespace vantor::gui {

// The inside of a registry window: a thin widget over one view. It draws
// the view's state and forwards input; the frame around it belongs to the
// registry.
class WindowContent : public QWidget {
public:
    using QWidget::QWidget;

    virtual void OnNotification(const Notification&) {}
    // Asked before the window closes: false keeps it open.
    virtual bool QueryClose() { return true; }
};

}  // namespace vantor::gui

#include "registry_sub_window.h"

#include <QCloseEvent>
#include <QMdiArea>

namespace vantor::gui {

RegistrySubWindow::RegistrySubWindow(CWindowRegistry& registry, WindowKind kind, WindowContent* content)
    : m_registry(registry), m_kind(kind), m_content(content) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(content);
    setWindowTitle(content->windowTitle());
    connect(content, &QWidget::windowTitleChanged, this, &QWidget::setWindowTitle);
    m_registry.AddWindow(kind, this);
}

RegistrySubWindow::~RegistrySubWindow() { Detach(); }

void RegistrySubWindow::Detach() {
    if (!m_attached) return;
    m_attached = false;
    m_registry.SavePosition(m_kind, *this);
    m_registry.RemoveWindow(m_kind, this);
}

void RegistrySubWindow::closeEvent(QCloseEvent* event) {
    if (!m_closeRequested && !m_content->QueryClose()) {
        event->ignore();
        return;
    }
    Detach();
    QMdiSubWindow::closeEvent(event);
}

void RegistrySubWindow::RequestClose() {
    if (!m_content->QueryClose()) {
        m_registry.CancelClose();
        return;
    }
    // Answered already: the close event must not ask again.
    m_closeRequested = true;
    Detach();
    close();
}

void RegistrySubWindow::Destroy() {
    Detach();
    delete this;
}

void RegistrySubWindow::BringToTop() {
    if (QMdiArea* area = mdiArea()) area->setActiveSubWindow(this);
    raise();
}

WindowRect RegistrySubWindow::GetRect() const {
    const QRect r = geometry();
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

}  // namespace vantor::gui

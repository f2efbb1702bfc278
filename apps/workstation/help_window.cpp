#include "help_window.h"

#include <QUrl>
#include <QVBoxLayout>

namespace vantor::gui {

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser) {
    setWindowTitle("Vantor Help");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    m_browser->setOpenExternalLinks(false);
    m_browser->setSource(QUrl(kContents));
    layout->addWidget(m_browser);
    resize(720, 640);
}

}  // namespace vantor::gui

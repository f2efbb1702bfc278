#pragma once

#include <QDialog>
#include <QTextBrowser>

namespace vantor::gui {

// "Introduction" of the Help menu: the help contents, kept in the program.
class HelpWindow : public QDialog {
public:
    static constexpr const char* kContents = "qrc:/help/introduction.html";

    explicit HelpWindow(QWidget* parent = nullptr);
    QTextBrowser* Browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};

}  // namespace vantor::gui

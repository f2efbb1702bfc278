#include "menu_walk.h"

#include <QApplication>

#include "workstation.h"

namespace vantor::gui {

std::vector<std::string> MenuWalk::Run(Workstation& workstation) {
    std::vector<std::string> failures;
    MainWindow& main = workstation.Main();
    for (QAction* action : main.WindowCommands()) {
        const auto before = main.Area()->subWindowList().size();
        action->trigger();
        QApplication::processEvents();
        QString name = action->text();
        name.remove('&');
        if (main.Area()->subWindowList().size() <= before)
            failures.push_back(name.toStdString() + ": no window opened");
    }
    if (!main.close()) failures.push_back("the main window did not close");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (!main.Area()->subWindowList().isEmpty()) failures.push_back("windows stayed open after closing");
    return failures;
}

}  // namespace vantor::gui

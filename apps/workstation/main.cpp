// vantor-workstation: the desktop workstation on the program directory
// (the working directory). Besides an optional set or playlist file it
// takes checks of its own: --walk-menus opens every window through the
// menus and closes them all, --walk-set SET plays, edits, commits and mixes
// down a set in its editor, --screenshots DIR writes a picture of each
// window into DIR.
#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "dark_theme.h"
#include "menu_walk.h"
#include "platform/file_io.h"
#include "screenshot_tour.h"
#include "set_walk.h"
#include "workstation.h"

int main(int argc, char** argv) {
    using namespace vantor;
    QApplication application(argc, argv);
    QApplication::setApplicationName("Vantor");
    QApplication::setApplicationDisplayName("Vantor");
    QApplication::setDesktopFileName("vantor-workstation");
    gui::ApplyDarkTheme(application);

    bool walk = false;
    std::string screenshots;
    std::string walkSet;
    std::vector<std::string> arguments;
    const QStringList words = QApplication::arguments();
    for (int i = 1; i < words.size(); ++i) {
        if (words[i] == "--walk-menus") {
            walk = true;
        } else if (words[i] == "--walk-set" && i + 1 < words.size()) {
            walkSet = words[++i].toStdString();
        } else if (words[i] == "--screenshots" && i + 1 < words.size()) {
            screenshots = words[++i].toStdString();
        } else {
            arguments.push_back(words[i].toStdString());
        }
    }

    const auto directory = CurrentDirectory();
    if (!directory) {
        std::fprintf(stderr, "vantor-workstation: the working directory cannot be read\n");
        return 1;
    }
    gui::Workstation workstation;
    if (!workstation.Start(*directory, arguments)) return 1;

    auto report = [](const std::vector<std::string>& failures) {
        for (const auto& failure : failures) std::fprintf(stderr, "vantor-workstation: %s\n", failure.c_str());
        QApplication::exit(failures.empty() ? 0 : 1);
    };
    if (walk) {
        QTimer::singleShot(0, [&] { report(gui::MenuWalk::Run(workstation)); });
    } else if (!walkSet.empty()) {
        QTimer::singleShot(0, [&] { report(gui::SetWalk::Run(workstation, walkSet)); });
    } else if (!screenshots.empty()) {
        QTimer::singleShot(0, [&] {
            auto failures = gui::ScreenshotTour::Run(workstation, screenshots);
            workstation.Main().close();
            report(failures);
        });
    }
    return QApplication::exec();
}

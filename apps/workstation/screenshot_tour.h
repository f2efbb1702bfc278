#pragma once

#include <string>
#include <vector>

namespace vantor::gui {

class Workstation;

// Opens every window on the program directory's data and writes a picture
// of each, named after the window ("Music Database.png"), into a folder.
// What could not be shown or written, one line each.
class ScreenshotTour {
public:
    static std::vector<std::string> Run(Workstation& workstation, const std::string& folder);
};

}  // namespace vantor::gui

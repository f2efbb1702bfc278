#pragma once

#include <string>
#include <vector>

namespace vantor::gui {

class Workstation;

// A walk through the menus: every command that opens a window is triggered
// from its menu, each must leave its window open, and the main window is
// then closed, which closes them all. What failed, one line each; empty
// when everything opened and closed.
class MenuWalk {
public:
    static std::vector<std::string> Run(Workstation& workstation);
};

}  // namespace vantor::gui

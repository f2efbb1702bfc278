#pragma once

#include <string>
#include <vector>

namespace vantor::gui {

class Workstation;

// A walk through the set editor on a real display: opens the set, plays it
// on the null device until the play cursor moves, drags the first segment
// of track 1 by the mouse, commits the change to the playing set, stops,
// saves, mixes the set down beside it and closes the main window. What
// failed, one line each; empty when every step worked.
class SetWalk {
public:
    static std::vector<std::string> Run(Workstation& workstation, const std::string& setPath);
};

}  // namespace vantor::gui

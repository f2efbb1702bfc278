#pragma once

#include <string>
#include <vector>

#include "editing/set_editor_state.h"

namespace vantor {

class CMusicDatabase;

// One problem Check Set found: the song key ("Filename"), the track and
// position ("Track/Pos") and the problem.
struct CheckSetRow {
    std::string songKey;
    int32_t track = 0;
    int32_t position = 0;
    std::string problem;

    // "%u/%u": track index and position.
    std::string TrackPosition() const;
};

// Checks every segment of the set's audio tracks, in track and position
// order, against the music database and the files beside its songs. A
// segment whose normalization no longer matches its song's summary takes the
// new value; each such change is recorded as a replace, all in one group, so
// the set is marked modified and one Undo takes the adjustments back.
class SetCheck {
public:
    static std::vector<CheckSetRow> Run(SetEditorState& state, CMusicDatabase* database);
};

}  // namespace vantor

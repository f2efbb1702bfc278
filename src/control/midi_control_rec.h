#pragma once

#include <cstdint>

#include "control/midi_control_owner.h"
#include "model/fixed_text.h"

namespace vantor {

// One binding of a controller in the MIDI input table: what it does (for
// people), the map that made it and the key that map looks its binding up by.
// Never stored.
struct CMIDIControlRec {
    FixedText<100> description;
    IMIDIControlOwner* owner = nullptr;
    uint32_t key = 0;
};

}  // namespace vantor

#pragma once

#include <cstdint>

namespace vantor {

// A binding map as the MIDI input table sees it: told every value of a
// controller it bound, with the key it chose when it bound it. Called on the
// thread that receives MIDI.
class IMIDIControlOwner {
public:
    virtual ~IMIDIControlOwner() = default;
    virtual void OnControlValue(int32_t value, uint32_t key) = 0;
};

}  // namespace vantor

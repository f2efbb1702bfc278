#pragma once

#include <array>
#include <cstdint>

namespace vantor {

// A 16-byte audio device identifier; all zero means the default device.
using DeviceId = std::array<uint8_t, 16>;

inline bool IsDefaultDevice(const DeviceId& id) {
    for (uint8_t b : id)
        if (b != 0) return false;
    return true;
}

}  // namespace vantor

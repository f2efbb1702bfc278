#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/effect_entry_impl.h"
#include "engine/effect_manager_impl.h"

namespace vantor::test {

// The build directory, or else the directory of the vantor program (which
// lies in it), or else the working directory.
inline std::string BuildDir() {
    if (const char* dir = std::getenv("VANTOR_BUILD_DIR")) return dir;
    if (const char* bin = std::getenv("VANTOR_BIN")) {
        std::string path = bin;
        auto slash = path.find_last_of('/');
        if (slash != std::string::npos) return path.substr(0, slash);
    }
    return ".";
}

inline std::string TonebankPath() { return BuildDir() + "/Tonebank.so"; }

struct ProcessorDeleter {
    void operator()(IEffectProcessor* p) const {
        if (p) p->Delete();
    }
};
using ProcessorPtr = std::unique_ptr<IEffectProcessor, ProcessorDeleter>;

// Interleaved stereo 16-bit samples.
using Stereo = std::vector<int16_t>;

inline Stereo Sine(double frequency, uint32_t frames, double amplitude = 10000) {
    Stereo s(frames * 2);
    for (uint32_t i = 0; i < frames; ++i)
        s[2 * i] = s[2 * i + 1] = static_cast<int16_t>(amplitude * std::sin(2 * M_PI * frequency * i / 44100.0));
    return s;
}

// A signal with some of everything: two tones, clicks and a little noise.
inline Stereo Busy(uint32_t frames) {
    Stereo s(frames * 2);
    uint32_t seed = 1;
    for (uint32_t i = 0; i < frames; ++i) {
        seed = seed * 1103515245 + 12345;
        double noise = static_cast<int>((seed >> 16) & 0x7FF) - 1024;
        double t = i / 44100.0;
        double click = i % 9000 == 0 ? 15000 : 0;
        s[2 * i] = static_cast<int16_t>(6000 * std::sin(2 * M_PI * 330 * t) + noise + click);
        s[2 * i + 1] = static_cast<int16_t>(5000 * std::sin(2 * M_PI * 1250 * t) - noise + click);
    }
    return s;
}

}  // namespace vantor::test

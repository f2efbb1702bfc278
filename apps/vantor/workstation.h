#pragma once

#include <string>

#include "command_context.h"
#include "database/music_database.h"
#include "engine/effect_manager_impl.h"
#include "platform/device_id.h"

namespace vantor::cli {

// The configured effects directory; relative directories are taken inside
// the program directory, like every program file.
std::string EffectsDirectory(const CConfiguration& config);

// What commands that render a set need: the music database of the program
// directory and the effect types of the configured effects libraries.
struct Workstation {
    explicit Workstation(CommandContext& context);
    CMusicDatabase database;
    CEffectManagerImpl effects;
};

// Ctrl-C asks a long command to stop instead of killing the program; the
// command polls Interrupted(). The handler is restored when the guard ends.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    static bool Interrupted();
};

// A device identifier as 32 hexadecimal digits.
std::string DeviceIdHex(const DeviceId& id);
// "default" (all zero), "null" when allowNull (the silent device), or 32
// hexadecimal digits; a usage error otherwise.
DeviceId ParseDeviceId(const std::string& text, bool allowNull);

// Seconds on the command line to frames at the set's rate.
uint32_t SecondsToFrames(double seconds, int32_t sampleRate);

}  // namespace vantor::cli

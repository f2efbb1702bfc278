#include "workstation.h"

#include <csignal>
#include <cmath>
#include <cstdio>

#include "arguments.h"
#include "platform/audio_device.h"

namespace vantor::cli {

namespace {
volatile std::sig_atomic_t g_interrupted = 0;
void OnInterrupt(int) { g_interrupted = 1; }
}  // namespace

std::string EffectsDirectory(const CConfiguration& config) {
    std::string dir = config.GetEffectsDirectory();
    if (dir.empty() || dir[0] == '/') return dir;
    return config.ProgramPath(dir);
}

Workstation::Workstation(CommandContext& context) {
    if (!database.Open(context.config.GetProgramDirectory()))
        throw CommandFailure("cannot open the music database in " + context.config.GetProgramDirectory());
    effects.LoadEffectLibraries(EffectsDirectory(context.config));
}

InterruptGuard::InterruptGuard() {
    g_interrupted = 0;
    std::signal(SIGINT, OnInterrupt);
}

InterruptGuard::~InterruptGuard() { std::signal(SIGINT, SIG_DFL); }

bool InterruptGuard::Interrupted() { return g_interrupted != 0; }

std::string DeviceIdHex(const DeviceId& id) {
    std::string text;
    char hex[3];
    for (uint8_t b : id) {
        std::snprintf(hex, sizeof hex, "%02x", b);
        text += hex;
    }
    return text;
}

DeviceId ParseDeviceId(const std::string& text, bool allowNull) {
    const char* expected = allowNull ? "a device is null, default or 32 hexadecimal digits"
                                     : "a device is \"default\" or 32 hexadecimal digits";
    if (allowNull && text == "null") return NullDeviceId();
    DeviceId id{};
    if (text == "default") return id;
    if (text.size() != 32) throw UsageError(expected);
    for (size_t i = 0; i < 16; ++i) {
        auto byte = ParseInteger("0x" + text.substr(2 * i, 2));
        if (!byte || *byte < 0 || *byte > 255) throw UsageError(expected);
        id[i] = static_cast<uint8_t>(*byte);
    }
    return id;
}

uint32_t SecondsToFrames(double seconds, int32_t sampleRate) {
    double frames = std::trunc(seconds * sampleRate);
    if (!(frames >= 0)) throw UsageError("times are seconds from the start of the set");
    if (frames > 4294967295.0) throw UsageError("time beyond the end of any set");
    return static_cast<uint32_t>(frames);
}

}  // namespace vantor::cli

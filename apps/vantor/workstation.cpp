#include "workstation.h"

#include <csignal>
#include <cmath>

#include "arguments.h"

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

uint32_t SecondsToFrames(double seconds, int32_t sampleRate) {
    double frames = std::trunc(seconds * sampleRate);
    if (!(frames >= 0)) throw UsageError("times are seconds from the start of the set");
    if (frames > 4294967295.0) throw UsageError("time beyond the end of any set");
    return static_cast<uint32_t>(frames);
}

}  // namespace vantor::cli

#include "platform/interrupt_guard.h"

#include <csignal>

namespace vantor {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnInterrupt(int) { g_interrupted = 1; }

}  // namespace

InterruptGuard::InterruptGuard() {
    g_interrupted = 0;
    for (int signal : kSignals) std::signal(signal, OnInterrupt);
}

InterruptGuard::~InterruptGuard() {
    for (int signal : kSignals) std::signal(signal, SIG_DFL);
}

bool InterruptGuard::Interrupted() { return g_interrupted != 0; }

}  // namespace vantor

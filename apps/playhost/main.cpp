// playhost: the sound server. Plays one set received over the local socket,
// independently of the workstation, and prints its status line ("Not
// Running" / "Running") whenever it changes. It ends on the Shutdown
// message, Ctrl-C or SIGTERM.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "config/configuration.h"
#include "control/midi_bindings.h"
#include "control/midi_input.h"
#include "control/sample_bank.h"
#include "database/music_database.h"
#include "engine/effect_manager_impl.h"
#include "platform/event.h"
#include "platform/file_lock.h"
#include "platform/interrupt_guard.h"
#include "platform/readiness_signal.h"
#include "platform/runtime_directory.h"
#include "server/server_dlg.h"
#include "server/server_launcher.h"
#include "server/server_link.h"
#include "server/server_pipe.h"

namespace {

void ShowStatus(const std::string& status) {
    std::printf("%s\n", status.c_str());
    std::fflush(stdout);
}

}  // namespace

int main() {
    using namespace vantor;

    // The configuration of the program directory, read and never written.
    CConfiguration config;
    config.SetDefaults();
    config.Load(config.ProgramPath("KAVRO.cfg"));

    auto runtime = RuntimeDirectory::Get();
    if (!runtime) {
        std::fprintf(stderr, "playhost: %s\n", runtime.Error().text.c_str());
        return 1;
    }
    FileLock instance;
    if (!instance.Open(runtime.Value() + "/KAVRO.lock", true)) {
        std::fprintf(stderr, "playhost: %s\n", instance.Error().c_str());
        return 1;
    }
    if (instance.Lock(FileLock::Mode::Exclusive, FileLock::Wait::Try) != FileLock::Outcome::Locked) {
        std::fprintf(stderr, "playhost: A Sound Server is already running.\n");
        return 1;
    }

    CEffectManagerImpl effects;
    effects.LoadEffectLibraries(config.GetEffectsDirectory());
    auto database = std::make_unique<CMusicDatabase>();
    if (!database->Open(config.GetProgramDirectory(), StoreAccess::ReadOnly)) {
        std::fprintf(stderr, "playhost: %s; songs play silent\n", database->GetOpenError().c_str());
        database.reset();
    }

    InterruptGuard interrupt;
    Event shutdown(Event::Reset::Manual);
    CServerDlg dialog(config, &effects, database.get());
    dialog.SetStatusListener(ShowStatus);
    auto pipe = std::make_unique<CServerPipe>(&dialog, [&shutdown] { shutdown.Set(); });
    if (Status listening = pipe->Listen(runtime.Value() + "/" + CServerLink::kPipeName); !listening) {
        std::fprintf(stderr, "playhost: %s\n", listening.Error().text.c_str());
        return 1;
    }
    pipe->Start();
    ShowStatus(dialog.GetStatusText());

    auto bank = std::make_unique<CSampleBank>(config.GetSetOutputDevice());
    bank->LoadPresets(config.ProgramPath(CSampleBank::kDefaultPresets));
    dialog.SetSampleBank(bank.get());
    // The controller bindings, and the configured MIDI input when there is one.
    auto midiInput = std::make_unique<CMIDIInput>();
    if (Status opened = midiInput->OpenDevice(config.GetMidiInputDevice()); !opened)
        std::fprintf(stderr, "playhost: %s\n", opened.Error().text.c_str());
    auto bindings = std::make_unique<CMIDIBindings>(*bank);
    bindings->Load(config.ProgramPath(CMIDIBindings::kFileName));
    bindings->SetInput(midiInput.get());
    dialog.SetTrackEffectMap(&bindings->TrackEffects());
    // Every message can be served from here on.
    ReadinessSignal(CServerLauncher::kSyncName, runtime.Value()).Set();

    while (!shutdown.Wait(std::chrono::milliseconds(100)) && !InterruptGuard::Interrupted()) {
    }

    // The socket thread first, woken also while a client stays connected;
    // then the MIDI input, so that no controller reaches what goes next; then
    // the set, the bindings and the bank.
    if (!pipe->Join(5)) std::fprintf(stderr, "playhost: the socket thread did not end\n");
    else pipe.reset();
    midiInput->CloseDevice();
    dialog.StopSet();
    dialog.SetTrackEffectMap(nullptr);
    bindings.reset();
    midiInput.reset();
    dialog.SetSampleBank(nullptr);
    bank.reset();
    return 0;
}

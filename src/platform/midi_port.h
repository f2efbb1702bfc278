#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/result.h"

class RtMidiIn;

namespace vantor {

// One MIDI input port of the ALSA sequencer. Where the machine has no
// sequencer there are no ports and nothing can be opened. The handler gets
// every channel message whole, on the port's own receiving thread; Close
// returns only after that thread has stopped calling it.
class MidiPort {
public:
    using Handler = std::function<void(const uint8_t* bytes, size_t size)>;

    MidiPort();
    ~MidiPort();
    MidiPort(const MidiPort&) = delete;
    MidiPort& operator=(const MidiPort&) = delete;

    // False where the machine has no MIDI sequencer.
    static bool SequencerPresent();
    // The names of the input ports, in the order Open counts them.
    static std::vector<std::string> ListPorts();

    // Closes what was open, then opens input port index (from 0).
    Status Open(uint32_t index, Handler handler);
    void Close();
    bool IsOpen() const { return m_input != nullptr; }

private:
    static void Receive(double stamp, std::vector<unsigned char>* message, void* self);

    std::unique_ptr<RtMidiIn> m_input;
    Handler m_handler;
};

}  // namespace vantor

#include "platform/midi_port.h"

#include <unistd.h>

#include <RtMidi.h>

namespace vantor {

namespace {

constexpr const char* kSequencerDevice = "/dev/snd/seq";
constexpr const char* kClientName = "Vantor";

// RtMidi reports through exceptions and, by default, on stderr; the port
// reports through its results instead.
void QuietErrors(RtMidiError::Type, const std::string&, void*) {}

std::unique_ptr<RtMidiIn> NewInput() {
    if (!MidiPort::SequencerPresent()) return nullptr;
    try {
        auto input = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kClientName);
        input->setErrorCallback(QuietErrors, nullptr);
        return input;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

}  // namespace

MidiPort::MidiPort() = default;

MidiPort::~MidiPort() { Close(); }

bool MidiPort::SequencerPresent() { return access(kSequencerDevice, R_OK | W_OK) == 0; }

std::vector<std::string> MidiPort::ListPorts() {
    std::vector<std::string> names;
    auto input = NewInput();
    if (!input) return names;
    try {
        const unsigned int count = input->getPortCount();
        for (unsigned int i = 0; i < count; ++i) names.push_back(input->getPortName(i));
    } catch (const RtMidiError&) {
        names.clear();
    }
    return names;
}

Status MidiPort::Open(uint32_t index, Handler handler) {
    Close();
    auto input = NewInput();
    if (!input) return Refusal{"This machine has no MIDI input.", "MIDI", MessageIcon::Error};
    try {
        if (index >= input->getPortCount())
            return Refusal{"There is no MIDI input #" + std::to_string(index + 1) + ".", "MIDI",
                           MessageIcon::Error};
        std::string name = input->getPortName(index);
        m_handler = std::move(handler);
        input->setCallback(&MidiPort::Receive, this);
        input->openPort(index, "Vantor input");
        if (!input->isPortOpen()) {
            m_handler = nullptr;
            return Refusal{"The MIDI input \"" + name + "\" could not be opened.", "MIDI", MessageIcon::Error};
        }
    } catch (const RtMidiError& error) {
        m_handler = nullptr;
        return Refusal{error.getMessage(), "MIDI", MessageIcon::Error};
    }
    m_input = std::move(input);
    return Status::Success();
}

void MidiPort::Close() {
    if (!m_input) return;
    // Closing joins the receiving thread, so the handler is no longer called.
    try {
        m_input->closePort();
        m_input->cancelCallback();
    } catch (const RtMidiError&) {
    }
    m_input.reset();
    m_handler = nullptr;
}

void MidiPort::Receive(double, std::vector<unsigned char>* message, void* self) {
    auto* port = static_cast<MidiPort*>(self);
    if (!message || message->empty() || !port->m_handler) return;
    port->m_handler(message->data(), message->size());
}

}  // namespace vantor

#include <gtest/gtest.h>

#include <RtMidi.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "control/midi_bindings.h"
#include "platform/midi_port.h"

namespace vantor {
namespace {

// A controller played into a virtual port of the ALSA sequencer reaches the
// bindings through the opened input; where the machine has no sequencer
// there is nothing to open and the table's Dispatch is tested elsewhere.
TEST(MIDIPortTest, AControllerOnAVirtualPortFiresItsBinding) {
    if (!MidiPort::SequencerPresent()) {
        EXPECT_TRUE(MidiPort::ListPorts().empty());
        MidiPort port;
        EXPECT_FALSE(port.Open(0, [](const uint8_t*, size_t) {}));
        GTEST_SKIP() << "no MIDI sequencer on this machine";
    }
    RtMidiOut controller(RtMidi::LINUX_ALSA, "Vantor test controller");
    controller.openVirtualPort("Vantor test pads");
    const auto ports = MidiPort::ListPorts();
    int32_t device = 0;
    for (size_t i = 0; i < ports.size() && device == 0; ++i)
        if (ports[i].find("Vantor test pads") != std::string::npos) device = static_cast<int32_t>(i + 1);
    ASSERT_NE(device, 0) << "the virtual port is not listed";

    std::atomic<int> fired{-1};
    CMIDIInput input;
    CMIDIBindings bindings([&fired](int32_t slot) { fired = slot; }, [](int32_t, double) {});
    bindings.SetInput(&input);
    bindings.Triggers().Add(2, 20, 127, 4);
    ASSERT_TRUE(input.OpenDevice(device));
    ASSERT_TRUE(input.IsDeviceOpen());

    const std::vector<unsigned char> message = {0xB2, 20, 127};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (fired < 0 && std::chrono::steady_clock::now() < deadline) {
        controller.sendMessage(&message);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(fired, 3);
    input.CloseDevice();
    EXPECT_FALSE(input.IsDeviceOpen());
}

}  // namespace
}  // namespace vantor

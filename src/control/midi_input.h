#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "control/midi_control_rec.h"
#include "platform/midi_port.h"
#include "platform/result.h"

namespace vantor {

// A controller as MIDI numbers it: channel 0 to 7, controller 0 to 127.
struct MIDIController {
    int32_t channel = 0;
    int32_t controller = 0;
    int32_t value = 0;
};

// The process's MIDI input table: 8 channels x 128 controllers, each cell
// empty or holding the records bound to that controller, in binding order.
// A control-change message for a cell calls the owner of every record there.
// Messages come from an input port when one is open, or from Dispatch.
//
// Thread use: Bind, Unbind and ForgetOwner come from the user interface or
// the server's socket thread; Dispatch runs on the MIDI thread. Owners are
// called outside the cell lock, so they may bind and unbind; ForgetOwner
// waits for a dispatch in progress, after which the owner is never called
// again and may go.
class CMIDIInput {
public:
    static constexpr int32_t kChannels = 8;
    static constexpr int32_t kControllers = 128;

    CMIDIInput() = default;
    ~CMIDIInput();
    CMIDIInput(const CMIDIInput&) = delete;
    CMIDIInput& operator=(const CMIDIInput&) = delete;

    static bool IsCell(int32_t channel, int32_t controller) {
        return channel >= 0 && channel < kChannels && controller >= 0 && controller < kControllers;
    }

    // Appends a record to the cell; ignored outside the table.
    void Bind(int32_t channel, int32_t controller, const std::string& description, IMIDIControlOwner* owner,
              uint32_t key);
    // Removes the cell's first record of this owner and key.
    void Unbind(int32_t channel, int32_t controller, IMIDIControlOwner* owner, uint32_t key);
    // Removes every record of the owner and waits for a dispatch in progress.
    void ForgetOwner(IMIDIControlOwner* owner);

    // The records of a cell, in order; empty outside the table.
    std::vector<CMIDIControlRec> GetRecords(int32_t channel, int32_t controller) const;
    int32_t GetCellCount() const;

    // A controller's new value: the cell's owners in record order.
    void Dispatch(int32_t channel, int32_t controller, int32_t value);
    // A raw MIDI message: control changes go to Dispatch, others are ignored.
    void HandleMessage(const uint8_t* bytes, size_t size);

    // The next controller moved after the call, on any table channel; nothing
    // when none moved within the timeout.
    std::optional<MIDIController> WaitForController(std::chrono::milliseconds timeout);

    // Device numbers count the input ports from 1; 0 opens none. Whatever was
    // open is closed first; the bindings stay.
    Status OpenDevice(int32_t device);
    void CloseDevice();
    bool IsDeviceOpen() const;

private:
    using Cell = std::unique_ptr<std::vector<CMIDIControlRec>>;
    static size_t Index(int32_t channel, int32_t controller) {
        return static_cast<size_t>(channel) * kControllers + static_cast<size_t>(controller);
    }

    mutable std::mutex m_cellLock;
    std::array<Cell, static_cast<size_t>(kChannels * kControllers)> m_cells;
    // Held for the whole of a dispatch, so that ForgetOwner can wait for it.
    std::mutex m_dispatchLock;

    std::mutex m_learnLock;
    std::condition_variable m_learnChanged;
    uint64_t m_moves = 0;
    MIDIController m_lastMoved;

    mutable std::mutex m_portLock;
    MidiPort m_port;
};

}  // namespace vantor

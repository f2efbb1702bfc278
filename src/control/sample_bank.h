#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/sample_output.h"
#include "platform/device_id.h"

namespace vantor {

// The nine sample pads of a process: slots 0 to 7 are triggered by keys,
// buttons and controllers, slot 8 previews a sample. Each slot has a name,
// its wave file and a gain, and plays on its own output of the set output
// device. Sound preset files (".sp") fill and save the bank: a slot count,
// then per slot a 255-byte name and a 255-byte path, each NUL-terminated.
class CSampleBank {
public:
    static constexpr int32_t kSlotCount = 9;
    static constexpr int32_t kTriggerSlots = 8;
    static constexpr int32_t kPreviewSlot = 8;
    static constexpr size_t kTextBytes = 255;
    static constexpr size_t kEntryBytes = 2 * kTextBytes;
    // A stored count outside 1 .. kMaxStoredCount means an empty file.
    static constexpr int32_t kMaxStoredCount = 19;

    // device: the configured set output device, none for the default.
    explicit CSampleBank(std::optional<DeviceId> device = std::nullopt, AudioDeviceOpener opener = OpenAudioDevice);
    ~CSampleBank();
    CSampleBank(const CSampleBank&) = delete;
    CSampleBank& operator=(const CSampleBank&) = delete;

    // The presets a bank loads when it is made, in the program directory.
    static constexpr const char* kDefaultPresets = "DEFAULT.SP";

    static bool IsSlot(int32_t slot) { return slot >= 0 && slot < kSlotCount; }

    // Loads the wave into the slot and arms it; a slot outside the bank is
    // ignored. A failed load leaves the slot silent and unnamed.
    bool LoadSlot(int32_t slot, const std::string& name, const std::string& path);
    void TriggerSlot(int32_t slot);
    std::string GetSlotName(int32_t slot) const;
    std::string GetSlotFileName(int32_t slot) const;
    // Gains run from 0 to just under 4; other values are ignored.
    void SetSlotVolume(int32_t slot, double gain);
    // Q13 fixed point (8192 is 1.0); 0 outside the bank.
    int32_t GetSlotVolume(int32_t slot) const;

    // False when the file cannot be read. A count outside 1 to 19 loads
    // nothing; otherwise the first min(count, 9) entries whose bytes are all
    // present fill slots 0, 1, ...; later slots keep what they held.
    bool LoadPresets(const std::string& path);
    // All nine slots, written through a temporary file and a rename.
    bool SavePresets(const std::string& path) const;

    // The bytes of a preset file for the bank as it is.
    std::vector<uint8_t> PresetBytes() const;
    // The entries (name, path) that a preset file's bytes load.
    static std::vector<std::pair<std::string, std::string>> ParsePresets(const uint8_t* data, size_t size);

    // The slot's output, for measurements of its buffer.
    CSampleOutput& Slot(int32_t slot) { return *m_slots[static_cast<size_t>(slot)]; }

private:
    std::optional<DeviceId> m_device;
    mutable std::mutex m_lock;  // slot loading against triggers and reads from other threads
    std::array<std::unique_ptr<CSampleOutput>, kSlotCount> m_slots;
    std::array<std::string, kSlotCount> m_names;
};

}  // namespace vantor

#include "model/effect_preset_file.h"

#include <climits>

#include "model/memory_istream.h"
#include "model/memory_ostream.h"
#include "platform/file_io.h"

namespace vantor {

namespace {

// The count an array record states, at its second 32-bit word.
int64_t StatedCount(const uint8_t* record, int32_t remaining) {
    if (remaining < 8) return -1;
    return static_cast<int64_t>(record[4]) | static_cast<int64_t>(record[5]) << 8 |
           static_cast<int64_t>(record[6]) << 16 | static_cast<int64_t>(record[7]) << 24;
}

}  // namespace

EffectPresets::EffectPresets() : waveforms(MakeRef<Waveforms>(5, 5)), profiles(MakeRef<Profiles>(5, 5)) {}

CSegmentDesign* EffectPresets::FindProfile(const std::string& name) const {
    for (int32_t i = 0; i < profiles->GetCount(); ++i)
        if (name == profiles->GetAt(i)->GetName()) return profiles->GetAt(i);
    return nullptr;
}

EffectPresets EffectPresetsFromBytes(const uint8_t* data, size_t size) {
    EffectPresets presets;
    if (size == 0) return presets;
    if (size > static_cast<size_t>(INT32_MAX)) {
        presets.clean = false;
        return presets;
    }
    CMemoryIStream in(data, static_cast<int32_t>(size));
    const int64_t waveforms = StatedCount(data, in.GetRemaining());
    presets.waveforms->ReadItems(in, CEffectProfilePreset());
    const int32_t at = static_cast<int32_t>(size) - in.GetRemaining();
    const int64_t profiles = StatedCount(data + at, in.GetRemaining());
    presets.profiles->ReadItems(in, CSegmentDesign());
    // Clean: both arrays read whole as stated, and nothing follows. A cut at
    // a node of an inner list reads without running short; written again it
    // comes out shorter than the bytes it came from.
    presets.clean = !in.IsDamaged() && !in.RanShort() && in.GetRemaining() == 0 &&
                    waveforms == presets.waveforms->GetCount() && profiles == presets.profiles->GetCount() &&
                    EffectPresetsToBytes(presets).size() == size;
    return presets;
}

std::vector<uint8_t> EffectPresetsToBytes(const EffectPresets& presets) {
    CMemoryOStream out(1024, 1024);
    presets.waveforms->Serialize(out);
    presets.profiles->Serialize(out);
    return {out.GetData(), out.GetData() + out.GetSize()};
}

EffectPresets ReadEffectPresets(const std::string& path) {
    if (!FileExists(path)) return {};
    auto bytes = ReadWholeFile(path);
    if (!bytes) {
        EffectPresets unreadable;
        unreadable.clean = false;
        return unreadable;
    }
    return EffectPresetsFromBytes(bytes->data(), bytes->size());
}

bool WriteEffectPresets(EffectPresets& presets, const std::string& path) {
    if (!presets.clean && FileExists(path)) {
        auto original = ReadWholeFile(path);
        if (!original || !WriteFileReplacing(path + kDamagedPresetsSuffix, original->data(), original->size()))
            return false;
    }
    const std::vector<uint8_t> bytes = EffectPresetsToBytes(presets);
    if (!WriteFileReplacing(path, bytes.data(), bytes.size())) return false;
    presets.clean = true;
    return true;
}

}  // namespace vantor

// Reads arbitrary bytes as the effect presets file and writes them back.
#include <cstdint>

#include "model/effect_preset_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantor;
    EffectPresets presets = EffectPresetsFromBytes(data, size);
    presets.FindProfile("Fade In");
    EffectPresetsToBytes(presets);
    return 0;
}

// The standard effects library: its one export registers the seven effect
// types with the host's registry.
#include "echo_effect.h"
#include "filter_effect.h"
#include "panning_effect.h"
#include "volume_effect.h"

using namespace vantor::tonebank;

extern "C" __attribute__((visibility("default"))) int EffectRegEntryPoint(IEffectManager* manager) {
    if (!manager) return 0;
    IEffect* effects[] = {
        new CVolumeEffect,           new CPanningEffect(false), new CPanningEffect(true), new CFilterEffect(false),
        new CFilterEffect(true),     new CEchoEffect(false),    new CEchoEffect(true),
    };
    for (IEffect* effect : effects) {
        // The host does not free a type it refuses; it is still ours then.
        if (!manager->RegisterEffect(effect)) effect->Delete();
    }
    return 1;
}

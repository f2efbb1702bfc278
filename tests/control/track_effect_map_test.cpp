#include "control/track_effect_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/effect_manager_impl.h"
#include "engine/set_stream.h"
#include "model/music_set.h"

namespace vantor {
namespace {

// Every live level a processor of this type is given, "parameter=level/range".
std::vector<std::string> g_levels;

class RecordingProcessor final : public IEffectProcessor {
public:
    const char* GetName() override { return "Sweep"; }
    int Init(int, int) override { return 1; }
    int Process(unsigned int, double, int, IEffectEntry**, void*, unsigned int) override { return 1; }
    bool SetParameterLevel(int level, int range, const char* name) override {
        g_levels.push_back(std::string(name) + "=" + std::to_string(level) + "/" + std::to_string(range));
        return true;
    }
    void Delete() override { delete this; }
};

class SweepEffect final : public IEffect {
public:
    const char* GetName() override { return "Sweep"; }
    void Delete() override { delete this; }
    int GetParameterCount() override { return 1; }
    const char* GetParameterName(int index) override { return index == 0 ? "Depth" : nullptr; }
    bool IsEnvelopeFixed(const char*) override { return false; }
    IEffectProcessor* CreateProcessor() override { return new RecordingProcessor(); }
    int ValueToPosition(const char*, double, int) override { return 0; }
    double PositionToValue(const char*, int, int) override { return 0.0; }
    char* FormatValue(const char*, double, char* buffer) override { return buffer; }
    double GetDefaultValue(const char*) override { return 0.0; }
};

RefPtr<CMusicSet> SetWithTracks(int32_t tracks) {
    NewSetOptions options;
    options.audioTracks = tracks;
    return CMusicSet::CreateNew(options);
}

TEST(TrackEffectMapTest, BindingsDriveTheirTrackOnlyWhileASetIsAttached) {
    g_levels.clear();
    CEffectManagerImpl effects;
    effects.RegisterEffect(new SweepEffect());
    CMIDIInput input;
    CTrackEffectMap map;
    map.SetInput(&input);
    map.Add(0, 10, 2, "Sweep", "Depth");
    map.Add(0, 11, 0, "Sweep", "Depth");      // below track 1
    map.Add(0, 12, 1, "Unknown", "Depth");    // no such effect type

    input.Dispatch(0, 10, 64);                // nothing attached
    EXPECT_TRUE(g_levels.empty());

    RefPtr<CMusicSet> one = SetWithTracks(1);
    CSetStream small(&effects, nullptr, one.get(), false);
    map.AttachPlayer(&small);
    EXPECT_EQ(map.GetResolvedCount(), 0);     // track 2 of a one-track set stays unresolved
    input.Dispatch(0, 10, 64);
    EXPECT_TRUE(g_levels.empty());
    map.DetachPlayer();

    RefPtr<CMusicSet> two = SetWithTracks(2);
    CSetStream stream(&effects, nullptr, two.get(), false);
    map.AttachPlayer(&stream);
    EXPECT_EQ(map.GetResolvedCount(), 1);
    input.Dispatch(0, 10, 64);
    input.Dispatch(0, 11, 1);
    input.Dispatch(0, 12, 2);
    EXPECT_EQ(g_levels, (std::vector<std::string>{"Depth=64/127"}));
    // The effect now runs on track stream 1, and only there.
    EXPECT_NE(stream.GetTrackStream(1)->AddTrackEffect("Sweep", "Depth", false), nullptr);
    EXPECT_EQ(stream.GetTrackStream(0)->AddTrackEffect("Sweep", "Depth", false), nullptr);

    // A binding added while attached is resolved at once; a removed one stops.
    map.Add(1, 1, 1, "Sweep", "Depth");
    input.Dispatch(1, 1, 127);
    map.Remove(0, 10);
    input.Dispatch(0, 10, 5);
    EXPECT_EQ(g_levels, (std::vector<std::string>{"Depth=64/127", "Depth=127/127"}));

    map.DetachPlayer();
    input.Dispatch(1, 1, 3);
    EXPECT_EQ(g_levels.size(), 2u);
}

}  // namespace
}  // namespace vantor

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "effects/effects_fixture.h"

namespace vantor {
namespace {

using test::ProcessorPtr;
using test::Stereo;

class TonebankTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_manager = new CEffectManagerImpl;
        ASSERT_TRUE(s_manager->LoadEffectLibrary(test::TonebankPath())) << test::TonebankPath();
    }
    static void TearDownTestSuite() {
        delete s_manager;
        s_manager = nullptr;
    }

    static IEffect* Effect(const char* name) {
        IEffect* effect = s_manager->FindEffect(name);
        EXPECT_NE(effect, nullptr) << name;
        return effect;
    }
    static ProcessorPtr Processor(const char* name) {
        ProcessorPtr p(Effect(name)->CreateProcessor());
        p->Init(16, 2);
        return p;
    }
    static std::string Format(const char* effect, const char* parameter, double value) {
        char buffer[kEffectTextCapacity] = "untouched";
        return Effect(effect)->FormatValue(parameter, value, buffer);
    }
    // Runs the signal through in blocks of the given byte sizes (the last one
    // repeats), starting at position.
    static Stereo Run(IEffectProcessor& p, Stereo signal, std::vector<IEffectEntry*> entries,
                      const std::vector<uint32_t>& blockBytes = {}, double ratio = 1.0, uint32_t position = 0) {
        auto* bytes = reinterpret_cast<uint8_t*>(signal.data());
        const uint32_t total = static_cast<uint32_t>(signal.size() * 2);
        uint32_t done = 0;
        for (size_t b = 0; done < total; ++b) {
            uint32_t n = blockBytes.empty() ? total : blockBytes[std::min(b, blockBytes.size() - 1)];
            n = std::min(n, total - done);
            EXPECT_EQ(p.Process(position + done / 4, ratio, static_cast<int>(entries.size()), entries.data(),
                                bytes + done, n),
                      1);
            done += n;
        }
        return signal;
    }
    static CEffectManagerImpl* s_manager;
};
CEffectManagerImpl* TonebankTest::s_manager = nullptr;

TEST_F(TonebankTest, TypesParametersDefaultsAndFixedEnvelopes) {
    struct Expected {
        const char* name;
        std::vector<const char*> parameters;
        std::vector<double> defaults;
        bool fixed;
    };
    const Expected all[] = {
        {"Volume", {"Level"}, {0.0}, false},
        {"Panning", {"Direction"}, {0.0}, false},
        {"Ch. Inverter", {"Inversion"}, {0.0}, false},
        {"Treble Filter", {"Level", "Cutoff Frequency"}, {0.0, 387.0}, false},
        {"Bass Filter", {"Level", "Cutoff Frequency"}, {0.0, 55.0}, false},
        {"Echo", {"Decay", "Delay"}, {static_cast<double>(0.6f), 1.0}, true},
        {"Flanger", {"Decay", "Delay"}, {0.5, 0.00075}, true},
    };
    for (const auto& e : all) {
        SCOPED_TRACE(e.name);
        IEffect* effect = Effect(e.name);
        ASSERT_NE(effect, nullptr);
        ASSERT_EQ(effect->GetParameterCount(), static_cast<int>(e.parameters.size()));
        for (size_t i = 0; i < e.parameters.size(); ++i) {
            EXPECT_STREQ(effect->GetParameterName(static_cast<int>(i)), e.parameters[i]);
            EXPECT_EQ(effect->GetDefaultValue(e.parameters[i]), e.defaults[i]);
            EXPECT_EQ(effect->IsEnvelopeFixed(e.parameters[i]), e.fixed);
        }
        EXPECT_EQ(effect->GetParameterName(static_cast<int>(e.parameters.size())), nullptr);
        EXPECT_EQ(effect->GetParameterName(-1), nullptr);
        EXPECT_EQ(effect->GetDefaultValue("Nothing"), 0.0);
        EXPECT_EQ(Format(e.name, "Nothing", 1.0), "untouched");
        ProcessorPtr p(effect->CreateProcessor());
        EXPECT_STREQ(p->GetName(), e.name);
    }
}

TEST_F(TonebankTest, SliderMappings) {
    const int R = 100;
    // 0.4 x 1.2499999813735487 x 100 lies just below 50.
    EXPECT_EQ(Effect("Echo")->ValueToPosition("Decay", 0.4, R), 51);
    EXPECT_DOUBLE_EQ(Effect("Echo")->PositionToValue("Decay", 50, R), 0.5 * 0.800000011920929);
    EXPECT_EQ(Effect("Echo")->ValueToPosition("Delay", 1.5, R), 50);
    EXPECT_DOUBLE_EQ(Effect("Echo")->PositionToValue("Delay", 0, R), 3.0);
    EXPECT_EQ(Effect("Flanger")->ValueToPosition("Delay", 0.0025, R), 50);
    EXPECT_EQ(Effect("Treble Filter")->ValueToPosition("Level", 0.5, R), 0);
    EXPECT_DOUBLE_EQ(Effect("Treble Filter")->PositionToValue("Level", R, R), -1.0);
    EXPECT_EQ(Effect("Bass Filter")->ValueToPosition("Cutoff Frequency", 0, R), 100);
    EXPECT_EQ(Effect("Bass Filter")->PositionToValue("Cutoff Frequency", 50, R), 441 - 220);
    EXPECT_EQ(Effect("Panning")->ValueToPosition("Direction", 0, R), 50);
    EXPECT_EQ(Effect("Panning")->PositionToValue("Direction", 0, R), 20);
    EXPECT_EQ(Effect("Ch. Inverter")->PositionToValue("Inversion", 127, 127), -19);  // (127 - 63 - 127) * 40 / 127
    EXPECT_EQ(Effect("Volume")->ValueToPosition("Level", 0, R), 50);
    EXPECT_DOUBLE_EQ(Effect("Volume")->PositionToValue("Level", 50, R), 0.0);
    EXPECT_NEAR(Effect("Volume")->PositionToValue("Level", 0, R), 9.03, 0.01);
    // A control of no height has no positions; nothing divides by it.
    for (const char* name : {"Panning", "Volume", "Echo", "Treble Filter"}) {
        IEffect* e = Effect(name);
        EXPECT_EQ(e->PositionToValue(e->GetParameterName(0), 5, 0), 0.0);
        e->ValueToPosition(e->GetParameterName(0), 1e300, 127);
        e->ValueToPosition(e->GetParameterName(0), std::nan(""), 127);
    }
}

TEST_F(TonebankTest, DisplayTexts) {
    EXPECT_EQ(Format("Volume", "Level", -50), "-INF dB");
    EXPECT_EQ(Format("Volume", "Level", 3), "3.0 dB");
    EXPECT_EQ(Format("Volume", "Level", 1e300).size(), static_cast<size_t>(kEffectTextCapacity - 1));
    EXPECT_EQ(Format("Treble Filter", "Cutoff Frequency", 441), std::to_string(40 + 50 * 438) + " hz");
    EXPECT_EQ(Format("Treble Filter", "Cutoff Frequency", 387), std::to_string(40 + 50 * 295) + " hz");
    EXPECT_EQ(Format("Bass Filter", "Cutoff Frequency", 55), "40 hz");
    EXPECT_EQ(Format("Bass Filter", "Cutoff Frequency", 221), "2740 hz");
    EXPECT_EQ(Format("Bass Filter", "Cutoff Frequency", 5000), Format("Bass Filter", "Cutoff Frequency", 441));
    EXPECT_EQ(Format("Treble Filter", "Level", -0.5), "-50%");
    EXPECT_EQ(Format("Echo", "Delay", 0.5), "500 ms");
    EXPECT_EQ(Format("Flanger", "Delay", 0.00075), "0.75 ms");
    EXPECT_EQ(Format("Echo", "Decay", 0.6), "0.60");
    EXPECT_EQ(Format("Panning", "Direction", -5), "5L");
    EXPECT_EQ(Format("Panning", "Direction", 7), "7R");
    EXPECT_EQ(Format("Panning", "Direction", 0), "0");
    EXPECT_EQ(Format("Ch. Inverter", "Inversion", 0), "mono");
    EXPECT_EQ(Format("Ch. Inverter", "Inversion", 19), "norm");
    EXPECT_EQ(Format("Ch. Inverter", "Inversion", -19), "inv");
    EXPECT_EQ(Format("Ch. Inverter", "Inversion", 10), "52% norm");
    EXPECT_EQ(Format("Ch. Inverter", "Inversion", -10), "52% inv");
}

TEST_F(TonebankTest, EchoImpulseResponseAndFlangerDefaults) {
    Stereo impulse(100000 * 2, 0);
    impulse[0] = impulse[1] = 10000;
    CEffectEntryConstImpl decay("Echo", "Decay", 0.5), delay("Echo", "Delay", 0.5);
    auto echo = Processor("Echo");
    Stereo out = Run(*echo, impulse, {&decay, &delay});
    for (size_t i = 0; i < 100000; ++i) {
        int expected = i == 0 ? 10000 : i == 22050 ? 5000 : i == 44100 ? 2500 : i == 66150 ? 1250 : i == 88200 ? 625 : 0;
        ASSERT_EQ(out[2 * i], expected) << i;
        ASSERT_EQ(out[2 * i + 1], expected) << i;
    }

    auto flanger = Processor("Flanger");
    Stereo short_(200 * 2, 0);
    short_[0] = short_[1] = 10000;
    out = Run(*flanger, short_, {});
    EXPECT_EQ(out[2 * 33], 6000);
    EXPECT_EQ(out[2 * 66], 3600);
    EXPECT_EQ(out[2 * 32], 0);

    // Only 16-bit stereo is processed.
    flanger->Init(8, 2);
    int16_t frame[2] = {5, 5};
    EXPECT_EQ(flanger->Process(0, 1.0, 0, nullptr, frame, 4), 0);
}

TEST_F(TonebankTest, PanningAndChannelInverter) {
    auto check = [&](const char* effect, double value, Stereo in, Stereo expected) {
        CEffectEntryConstImpl entry(effect, "x", value);
        auto p = Processor(effect);
        EXPECT_EQ(Run(*p, in, {&entry}), expected) << effect << " " << value;
    };
    check("Ch. Inverter", 0, {1000, 3000}, {2000, 2000});
    check("Ch. Inverter", 19, {1000, 3000}, {1000, 3000});
    check("Ch. Inverter", -19, {1000, 3000}, {3000, 1000});
    check("Ch. Inverter", -40, {1000, 3000}, {3000, 1000});  // clamped to -19
    check("Panning", 19, {1000, 1000}, {1000, 0});
    check("Panning", -19, {1000, 1000}, {0, 1000});
    check("Panning", 0, {1000, -1000}, {1000, -1000});
    // Without exactly one entry nothing changes.
    auto p = Processor("Panning");
    EXPECT_EQ(Run(*p, {1000, 1000}, {}), (Stereo{1000, 1000}));
}

TEST_F(TonebankTest, VolumeLevelsAndMuting) {
    Stereo in = {1000, -1000, 32767, -32768};
    auto run = [&](double level) {
        CEffectEntryConstImpl entry("Volume", "Level", level);
        auto p = Processor("Volume");
        return Run(*p, in, {&entry});
    };
    EXPECT_EQ(run(0), in);
    EXPECT_EQ(run(-50), (Stereo{0, 0, 0, 0}));
    // 10^(9.03 / 40) = 1.68: trunc(1.68 x 8192) and saturation.
    const int32_t g = static_cast<int32_t>(std::pow(10.0, 9.03 * 0.025) * 8192);
    EXPECT_EQ(run(9.03), (Stereo{static_cast<int16_t>(1000 * g >> 13), static_cast<int16_t>(-1000 * g >> 13), 32767,
                                 -32768}));
    // A live level replaces the envelope.
    CEffectEntryConstImpl entry("Volume", "Level", 0);
    auto p = Processor("Volume");
    p->SetParameterLevel(0, 127, "Level");
    EXPECT_EQ(Run(*p, in, {&entry}), (Stereo{0, 0, 0, 0}));
}

// Output amplitude over input amplitude for a sine after the filter settles.
double Gain(IEffectProcessor& p, double frequency, const std::vector<IEffectEntry*>& entries) {
    const uint32_t frames = 8192;
    Stereo in = test::Sine(frequency, frames);
    p.Init(16, 2);
    Stereo out = in;
    p.Process(0, 1.0, static_cast<int>(entries.size()), const_cast<IEffectEntry**>(entries.data()), out.data(),
              frames * 4);
    double a = 0, b = 0;
    for (uint32_t i = frames / 2; i < frames; ++i) {
        a += double(in[2 * i]) * in[2 * i];
        b += double(out[2 * i]) * out[2 * i];
    }
    return std::sqrt(b / a);
}

TEST_F(TonebankTest, FilterResponsesMatchTheirTableFrequencies) {
    for (const char* name : {"Treble Filter", "Bass Filter"}) {
        const bool lowpass = std::strcmp(name, "Treble Filter") == 0;
        for (int entryIndex : {55, 221, 387}) {
            SCOPED_TRACE(std::string(name) + " entry " + std::to_string(entryIndex));
            const double cutoff = 40 + 50.0 * (entryIndex - 1);
            // The cutoff value that selects the entry, found through its display text.
            int value = -1;
            for (int v = 0; v <= 441 && value < 0; ++v)
                if (Format(name, "Cutoff Frequency", v) == std::to_string(static_cast<int>(cutoff)) + " hz") value = v;
            ASSERT_GE(value, 0);
            CEffectEntryConstImpl frequency(name, "Cutoff Frequency", value);
            auto p = Processor(name);
            std::vector<IEffectEntry*> entries = {&frequency};  // no "Level": the filtered signal alone
            // Bisection for the -3 dB point.
            double low = cutoff * 0.5, high = std::min(cutoff * 1.5, 21900.0);
            for (int step = 0; step < 16; ++step) {
                double mid = (low + high) / 2;
                bool above = Gain(*p, mid, entries) > std::sqrt(0.5);
                ((above == lowpass) ? low : high) = mid;
            }
            EXPECT_NEAR(low / cutoff, 1.0, 0.03);
            // Sixth order beyond the cutoff: |H|^2 = 1 / (1 + (W / Wc)^12) with
            // W = tan(pi f / 44100) (inverted for the highpass), i.e. 36 dB per
            // octave before the frequency warping.
            for (double f : {cutoff * 1.3, cutoff * 2, cutoff / 1.3, cutoff / 2}) {
                if ((f > cutoff) != lowpass || f > 21000) continue;
                double w = std::tan(M_PI * f / 44100) / std::tan(M_PI * cutoff / 44100);
                double expected = -10 * std::log10(1 + std::pow(lowpass ? w : 1 / w, 12));
                double db = 20 * std::log10(Gain(*p, f, entries));
                if (expected > -70)
                    EXPECT_NEAR(db, expected, 1.0) << f << " Hz";
                else
                    EXPECT_LT(db, -60) << f << " Hz";
            }
        }
    }
    // Level 0 passes the input; an explicit -1 is the same as none.
    CEffectEntryConstImpl cutoff("Treble Filter", "Cutoff Frequency", 221), zero("Treble Filter", "Level", 0),
        minus("Treble Filter", "Level", -1);
    Stereo in = test::Busy(5000);
    auto p = Processor("Treble Filter");
    EXPECT_EQ(Run(*p, in, {&cutoff, &zero}), in);
    p->Init(16, 2);
    Stereo alone = Run(*p, in, {&cutoff});
    p->Init(16, 2);
    EXPECT_EQ(Run(*p, in, {&cutoff, &minus}), alone);
    EXPECT_NE(alone, in);
}

// However the caller cuts the stream into blocks, the same input gives the
// same output: for every effect, with gliding envelopes of several spans.
TEST_F(TonebankTest, OutputDoesNotDependOnBlockSizes) {
    const uint32_t frames = 120000;
    Stereo in = test::Busy(frames);
    std::vector<EffectSpan> decay = {{0, 50000, 0.2, 0.7}, {50000, 200000, 0.7, 0.3}};
    std::vector<EffectSpan> echoDelay = {{0, 30000, 0.01, 0.3}, {30000, 200000, 0.3, 0.02}};
    std::vector<EffectSpan> flangerDelay = {{0, 70000, 0.001, 0.004}, {70000, 200000, 0.004, 0.0005}};
    std::vector<EffectSpan> level = {{0, 40000, -20, 5}, {40000, 41000, 5, -10}, {41000, 200000, -10, -30}};
    std::vector<EffectSpan> direction = {{0, 60000, -19, 19}, {60000, 200000, 19, -5}};
    std::vector<EffectSpan> cutoff = {{0, 60000, 50, 400}, {60000, 200000, 400, 100}};
    std::vector<EffectSpan> filterLevel = {{0, 90000, -1, 0.5}, {90000, 200000, 0.5, -0.5}};

    std::mt19937 random(3);
    std::vector<uint32_t> randomBlocks;
    for (int i = 0; i < 2000; ++i) randomBlocks.push_back(4 * (1 + random() % 3000));

    struct Case {
        const char* effect;
        std::vector<std::pair<const char*, const std::vector<EffectSpan>*>> entries;
    };
    const Case cases[] = {
        {"Echo", {{"Decay", &decay}, {"Delay", &echoDelay}}},
        {"Flanger", {{"Decay", &decay}, {"Delay", &flangerDelay}}},
        {"Volume", {{"Level", &level}}},
        {"Panning", {{"Direction", &direction}}},
        {"Treble Filter", {{"Cutoff Frequency", &cutoff}, {"Level", &filterLevel}}},
    };
    for (double ratio : {1.0, 1.25}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.effect) + " ratio " + std::to_string(ratio));
            std::vector<Stereo> outputs;
            for (const std::vector<uint32_t>& blocks :
                 {std::vector<uint32_t>{}, std::vector<uint32_t>{10240}, randomBlocks}) {
                std::vector<std::unique_ptr<CEffectEntryImpl>> owned;
                std::vector<IEffectEntry*> entries;
                for (const auto& [name, spans] : c.entries) {
                    owned.push_back(std::make_unique<CEffectEntryImpl>(c.effect, name, *spans));
                    entries.push_back(owned.back().get());
                }
                auto p = Processor(c.effect);
                outputs.push_back(Run(*p, in, entries, blocks, ratio, 1000));
            }
            EXPECT_NE(outputs[0], in);
            EXPECT_TRUE(outputs[0] == outputs[1]) << "10240-byte blocks differ";
            EXPECT_TRUE(outputs[0] == outputs[2]) << "random blocks differ";
        }
    }
}

}  // namespace
}  // namespace vantor

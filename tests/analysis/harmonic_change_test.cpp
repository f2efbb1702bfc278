#include "analysis/harmonic_change.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vantor {
namespace {

constexpr double kRate = 11025.0;
constexpr size_t kHop = 64;

// Triads held for a second each, alternating between two chords or one.
std::vector<float> Chords(double seconds, bool alternate) {
    std::vector<float> mono(static_cast<size_t>(seconds * kRate), 0.0f);
    const double roots[] = {220.0, 293.66};  // A and D
    for (size_t i = 0; i < mono.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double root = roots[alternate ? static_cast<int>(t) % 2 : 0];
        mono[i] = static_cast<float>(0.1 * (std::sin(2 * M_PI * root * t) + std::sin(2 * M_PI * root * 1.2599 * t) +
                                            std::sin(2 * M_PI * root * 1.4983 * t)));
    }
    return mono;
}

size_t Count(const std::vector<float>& mono) { return mono.size() / kHop; }

TEST(HarmonicChange, PeaksWhereTheChordChanges) {
    const std::vector<float> mono = Chords(8.0, true);
    const std::vector<float> change = HarmonicChange::Measure(mono, kRate, Count(mono), kHop, 0.0);
    ASSERT_EQ(change.size(), Count(mono));
    const double valuesPerSecond = kRate / kHop;
    // Around each change of chord (every second), the strongest value lies
    // within 50 ms of it; halfway between changes nothing changes.
    for (int second = 2; second <= 6; ++second) {
        const auto at = static_cast<size_t>(second * valuesPerSecond);
        const auto span = static_cast<size_t>(0.3 * valuesPerSecond);
        const auto peak = std::max_element(change.begin() + static_cast<long>(at - span), change.begin() + static_cast<long>(at + span));
        EXPECT_NEAR(static_cast<double>(peak - change.begin()) / valuesPerSecond, second, 0.05);
        EXPECT_GT(*peak, 0.3f);
        EXPECT_LT(change[static_cast<size_t>((second + 0.5) * valuesPerSecond)], 0.1f * *peak);
    }
}

TEST(HarmonicChange, StaysStillOnOneChordOrSilence) {
    const std::vector<float> steady = Chords(6.0, false);
    const std::vector<float> change = HarmonicChange::Measure(steady, kRate, Count(steady), kHop, 0.0);
    EXPECT_LT(*std::max_element(change.begin(), change.end()), 0.05f);

    const std::vector<float> silence(static_cast<size_t>(4 * kRate), 0.0f);
    const std::vector<float> none = HarmonicChange::Measure(silence, kRate, Count(silence), kHop, 0.0);
    EXPECT_EQ(*std::max_element(none.begin(), none.end()), 0.0f);

    // Too short, no rate, no hop: all zeros of the size asked for.
    const std::vector<float> brief(1000, 0.5f);
    EXPECT_EQ(HarmonicChange::Measure(brief, kRate, 7, kHop, 0.0), std::vector<float>(7, 0.0f));
    EXPECT_EQ(HarmonicChange::Measure(steady, 0.0, 3, kHop, 0.0), std::vector<float>(3, 0.0f));
    EXPECT_EQ(HarmonicChange::Measure(steady, kRate, 3, 0, 0.0), std::vector<float>(3, 0.0f));
}

}  // namespace
}  // namespace vantor

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "analysis/analysis_fixtures.h"
#include "engine/summary_builder.h"
#include "engine/wave_file.h"
#include "engine/wave_summary_file.h"
#include "views/configuration_dialog.h"
#include "views/waveform_columns.h"

namespace vantor {
namespace {

using test::Song;

// Ten seconds: silence, a loud square from 4 s to 6 s, silence.
class WaveformColumnsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (uint32_t f = 4 * 44100; f < 6 * 44100; ++f) {
            song.samples[2 * size_t{f}] = (f / 50) % 2 ? 20000 : -20000;
            song.samples[2 * size_t{f} + 1] = (f / 50) % 2 ? 10000 : -10000;
        }
        test::WriteBytes(dir / "song.wav", test::WaveBytes(song.Bytes()));
        CWaveFile wave(dir / "song.wav", 500);
        std::atomic<int32_t> percent{0};
        ASSERT_TRUE(BuildSummary(dir / "song.sm", wave, percent));
    }

    // The brute-force extremes of both channels over frames [begin, end).
    std::pair<int, int> Extremes(int64_t begin, int64_t end) const {
        int low = 0, high = 0;
        bool any = false;
        for (int64_t f = std::max<int64_t>(0, begin); f < std::min<int64_t>(end, song.Frames()); ++f)
            for (int c = 0; c < 2; ++c) {
                const int s = song.samples[2 * size_t(f) + c];
                low = any ? std::min(low, s) : s;
                high = any ? std::max(high, s) : s;
                any = true;
            }
        return {low, high};
    }

    test::TempDir dir;
    Song song{10 * 44100};
};

TEST_F(WaveformColumnsTest, TheWholeSongShowsItsLoudPartWhereItIs) {
    CWaveSummaryFile summary(dir / "song.sm", false);
    ASSERT_TRUE(summary.IsValid());
    auto columns = WaveformColumns::Compute(summary, 0, 4410.0, 100);
    ASSERT_EQ(columns.size(), 100u);
    for (int x = 0; x < 100; ++x) {
        ASSERT_TRUE(columns[size_t(x)].present) << x;
        // A column's records may reach a little past it: the edges of the
        // loud part are left out.
        if (x == 39 || x == 60) continue;
        const bool loud = x >= 40 && x < 60;
        EXPECT_EQ(columns[size_t(x)].maximum, loud ? 20000 : 0) << x;
        EXPECT_EQ(columns[size_t(x)].minimum, loud ? -20000 : 0) << x;
    }
}

TEST_F(WaveformColumnsTest, EveryZoomBoundsTheTrueExtremesWithinARecord) {
    CWaveSummaryFile summary(dir / "song.sm", false);
    for (double scale : {0.25, 1.0, 37.0, 128.0, 300.5, 1000.0, 9000.0, 100000.0}) {
        const int64_t first = 4 * 44100 - static_cast<int64_t>(scale * 20);
        auto columns = WaveformColumns::Compute(summary, first, scale, 200);
        const int64_t record = summary.GetFramesPerRecord();
        for (int x = 0; x < 200; ++x) {
            const int64_t begin = first + static_cast<int64_t>(std::floor(x * scale));
            const int64_t end = std::max(begin + 1, first + static_cast<int64_t>(std::floor((x + 1) * scale)));
            if (begin < 0 || begin >= song.Frames()) {
                EXPECT_FALSE(columns[size_t(x)].present);
                continue;
            }
            ASSERT_TRUE(columns[size_t(x)].present) << scale << " " << x;
            auto inside = Extremes(begin, end);
            auto around = Extremes(begin / record * record, (end + record - 1) / record * record);
            EXPECT_LE(columns[size_t(x)].minimum, inside.first) << scale << " " << x;
            EXPECT_GE(columns[size_t(x)].maximum, inside.second) << scale << " " << x;
            EXPECT_GE(columns[size_t(x)].minimum, around.first) << scale << " " << x;
            EXPECT_LE(columns[size_t(x)].maximum, around.second) << scale << " " << x;
        }
    }
}

TEST_F(WaveformColumnsTest, UndrawableScalesAndDamagedSummariesGiveNoColumns) {
    CWaveSummaryFile summary(dir / "song.sm", false);
    EXPECT_TRUE(WaveformColumns::Compute(summary, 0, 0.0, 10).empty());
    EXPECT_TRUE(WaveformColumns::Compute(summary, 0, -3.0, 10).empty());
    EXPECT_TRUE(WaveformColumns::Compute(summary, 0, std::nan(""), 10).empty());
    EXPECT_TRUE(WaveformColumns::Compute(summary, 0, 10.0, 0).empty());
    EXPECT_TRUE(WaveformColumns::Compute(summary, 0, 10.0, WaveformColumns::kMaxWidth + 1).empty());
    auto before = WaveformColumns::Compute(summary, -1000, 100.0, 20);
    EXPECT_FALSE(before[0].present);
    EXPECT_TRUE(before[10].present);
    test::WriteBytes(dir / "bad.sm", std::vector<uint8_t>(100, 0xff));
    CWaveSummaryFile damaged(dir / "bad.sm", false);
    EXPECT_TRUE(WaveformColumns::Compute(damaged, 0, 10.0, 10).empty());
}

TEST(ConfigurationDevices, BoxesShowDescriptionAndModuleAndSelectTheConfiguredDevice) {
    DeviceId card{};
    card[0] = 7;
    std::vector<AudioDeviceInfo> devices = {{DeviceId{}, "Primary Sound Driver", "default"},
                                            {card, "HDA Intel PCH", "ALSA"}};
    auto choices = CConfigurationDialog::ListDevices(devices);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0].text, "Primary Sound Driver (default)");
    EXPECT_FALSE(choices[0].id.has_value());
    EXPECT_EQ(choices[1].text, "HDA Intel PCH (ALSA)");
    EXPECT_EQ(CConfigurationDialog::SelectDevice(choices, card), 1);
    DeviceId gone{};
    gone[0] = 9;
    EXPECT_EQ(CConfigurationDialog::SelectDevice(choices, gone), 0);
    EXPECT_EQ(CConfigurationDialog::SelectDevice({choices[1]}, gone), -1);
}

}  // namespace
}  // namespace vantor

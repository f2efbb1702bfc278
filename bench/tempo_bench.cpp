// Tempo detection on a generated corpus with known tempos: the accuracy of
// the beat-tracking detector and of the robust estimator side by side, and
// the time each step of a six-minute song's analysis takes.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "../tests/support/rhythm_generator.h"
#include "analysis/onset_envelope.h"
#include "analysis/reference_level.h"
#include "analysis/song_start.h"
#include "analysis/tempo_detection.h"
#include "analysis/tempo_estimator.h"
#include "engine/summary_builder.h"
#include "engine/wave_file.h"
#include "engine/wave_summary_file.h"
#include "engine/wave_writer.h"
#include "platform/wave_format.h"

namespace {

using Clock = std::chrono::steady_clock;
using vantor::test::Groove;
using vantor::test::RhythmRecipe;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

bool WriteSong(const std::string& path, const std::vector<int16_t>& samples) {
    vantor::WaveWriter writer;
    return writer.Open(path, vantor::WaveFormat{}) && writer.Write(samples.data(), samples.size() * 2) &&
           writer.Finish(static_cast<uint32_t>(samples.size() / 2));
}

// The beat-tracking detector as the analyzer runs it: start, then tempo,
// refused outside (110, 150). 0 when refused.
double Classic(const std::string& wave, const std::string& summaryPath) {
    vantor::CWaveFile source(wave, 100);
    std::atomic<int32_t> percent{0};
    if (!vantor::BuildSummary(summaryPath, source, percent)) return 0.0;
    vantor::CWaveSummaryFile summary(summaryPath, false);
    const std::optional<uint32_t> start = vantor::FindSongStart(source, summary, 0.2, 0);
    if (!start) return 0.0;
    const double tempo = vantor::DetectTempo(source, summary, *start, false);
    return tempo > 110 && tempo < 150 ? tempo : 0.0;
}

enum class Verdict { Within01, Within1, Octave, ThreeTwo, Wrong, Refused };

Verdict Judge(double found, double expected) {
    if (!(found > 0)) return Verdict::Refused;
    auto near = [&](double target, double tolerance) { return std::abs(found / target - 1) <= tolerance; };
    if (near(expected, 0.001)) return Verdict::Within01;
    if (near(expected, 0.01)) return Verdict::Within1;
    if (near(2 * expected, 0.01) || near(expected / 2, 0.01)) return Verdict::Octave;
    for (double f : {1.5, 2.0 / 3, 0.75, 4.0 / 3})
        if (near(f * expected, 0.01)) return Verdict::ThreeTwo;
    return Verdict::Wrong;
}

struct Tally {
    int songs = 0, within01 = 0, within1 = 0, octave = 0, threeTwo = 0, wrong = 0, refused = 0;
    void Add(Verdict v) {
        ++songs;
        if (v == Verdict::Within01) ++within01;
        if (v == Verdict::Within01 || v == Verdict::Within1) ++within1;
        if (v == Verdict::Octave) ++octave;
        if (v == Verdict::ThreeTwo) ++threeTwo;
        if (v == Verdict::Wrong) ++wrong;
        if (v == Verdict::Refused) ++refused;
    }
    double Share(int n) const { return songs ? 100.0 * n / songs : 0.0; }
};

void PrintRow(const char* name, const Tally& t) {
    std::printf("| %-34s | %5d | %5.1f %% | %5.1f %% | %6d | %3d | %5d | %7d |\n", name, t.songs, t.Share(t.within1),
                t.Share(t.within01), t.octave, t.threeTwo, t.wrong, t.refused);
}

const char* Name(Verdict v) {
    static const char* const kNames[] = {"0.1%", "1%", "octave", "3:2", "wrong", "refused"};
    return kNames[static_cast<int>(v)];
}

}  // namespace

int main(int argc, char** argv) {
    const bool verbose = argc > 1 && std::string(argv[1]) == "-v";
    const std::string dir = (std::filesystem::temp_directory_path() / ("vantor-tempo-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(dir);
    const vantor::TempoEstimator estimator;

    // Accuracy: each song's expected tempo is its true tempo folded into the
    // accepted range (88 to 175), the tempo a DJ mixes it at.
    Tally classic, robust, classicFloor, robustFloor;
    int nonMusicalRefused = 0, nonMusical = 0;
    double robustSeconds = 0, audioSeconds = 0;
    const std::vector<RhythmRecipe> corpus = vantor::test::RhythmCorpus(66, 30.0);
    for (size_t i = 0; i < corpus.size(); ++i) {
        const RhythmRecipe& recipe = corpus[i];
        const vantor::test::GeneratedSong song = vantor::test::RhythmGenerator(recipe).Generate();
        const std::string wave = dir + "/song" + std::to_string(i) + ".wav";
        if (!WriteSong(wave, song.samples)) {
            std::fprintf(stderr, "cannot write %s\n", wave.c_str());
            return 1;
        }
        vantor::CWaveFile source(wave, 100);
        const auto start = Clock::now();
        const vantor::TempoEstimate estimate = estimator.Estimate(source);
        robustSeconds += Seconds(start);
        audioSeconds += song.Frames() / 44100.0;
        const double robustTempo = vantor::TempoEstimator::IsTrusted(estimate) ? estimate.bpm : 0.0;
        const double classicTempo = Classic(wave, dir + "/song" + std::to_string(i) + ".sm");
        std::filesystem::remove(wave);
        std::filesystem::remove(dir + "/song" + std::to_string(i) + ".sm");

        if (!recipe.HasTempo()) {
            ++nonMusical;
            if (robustTempo == 0) ++nonMusicalRefused;
            if (verbose) std::printf("%-28s robust %.3f (%.2f) classic %.3f\n", recipe.name.c_str(), estimate.bpm, estimate.confidence, classicTempo);
            continue;
        }
        const double expected = estimator.Fold(recipe.bpm);
        const Verdict r = Judge(robustTempo, expected), c = Judge(classicTempo, expected);
        robust.Add(r);
        classic.Add(c);
        const bool floor = recipe.groove == Groove::FourOnTheFloor && recipe.bpm >= 120 && recipe.bpm <= 150;
        if (floor) robustFloor.Add(r), classicFloor.Add(c);
        if (verbose)
            std::printf("%-28s %7.2f  robust %8.3f (%.2f) %-7s first %.3f s (true %.3f)  classic %8.3f %s\n", recipe.name.c_str(),
                        recipe.bpm, estimate.bpm, estimate.confidence, Name(r), estimate.firstBeat / 44100.0,
                        song.firstBeat / 44100.0, classicTempo, Name(c));
    }
    std::printf("| %-34s | %5s | %7s | %7s | %6s | %3s | %5s | %7s |\n", "detector (songs)", "songs", "+-1 %", "+-0.1 %", "octave",
                "3:2", "wrong", "refused");
    std::printf("|------------------------------------|-------|---------|---------|--------|-----|-------|---------|\n");
    PrintRow("classic, all", classic);
    PrintRow("robust, all", robust);
    PrintRow("classic, four on the floor 120-150", classicFloor);
    PrintRow("robust, four on the floor 120-150", robustFloor);
    std::printf("tempo_robust_within_1_percent: %.1f %%\n", robust.Share(robust.within1));
    std::printf("tempo_robust_within_0_1_percent: %.1f %%\n", robust.Share(robust.within01));
    std::printf("tempo_classic_within_1_percent: %.1f %%\n", classic.Share(classic.within1));
    std::printf("tempo_classic_within_0_1_percent: %.1f %%\n", classic.Share(classic.within01));
    std::printf("tempo_non_musical_refused: %d of %d\n", nonMusicalRefused, nonMusical);
    std::printf("tempo_robust_speed: %.0f x real time\n", audioSeconds / robustSeconds);

    // A six-minute song analysed as a first open does it: summary, reference
    // level, start, both tempos.
    RhythmRecipe longSong;
    longSong.bpm = 127.43;
    longSong.groove = Groove::Broken;
    longSong.jitterSeconds = 0.005;
    longSong.leadingSilence = 1.2;
    longSong.seconds = 360.0 - longSong.leadingSilence;
    const std::string wave = dir + "/long.wav", summaryPath = dir + "/long.sm";
    if (!WriteSong(wave, vantor::test::RhythmGenerator(longSong).Generate().samples)) return 1;
    double best = 1e30, bestEstimate = 1e30, bestSummary = 1e30;
    vantor::TempoEstimate longEstimate;
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        vantor::CWaveFile source(wave, 100);
        std::atomic<int32_t> percent{0};
        if (!vantor::BuildSummary(summaryPath, source, percent)) return 1;
        const double summarySeconds = Seconds(start);
        vantor::CWaveSummaryFile summary(summaryPath, false);
        vantor::MeasureReferenceLevel(summary);
        const std::optional<uint32_t> songStart = vantor::FindSongStart(source, summary, 0.2, 0);
        if (songStart) vantor::DetectTempo(source, summary, *songStart, false);
        const auto estimateStart = Clock::now();
        longEstimate = estimator.Estimate(source);
        bestEstimate = std::min(bestEstimate, Seconds(estimateStart));
        bestSummary = std::min(bestSummary, summarySeconds);
        best = std::min(best, Seconds(start));
    }
    std::printf("tempo_six_minute_song_bpm: %.2f bpm (true 127.43)\n", longEstimate.bpm);
    std::printf("tempo_six_minute_summary: %.3f s\n", bestSummary);
    std::printf("tempo_six_minute_robust_estimate: %.3f s\n", bestEstimate);
    std::printf("tempo_six_minute_whole_analysis: %.3f s\n", best);
    std::filesystem::remove_all(dir);
    return 0;
}

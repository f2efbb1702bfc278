// Tempo detection on corpora with known tempos, General-MIDI pieces rendered
// with a sound font and synthesised songs: the accuracy of the beat-tracking
// detector and of the robust estimator side by side, by class of piece, and
// the time each step of a six-minute song's analysis takes.
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
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
#include "engine/wave_format.h"
#include "engine/wave_summary_file.h"
#include "engine/wave_writer.h"

namespace {

using Clock = std::chrono::steady_clock;
using vantor::test::Groove;
using vantor::test::RhythmRecipe;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double CpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

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

enum class Verdict { Within01, Within1, Octave, ThreeTwo, FourThree, Wrong, Refused };

// Ratios are judged as found over expected: 3:2 is 3/2 or 2/3, 4:3 is 4/3 or
// 3/4 (a shuffle at 120 read at 160 or 90).
Verdict Judge(double found, double expected) {
    if (!(found > 0)) return Verdict::Refused;
    auto near = [&](double target, double tolerance) { return std::abs(found / target - 1) <= tolerance; };
    if (near(expected, 0.001)) return Verdict::Within01;
    if (near(expected, 0.01)) return Verdict::Within1;
    if (near(2 * expected, 0.01) || near(expected / 2, 0.01)) return Verdict::Octave;
    if (near(1.5 * expected, 0.01) || near(expected / 1.5, 0.01)) return Verdict::ThreeTwo;
    if (near(4.0 / 3 * expected, 0.01) || near(0.75 * expected, 0.01)) return Verdict::FourThree;
    return Verdict::Wrong;
}

struct Tally {
    int songs = 0, within01 = 0, within1 = 0, octave = 0, threeTwo = 0, fourThree = 0, wrong = 0, refused = 0;
    void Add(Verdict v) {
        ++songs;
        if (v == Verdict::Within01) ++within01;
        if (v == Verdict::Within01 || v == Verdict::Within1) ++within1;
        if (v == Verdict::Octave) ++octave;
        if (v == Verdict::ThreeTwo) ++threeTwo;
        if (v == Verdict::FourThree) ++fourThree;
        if (v == Verdict::Wrong) ++wrong;
        if (v == Verdict::Refused) ++refused;
    }
    double Share(int n) const { return songs ? 100.0 * n / songs : 0.0; }
};

void PrintHeader() {
    std::printf("| %-34s | %5s | %7s | %7s | %6s | %3s | %3s | %5s | %7s |\n", "detector, class", "songs", "+-1 %", "+-0.1 %",
                "octave", "3:2", "4:3", "other", "refused");
    std::printf("|------------------------------------|-------|---------|---------|--------|-----|-----|-------|---------|\n");
}

void PrintRow(const std::string& name, const Tally& t) {
    std::printf("| %-34s | %5d | %5.1f %% | %5.1f %% | %6d | %3d | %3d | %5d | %7d |\n", name.c_str(), t.songs, t.Share(t.within1),
                t.Share(t.within01), t.octave, t.threeTwo, t.fourThree, t.wrong, t.refused);
}

const char* Name(Verdict v) {
    static const char* const kNames[] = {"0.1%", "1%", "octave", "3:2", "4:3", "other", "refused"};
    return kNames[static_cast<int>(v)];
}

// One piece of the rendered corpus, as its list names it.
struct CorpusPiece {
    std::string file;
    double bpm = 0;
    int beatsPerBar = 0;
    std::vector<std::string> classes;
};

// The list written by make_tempo_corpus: file, tempo, beats per bar and
// comma-separated classes, a tab between; lines that do not parse are skipped.
std::vector<CorpusPiece> ReadCorpusList(const std::string& dir) {
    std::vector<CorpusPiece> pieces;
    std::ifstream list(dir + "/tempo_corpus.tsv");
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        CorpusPiece piece;
        std::string classes;
        if (!(fields >> piece.file >> piece.bpm >> piece.beatsPerBar >> classes) || !(piece.bpm > 0)) continue;
        std::istringstream names(classes);
        for (std::string name; std::getline(names, name, ',');) piece.classes.push_back(name);
        if (piece.file.size() > 4) piece.file = piece.file.substr(0, piece.file.size() - 4) + ".wav";
        pieces.push_back(piece);
    }
    return pieces;
}

// Tallies by class, for both detectors, in the order classes first appear.
struct ClassTable {
    std::vector<std::string> order;
    std::map<std::string, std::pair<Tally, Tally>> tallies;  // classic, robust
    void Add(const std::string& name, Verdict classic, Verdict robust) {
        if (!tallies.count(name)) order.push_back(name);
        tallies[name].first.Add(classic);
        tallies[name].second.Add(robust);
    }
    void Print() const {
        PrintHeader();
        for (int robust = 0; robust < 2; ++robust)
            for (const std::string& name : order) {
                const auto& pair = tallies.at(name);
                PrintRow(std::string(robust ? "robust, " : "classic, ") + name, robust ? pair.second : pair.first);
            }
    }
};

}  // namespace

int main(int argc, char** argv) {
    // tempo_bench [-v] [CORPUS_DIR]: -v lists every song; another rendered
    // corpus (render_tempo_corpus.sh with another seed) may stand in.
    bool verbose = false;
    std::string corpusDir = VANTOR_TEMPO_CORPUS;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "-v")
            verbose = true;
        else
            corpusDir = argv[i];
    }
    const std::string dir = (std::filesystem::temp_directory_path() / ("vantor-tempo-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(dir);
    const vantor::TempoEstimator estimator;
    ClassTable table;
    double robustSeconds = 0, audioSeconds = 0;

    // The beat grid, among songs whose tempo is right: the first beat on a
    // played beat, and where the bar is a whole number of beats at the tempo
    // given, its length and its first downbeat on a bar line (within 70 ms).
    int gridSongs = 0, beatOnBeat = 0, barSongs = 0, barRight = 0, downbeatRight = 0, barsFound = 0;
    auto judgeGrid = [&](const vantor::TempoEstimate& estimate, double bpm, int beatsPerBar, int64_t firstBar) {
        ++gridSongs;
        auto onLine = [&](int64_t frame, double lineSeconds) {
            const double lines = 44100.0 * lineSeconds;
            return std::abs(std::remainder(static_cast<double>(frame - firstBar), lines)) <= 0.07 * 44100.0;
        };
        if (onLine(estimate.firstBeat, 60.0 / bpm)) ++beatOnBeat;
        // Two beats to the bar are found as four.
        const int bar = beatsPerBar == 2 ? 4 : beatsPerBar;
        const double given = bar * estimator.Fold(bpm) / bpm;
        if (std::abs(given - std::round(given)) > 0.01) return;
        ++barSongs;
        if (estimate.beatsPerBar > 0) ++barsFound;
        if (estimate.beatsPerBar == std::lround(given)) {
            ++barRight;
            if (onLine(estimate.downbeat, bar * 60.0 / bpm)) ++downbeatRight;
        }
    };
    // Each piece's expected tempo is its true tempo folded into the accepted
    // range (88 to 175), the tempo a DJ mixes it at.
    auto measure = [&](const std::string& wave, const std::string& name, double bpm, const std::vector<std::string>& classes,
                       int beatsPerBar, int64_t firstBar) {
        vantor::CWaveFile source(wave, 100);
        const auto start = Clock::now();
        const vantor::TempoEstimate estimate = estimator.Estimate(source);
        robustSeconds += Seconds(start);
        audioSeconds += source.GetLength() / 44100.0;
        const double robustTempo = vantor::TempoEstimator::IsTrusted(estimate) ? estimate.bpm : 0.0;
        const std::string summaryPath = dir + "/song.sm";
        const double classicTempo = Classic(wave, summaryPath);
        std::filesystem::remove(summaryPath);
        const double expected = estimator.Fold(bpm);
        const Verdict r = Judge(robustTempo, expected), c = Judge(classicTempo, expected);
        for (const std::string& group : classes) table.Add(group, c, r);
        if (r == Verdict::Within01 || r == Verdict::Within1) judgeGrid(estimate, bpm, beatsPerBar, firstBar);
        if (verbose)
            std::printf("%-28s %7.2f  robust %8.3f (%.2f) %-7s bar %d (%d) down %7.3f s  classic %8.3f %s\n", name.c_str(), expected,
                        estimate.bpm, estimate.confidence, Name(r), estimate.beatsPerBar, beatsPerBar, estimate.downbeat / 44100.0,
                        classicTempo, Name(c));
    };

    // The rendered General-MIDI corpus.
    const std::vector<CorpusPiece> pieces = ReadCorpusList(corpusDir);
    int rendered = 0;
    for (const CorpusPiece& piece : pieces) {
        const std::string wave = corpusDir + "/" + piece.file;
        if (!std::filesystem::exists(wave)) continue;
        ++rendered;
        std::vector<std::string> classes = {"all", "General MIDI"};
        classes.insert(classes.end(), piece.classes.begin(), piece.classes.end());
        // Each piece's first bar starts at its first frame.
        measure(wave, piece.file, piece.bpm, classes, piece.beatsPerBar, 0);
    }
    if (rendered == 0) std::printf("tempo corpus missing in %s: only the generated songs are measured\n", corpusDir.c_str());

    // The synthesised songs, and what has no tempo at all.
    int nonMusicalRefused = 0, nonMusical = 0;
    const std::vector<RhythmRecipe> corpus = vantor::test::RhythmCorpus(66, 30.0);
    for (size_t i = 0; i < corpus.size(); ++i) {
        const RhythmRecipe& recipe = corpus[i];
        const vantor::test::GeneratedSong song = vantor::test::RhythmGenerator(recipe).Generate();
        const std::string wave = dir + "/song" + std::to_string(i) + ".wav";
        if (!WriteSong(wave, song.samples)) {
            std::fprintf(stderr, "cannot write %s\n", wave.c_str());
            return 1;
        }
        if (!recipe.HasTempo()) {
            vantor::CWaveFile source(wave, 100);
            const vantor::TempoEstimate estimate = estimator.Estimate(source);
            ++nonMusical;
            if (!vantor::TempoEstimator::IsTrusted(estimate)) ++nonMusicalRefused;
        } else {
            std::vector<std::string> classes = {"all", "generated"};
            if (recipe.groove == Groove::FourOnTheFloor && recipe.bpm >= 120 && recipe.bpm <= 150)
                classes.push_back("generated, four 120-150");
            measure(wave, recipe.name, recipe.bpm, classes, recipe.beatsPerBar, song.firstBeat);
        }
        std::filesystem::remove(wave);
    }
    std::printf("General-MIDI pieces: %d rendered of %zu listed; generated songs: %zu\n", rendered, pieces.size(), corpus.size() - 3);
    table.Print();
    auto share = [&](const std::string& name, bool robust) {
        if (!table.tallies.count(name)) return 0.0;
        const Tally& t = robust ? table.tallies.at(name).second : table.tallies.at(name).first;
        return t.Share(t.within1);
    };
    std::printf("tempo_robust_within_1_percent: %.1f %%\n", share("all", true));
    std::printf("tempo_robust_swing_within_1_percent: %.1f %%\n", share("swing", true));
    std::printf("tempo_robust_general_midi_within_1_percent: %.1f %%\n", share("General MIDI", true));
    std::printf("tempo_robust_generated_within_1_percent: %.1f %%\n", share("generated", true));
    std::printf("tempo_classic_within_1_percent: %.1f %%\n", share("all", false));
    std::printf("tempo_non_musical_refused: %d of %d\n", nonMusicalRefused, nonMusical);
    std::printf("tempo_robust_speed: %.0f x real time\n", audioSeconds / robustSeconds);
    auto part = [](int n, int of) { return of ? 100.0 * n / of : 0.0; };
    std::printf("beat_grid_first_beat_on_a_beat: %.1f %% of %d songs with the right tempo\n", part(beatOnBeat, gridSongs), gridSongs);
    std::printf("beat_grid_beats_per_bar_right: %.1f %% of %d songs with whole bars\n", part(barRight, barSongs), barSongs);
    std::printf("beat_grid_downbeat_right: %.1f %%\n", part(downbeatRight, barSongs));
    std::printf("beat_grid_bars_wrong: %.1f %% (bars given whose length or downbeat is wrong)\n", part(barsFound - downbeatRight, barSongs));

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
    // Wall time, and the processor time the analysis itself took: on a
    // machine shared with other work the wall time overstates it.
    double best = 1e30, bestEstimate = 1e30, bestSummary = 1e30, bestCpu = 1e30;
    vantor::TempoEstimate longEstimate;
    for (int run = 0; run < 3; ++run) {
        const double cpuStart = CpuSeconds();
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
        bestCpu = std::min(bestCpu, CpuSeconds() - cpuStart);
    }
    std::printf("tempo_six_minute_song_bpm: %.2f bpm (true 127.43)\n", longEstimate.bpm);
    std::printf("tempo_six_minute_summary: %.3f s\n", bestSummary);
    std::printf("tempo_six_minute_robust_estimate: %.3f s\n", bestEstimate);
    std::printf("tempo_six_minute_whole_analysis: %.3f s\n", best);
    std::printf("tempo_six_minute_whole_analysis_cpu: %.3f s\n", bestCpu);
    std::filesystem::remove_all(dir);
    return 0;
}

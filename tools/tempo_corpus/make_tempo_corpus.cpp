// Writes a corpus of General-MIDI pieces with known tempos for the tempo
// benchmark: straight rock, funk and four-on-the-floor, shuffles, swing,
// 12/8 ballads, 6/8, triplet hats over straight kicks, waltzes, half-time
// grooves, and pieces without drums (piano, strings, guitar). Timing is
// humanised but rubato-free. Beside the files, tempo_corpus.tsv lists each
// piece: file name, tempo of the beat a listener taps (the dotted quarter in
// 6/8 and 12/8), beats per bar, and its classes.
//
//   make_tempo_corpus DIR [FIRST_SEED]
//
// Another first seed (default 1) gives other pieces of the same kinds, at
// other tempos: a check that the detector was not tuned to one corpus.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "midi_file.h"

namespace {

using vantor::corpus::MidiFile;

constexpr int kDrums = 9;
enum Drum { kKick = 36, kSideStick = 37, kSnare = 38, kClap = 39, kClosedHat = 42, kPedalHat = 44, kOpenHat = 46,
            kLowTom = 45, kMidTom = 47, kHighTom = 50, kCrash = 49, kRide = 51 };
enum Program { kPiano = 0, kElectricPiano = 4, kClavinet = 7, kOrgan = 16, kAccordion = 21, kNylonGuitar = 24,
               kSteelGuitar = 25, kCleanGuitar = 27, kDriveGuitar = 29, kAcousticBass = 32, kFingerBass = 33, kPickBass = 34,
               kSynthBass = 38, kViolin = 40, kCello = 42, kPizzicato = 45, kHarp = 46, kStrings = 48, kTrumpet = 56,
               kAltoSax = 65, kBrass = 61, kViola = 41, kSawLead = 81, kTenorSax = 66, kHarmonica = 22, kFlute = 73, kPad = 89 };

struct Chord {
    int root;                  // semitones above the key
    std::vector<int> members;  // semitones above the root
};
const std::vector<int> kMajor = {0, 4, 7}, kMinor = {0, 3, 7}, kSeventh = {0, 4, 7, 10}, kMinorSeventh = {0, 3, 7, 10},
                       kMajorSeventh = {0, 4, 7, 11};

struct Piece;
struct Player;
using Style = std::function<void(Player&)>;

struct Piece {
    std::string name;
    std::string tags;  // comma-separated classes
    Style style;
    double bpm;        // of the beat
    int beatsPerBar;
    bool compound;     // the beat is a dotted quarter of three eighths
    double swing;      // where a swung off-beat eighth falls, in beats (0.5 straight)
    double jitterMs;
    uint32_t seed;
    double seconds;
};

// Places notes in beats on a humanised grid and keeps the harmony.
struct Player {
    Player(const Piece& p, MidiFile& m) : piece(p), midi(m), random(p.seed) {}

    const Piece& piece;
    MidiFile& midi;
    std::mt19937 random;
    int bars = 0;
    int key = 0;
    std::vector<Chord> progression;
    int barsPerChord = 1;

    double ticksPerBeat() const { return MidiFile::kTicksPerQuarter * (piece.compound ? 1.5 : 1.0); }
    double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); }
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    bool Chance(double p) { return Uniform(0, 1) < p; }

    int64_t Tick(double beat) {
        const double ticksPerMs = ticksPerBeat() * piece.bpm / 60000.0;
        return std::llround(beat * ticksPerBeat() + Uniform(-piece.jitterMs, piece.jitterMs) * ticksPerMs);
    }
    void Hit(int channel, int note, double beat, double length, int velocity) {
        const int v = velocity + static_cast<int>(std::lround(Uniform(-8, 8)));
        midi.Note(channel, Tick(beat), std::llround(length * ticksPerBeat()), note, std::clamp(v, 1, 127));
    }
    void Drum(int note, double beat, int velocity) { Hit(kDrums, note, beat, 0.25, velocity); }
    // A swung position: straight eighths' off-beats move to the swing point.
    double Swung(double beat) const {
        const double whole = std::floor(beat), part = beat - whole;
        return std::abs(part - 0.5) < 1e-9 ? whole + piece.swing : beat;
    }

    const Chord& ChordOfBar(int bar) const { return progression[static_cast<size_t>(bar / barsPerChord) % progression.size()]; }
    // The chord's n-th member from a register's lowest note, rising by octaves.
    int Member(const Chord& chord, int n, int low) const {
        const int size = static_cast<int>(chord.members.size());
        int note = key + chord.root + chord.members[static_cast<size_t>(n % size)] + 12 * (n / size);
        while (note < low) note += 12;
        return note;
    }
    int Bass(const Chord& chord) const { return Member(chord, 0, 33); }
    void Block(int channel, const Chord& chord, double beat, double length, int velocity, int low = 55) {
        for (size_t i = 0; i < chord.members.size(); ++i) Hit(channel, Member(chord, static_cast<int>(i), low), beat, length, velocity);
    }
    // A strummed chord, each string a little after the last.
    void Strum(int channel, const Chord& chord, double beat, int velocity, bool down) {
        const double spread = 0.012 * piece.bpm / 60;
        for (int i = 0; i < 5; ++i) {
            const int n = down ? i : 4 - i;
            Hit(channel, Member(chord, n, 48), beat + i * spread, 0.45, velocity - 4 * i);
        }
    }
    // A line over the harmony on the given rhythm, resting now and then.
    void Melody(int channel, const std::vector<double>& rhythm, int velocity) {
        int step = 2;
        for (int bar = 0; bar < bars; ++bar) {
            if (bar % 8 >= 6) continue;
            const Chord& chord = ChordOfBar(bar);
            for (size_t i = 0; i < rhythm.size(); ++i) {
                if (Chance(0.2)) continue;
                step = std::clamp(step + Pick(5) - 2, 0, 7);
                const double end = i + 1 < rhythm.size() ? rhythm[i + 1] : piece.beatsPerBar;
                Hit(channel, Member(chord, step, 64), bar * piece.beatsPerBar + rhythm[i], 0.9 * (end - rhythm[i]), velocity);
            }
        }
    }
    // Crash at each eight-bar section and a tom fill on the last beat before.
    bool Section(int bar) {
        const double at = bar * piece.beatsPerBar;
        if (bar % 8 == 0 && bar > 0) Drum(kCrash, at, 100);
        if (bar % 8 != 7) return false;
        const double last = at + piece.beatsPerBar - 1;
        const int toms[] = {kSnare, kHighTom, kMidTom, kLowTom};
        const int steps = piece.compound ? 3 : 4;
        for (int i = 0; i < steps; ++i) Drum(toms[i], last + static_cast<double>(i) / steps, 85 + 5 * i);
        return true;
    }
};

// Straight eighths: kick on one and three, snare on two and four.
void Rock(Player& p) {
    const bool guitar = p.piece.seed % 2 == 0;
    p.midi.Program(0, guitar ? kDriveGuitar : kPiano);
    p.midi.Program(1, kPickBass);
    p.midi.Program(2, kOrgan);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const bool fill = p.Section(bar);
        for (int b = 0; b < 4; ++b) {
            const double t = bar * 4 + b;
            if (!(fill && b == 3)) {
                p.Drum(kClosedHat, t, 90);
                p.Drum(kClosedHat, t + 0.5, 65);
                if (b == 0 || b == 2) p.Drum(kKick, t, 105);
                if (b == 1 || b == 3) p.Drum(kSnare, t, 100);
                if (b == 2 && bar % 2 == 1) p.Drum(kKick, t + 0.5, 90);
            }
            p.Hit(1, p.Bass(chord), t, 0.45, 95);
            p.Hit(1, p.Bass(chord), t + 0.5, 0.45, 80);
            if (guitar) {
                p.Hit(0, p.Member(chord, 0, 40), t, 0.4, 85);
                p.Hit(0, p.Member(chord, 0, 40) + 7, t, 0.4, 85);
                p.Hit(0, p.Member(chord, 0, 40), t + 0.5, 0.4, 70);
                p.Hit(0, p.Member(chord, 0, 40) + 7, t + 0.5, 0.4, 70);
            } else if (b == 0 || b == 2) {
                p.Block(0, chord, t, 0.9, 80);
                p.Block(0, chord, t + 1.5, 0.45, 70);
            }
        }
        p.Hit(2, p.Member(chord, 2, 60), bar * 4, 4, 45);
    }
    if (p.piece.seed % 3 == 0) p.Melody(3, {0, 1, 1.5, 2.5, 3}, 80);
}

// Sixteenth hats, a syncopated kick, ghost notes and clavinet stabs.
void Funk(Player& p) {
    p.midi.Program(0, p.piece.seed % 2 ? kClavinet : kElectricPiano);
    p.midi.Program(1, kFingerBass);
    p.midi.Program(3, kTenorSax);
    const double kicks[][3] = {{0, 0.75, 2.5}, {0, 1.75, 2.25}, {0, 2, 2.75}};
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        for (int s = 0; s < 16; ++s) p.Drum(kClosedHat, at + s * 0.25, s % 4 == 0 ? 85 : s % 2 ? 45 : 65);
        for (double k : kicks[(p.piece.seed + bar / 4) % 3]) p.Drum(kKick, at + k, 105);
        p.Drum(kSnare, at + 1, 100);
        p.Drum(kSnare, at + 3, 100);
        p.Drum(kSnare, at + 1.75, 35);
        p.Drum(kSnare, at + 3.25, 35);
        for (double b : {0.0, 0.75, 1.5, 2.5, 2.75, 3.5}) p.Hit(1, p.Bass(chord) + (b == 1.5 ? 12 : 0), at + b, 0.2, 95);
        for (double c : {0.5, 1.25, 2.5, 3.75}) p.Block(0, chord, at + c, 0.15, 75);
    }
    p.Melody(3, {0, 0.75, 1.5, 2.5, 3.25}, 75);
}

// Four on the floor: kick on every beat, claps on two and four, open hats
// on the off-beats, an off-beat bass and a string pad.
void Floor(Player& p) {
    p.midi.Program(0, kStrings);
    p.midi.Program(1, kSynthBass);
    p.midi.Program(2, kPiano);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        const bool intro = bar < 4;
        for (int b = 0; b < 4; ++b) {
            const double t = at + b;
            if (!intro || b % 2 == 0) p.Drum(kKick, t, 110);
            p.Drum(kOpenHat, t + 0.5, 70);
            p.Drum(kClosedHat, t + 0.25, 40);
            p.Drum(kClosedHat, t + 0.75, 40);
            if (!intro && b % 2 == 1) p.Drum(kClap, t, 95);
            p.Hit(1, p.Bass(chord) + 12, t + 0.5, 0.4, 95);
        }
        p.Block(0, chord, at, 4, 60);
        if (!intro && bar % 2 == 1)
            for (double c : {0.5, 1.5, 2.75}) p.Block(2, chord, at + c, 0.3, 85, 60);
    }
}

// The shuffle: each beat a long and a short note of a triplet, over a
// twelve-bar blues with a boogie bass.
void Shuffle(Player& p) {
    p.midi.Program(0, p.piece.seed % 2 ? kPiano : kCleanGuitar);
    p.midi.Program(1, kFingerBass);
    p.midi.Program(3, p.piece.seed % 2 ? kHarmonica : kAltoSax);
    const int boogie[] = {0, 4, 7, 9, 10, 9, 7, 4};
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const bool fill = p.Section(bar);
        for (int b = 0; b < 4; ++b) {
            const double t = bar * 4 + b;
            if (!(fill && b == 3)) {
                p.Drum(p.piece.seed % 3 == 0 ? kRide : kClosedHat, t, 85);
                p.Drum(p.piece.seed % 3 == 0 ? kRide : kClosedHat, p.Swung(t + 0.5), 60);
                if (b == 0 || b == 2) p.Drum(kKick, t, 100);
                if (b == 2 && bar % 2 == 1) p.Drum(kKick, p.Swung(t + 0.5), 80);
                if (b == 1 || b == 3) p.Drum(kSnare, t, 100);
            }
            const int root = p.Bass(chord);
            p.Hit(1, root + boogie[2 * b], t, 0.6, 95);
            p.Hit(1, root + boogie[2 * b + 1], p.Swung(t + 0.5), 0.3, 80);
            // The left hand's shuffle: fifth and sixth over the root.
            const int low = p.Member(chord, 0, 48);
            p.Hit(0, low, t, 0.6, 70);
            p.Hit(0, low + (b % 2 ? 9 : 7), t, 0.6, 70);
            p.Hit(0, low, p.Swung(t + 0.5), 0.3, 55);
            p.Hit(0, low + (b % 2 ? 9 : 7), p.Swung(t + 0.5), 0.3, 55);
        }
    }
    p.Melody(3, {0, p.piece.swing, 1 + p.piece.swing, 2, 3, 3 + p.piece.swing}, 80);
}

// A Chicago shuffle: the kick on every beat, the piano pumping triplet
// chords, horns pushing the downbeat on the last triplet before it.
void ChicagoShuffle(Player& p) {
    p.midi.Program(0, kPiano);
    p.midi.Program(1, kFingerBass);
    p.midi.Program(2, kBrass);
    p.midi.Program(3, kCleanGuitar);
    const int boogie[] = {0, 7, 9, 7};
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const Chord& next = p.ChordOfBar(bar + 1);
        const bool fill = p.Section(bar);
        for (int b = 0; b < 4; ++b) {
            const double t = bar * 4 + b;
            if (!(fill && b == 3)) {
                p.Drum(kClosedHat, t, 80);
                p.Drum(kClosedHat, p.Swung(t + 0.5), 60);
                p.Drum(kKick, t, 90);
                if (b % 2) p.Drum(kSnare, t, 105);
            }
            for (int e = 0; e < 3; ++e) p.Block(0, chord, t + e / 3.0, 0.3, e == 0 ? 68 : 55, 60);
            p.Hit(1, p.Bass(chord) + boogie[b], t, 0.6, 95);
            p.Hit(1, p.Bass(chord) + boogie[b], p.Swung(t + 0.5), 0.3, 75);
        }
        if (bar % 2 == 1) p.Block(2, next, bar * 4 + 3 + 2 / 3.0, 0.6, 95, 58);
    }
    p.Melody(3, {0, 1 + 2 / 3.0, 2, 2 + 2 / 3.0, 3 + 1 / 3.0}, 85);
}

// A big band: a two-beat bass, brass stabs on the swung off-beats, a sax
// line in swung eighths and snare kicks with the brass.
void BigBand(Player& p) {
    p.midi.Program(0, kPiano);
    p.midi.Program(1, kAcousticBass);
    p.midi.Program(2, kBrass);
    p.midi.Program(3, kAltoSax);
    const double s = p.piece.swing;
    const double stabs[][2] = {{1 + 0.5, 3}, {0.5, 2 + 0.5}, {1 + 0.5, 3 + 0.5}};
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        const bool walking = bar % 16 >= 8;
        for (int b = 0; b < 4; ++b) {
            const double t = at + b;
            p.Drum(kRide, t, 85);
            if (b % 2) p.Drum(kRide, t + s, 60);
            if (b % 2) p.Drum(kPedalHat, t, 70);
            if (walking || b % 2 == 0) p.Hit(1, p.Member(chord, walking ? b % 3 : b / 2 * 2, 36), t, walking ? 0.9 : 1.9, 95);
        }
        for (double stab : stabs[(bar / 2) % 3]) {
            const double at2 = p.Swung(at + stab);
            p.Block(2, chord, at2, 0.35, 100, 58);
            p.Drum(kSnare, at2, 70);
        }
        if (bar % 4 == 3) p.Drum(kCrash, p.Swung(at + 3.5), 90);
    }
    std::vector<double> line;
    for (int b = 0; b < 4; ++b) {
        line.push_back(b);
        line.push_back(b + s);
    }
    p.Melody(3, line, 80);
}

// Doo-wop in 12/8: the piano repeats its chord on every eighth, the bass
// walks on one and three with a pick-up, snare on two and four.
void DooWop(Player& p) {
    p.midi.Program(0, kPiano);
    p.midi.Program(1, kAcousticBass);
    p.midi.Program(3, p.piece.seed % 2 ? kTenorSax : kOrgan);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const Chord& next = p.ChordOfBar(bar + 1);
        for (int b = 0; b < 4; ++b) {
            const double t = bar * 4 + b;
            for (int e = 0; e < 3; ++e) p.Block(0, chord, t + e / 3.0, 0.3, e == 0 ? 70 : 58, 58);
            p.Drum(kRide, t, 65);
            if (b % 2) p.Drum(kSnare, t, 95);
            if (b == 0) p.Drum(kKick, t, 95);
            if (b == 1) p.Drum(kKick, t + 2 / 3.0, 80);
        }
        p.Hit(1, p.Bass(chord), bar * 4, 1.5, 95);
        p.Hit(1, p.Member(chord, 2, 36), bar * 4 + 1 + 2 / 3.0, 0.3, 80);
        p.Hit(1, p.Member(chord, 1, 36), bar * 4 + 2, 1.5, 90);
        p.Hit(1, p.Bass(next) - 1, bar * 4 + 3 + 2 / 3.0, 0.3, 80);
    }
    p.Melody(3, {0, 1, 2, 3}, 75);
}

// Pop on the tresillo: kick, bass and chords on three, three and two
// eighths, the snare on two and four, sixteenth hats.
void Tresillo(Player& p) {
    p.midi.Program(0, p.piece.seed % 2 ? kPad : kElectricPiano);
    p.midi.Program(1, kSynthBass);
    p.midi.Program(3, kSawLead);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        for (int s = 0; s < 16; ++s) p.Drum(kClosedHat, at + s * 0.25, s % 4 == 0 ? 70 : s % 2 ? 40 : 55);
        for (double k : {0.0, 1.5, 3.0}) {
            p.Drum(kKick, at + k, 105);
            p.Hit(1, p.Bass(chord), at + k, k == 3.0 ? 0.9 : 1.4, 100);
            p.Block(0, chord, at + k, k == 3.0 ? 0.9 : 1.4, 70, 58);
        }
        p.Drum(p.piece.seed % 3 ? kSnare : kClap, at + 1, 95);
        p.Drum(p.piece.seed % 3 ? kSnare : kClap, at + 3, 95);
    }
    p.Melody(3, {0, 0.75, 1.5, 2.5, 3}, 75);
}

// A string quartet: the cello walking in quarters, the inner voices in
// eighths, the first violin's tune on top.
void StringQuartet(Player& p) {
    p.midi.Program(0, kViola);
    p.midi.Program(1, kCello);
    p.midi.Program(3, kViolin);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        for (int b = 0; b < 4; ++b) p.Hit(1, p.Member(chord, b % 3, 36), at + b, 0.9, 85);
        for (int e = 0; e < 8; ++e) p.Hit(0, p.Member(chord, e % 2 ? 2 : 1, 55), at + e * 0.5, 0.45, e % 2 ? 60 : 75);
    }
    p.Melody(3, {0, 1, 2, 3}, 80);
}

// Swing: the ride's spang-a-lang, hi-hat on two and four, a feathered kick,
// a walking bass and comping piano.
void Swing(Player& p) {
    p.midi.Program(0, kPiano);
    p.midi.Program(1, kAcousticBass);
    p.midi.Program(3, p.piece.seed % 2 ? kTenorSax : kTrumpet);
    const double s = p.piece.swing;
    const int bar3 = p.piece.beatsPerBar;
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const Chord& next = p.ChordOfBar(bar + 1);
        const double at = bar * bar3;
        for (int b = 0; b < bar3; ++b) {
            const double t = at + b;
            p.Drum(kRide, t, b % 2 ? 80 : 90);
            if (b % 2 == 1) p.Drum(kRide, t + s, 60);
            if (b % 2 == 1 || bar3 == 3) p.Drum(kPedalHat, t, 70);
            p.Drum(kKick, t, 35);
            if (p.Chance(0.15)) p.Drum(kSnare, t + s, 50);
            // Walking: chord tones, and a step into the next chord's root.
            int note = p.Member(chord, b == 0 ? 0 : p.Pick(3), 36);
            if (b == bar3 - 1) note = p.Bass(next) + (p.Chance(0.5) ? 1 : -1);
            p.Hit(1, note, t, 0.9, 95);
        }
        // Comping: the Charleston, and sometimes an anticipation.
        p.Block(0, chord, at, 0.4, 70);
        p.Block(0, chord, at + 1 + s, 0.4, 65);
        if (p.Chance(0.4)) p.Block(0, next, at + bar3 - 1 + s, 0.5, 60);
    }
    std::vector<double> line;
    for (int b = 0; b < bar3; ++b) {
        line.push_back(b);
        line.push_back(b + s);
    }
    p.Melody(3, line, 85);
}

// A 12/8 ballad: four dotted-quarter beats of three eighths each, hats on
// every eighth, the snare on two and four, piano in triplet arpeggios.
void SlowTwelveEight(Player& p) {
    p.midi.Program(0, kPiano);
    p.midi.Program(1, kFingerBass);
    p.midi.Program(2, kStrings);
    p.midi.Program(3, kAltoSax);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const bool fill = p.Section(bar);
        for (int b = 0; b < 4; ++b) {
            const double t = bar * 4 + b;
            for (int e = 0; e < 3; ++e) {
                if (!(fill && b == 3)) p.Drum(kClosedHat, t + e / 3.0, e == 0 ? 80 : 55);
                p.Hit(0, p.Member(chord, (b % 2) * 2 + e, 55), t + e / 3.0, 0.3, e == 0 ? 75 : 60);
            }
            if (fill && b == 3) continue;
            if (b == 0 || (b == 2 && bar % 2 == 0)) p.Drum(kKick, t, 100);
            if (b == 1 && p.piece.seed % 2) p.Drum(kKick, t + 2 / 3.0, 75);
            if (b == 1 || b == 3) p.Drum(kSnare, t, 95);
            if (b % 2 == 0) p.Hit(1, p.Bass(chord), t, 1.8, 95);
        }
        p.Block(2, chord, bar * 4, 4, 45, 60);
    }
    p.Melody(3, {0, 1, 1 + 2 / 3.0, 2, 3}, 75);
}

// 6/8 at a walking pace: two beats of three eighths, a fiddle tune in
// eighths, guitar on the beats.
void SixEight(Player& p) {
    p.midi.Program(0, kSteelGuitar);
    p.midi.Program(1, kAcousticBass);
    p.midi.Program(3, p.piece.seed % 2 ? kViolin : kAccordion);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        for (int b = 0; b < 2; ++b) {
            const double t = bar * 2 + b;
            p.Drum(b == 0 ? kKick : kSnare, t, 95);
            for (int e = 0; e < 3; ++e) p.Drum(kClosedHat, t + e / 3.0, e == 0 ? 75 : 50);
            p.Hit(1, p.Bass(chord) + (b ? 7 : 0), t, 0.9, 95);
            p.Strum(0, chord, t, 80, true);
            p.Strum(0, chord, t + 2 / 3.0, 60, false);
        }
    }
    p.Melody(3, {0, 1 / 3.0, 2 / 3.0, 1, 4 / 3.0, 5 / 3.0}, 85);
}

// Hats in triplets over a straight kick and snare.
void TripletHats(Player& p) {
    p.midi.Program(0, kPad);
    p.midi.Program(1, kSynthBass);
    p.midi.Program(2, kElectricPiano);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        for (int b = 0; b < 4; ++b)
            for (int e = 0; e < 3; ++e) p.Drum(kClosedHat, at + b + e / 3.0, e == 0 ? 80 : 60);
        p.Drum(kKick, at, 110);
        p.Drum(kKick, at + 2, 100);
        if (bar % 2) p.Drum(kKick, at + 2.5, 90);
        p.Drum(kSnare, at + 1, 100);
        p.Drum(kSnare, at + 3, 100);
        p.Hit(1, p.Bass(chord), at, 1.8, 100);
        p.Hit(1, p.Bass(chord), at + 2, 1.8, 90);
        p.Block(0, chord, at, 4, 55, 60);
        p.Block(2, chord, at + 1.5, 0.5, 65);
    }
}

// Swung sixteenths at a hip-hop tempo.
void SwungSixteenths(Player& p) {
    p.midi.Program(1, kFingerBass);
    p.midi.Program(2, kElectricPiano);
    const double late = (p.piece.swing - 0.5) / 2;  // the second sixteenth of each eighth moves this far
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        for (int s = 0; s < 16; ++s) p.Drum(kClosedHat, at + s * 0.25 + (s % 2 ? late : 0), s % 2 ? 50 : 75);
        for (double k : {0.0, 0.75 + late, 2.5}) p.Drum(kKick, at + k, 105);
        p.Drum(kSnare, at + 1, 100);
        p.Drum(kSnare, at + 3, 100);
        p.Hit(1, p.Bass(chord), at, 0.7, 100);
        p.Hit(1, p.Bass(chord), at + 0.75 + late, 0.5, 85);
        p.Hit(1, p.Bass(chord) + 7, at + 2.5, 0.9, 90);
        p.Block(2, chord, at, 1.4, 65);
        p.Block(2, chord, at + 1.75 + late, 1.2, 60);
    }
}

// A waltz with drums: kick on one, side stick on two and three.
void Waltz(Player& p) {
    p.midi.Program(0, p.piece.seed % 2 ? kAccordion : kPiano);
    p.midi.Program(1, kAcousticBass);
    p.midi.Program(3, p.piece.seed % 2 ? kFlute : kViolin);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 3;
        p.Drum(kKick, at, 100);
        p.Drum(kSideStick, at + 1, 75);
        p.Drum(kSideStick, at + 2, 70);
        for (int b = 0; b < 3; ++b) p.Drum(kClosedHat, at + b, b == 0 ? 75 : 55);
        p.Hit(1, p.Bass(chord) + (bar % 2 ? 7 : 0), at, 0.9, 95);
        p.Block(0, chord, at + 1, 0.6, 70);
        p.Block(0, chord, at + 2, 0.6, 65);
    }
    p.Melody(3, {0, 2}, 80);
}

// Half time: the snare on three, the kick on one and off the beat.
void HalfTime(Player& p) {
    p.midi.Program(0, kPad);
    p.midi.Program(1, kPickBass);
    p.midi.Program(2, kDriveGuitar);
    const bool shuffle = p.piece.swing > 0.5;
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        for (int b = 0; b < 4; ++b) {
            p.Drum(kClosedHat, at + b, 80);
            p.Drum(kClosedHat, p.Swung(at + b + 0.5), 55);
            // A half-time shuffle ghosts the triplet between.
            if (shuffle && b != 2) p.Drum(kSnare, at + b + 1 / 3.0, 30);
        }
        p.Drum(kKick, at, 110);
        p.Drum(kKick, p.Swung(at + 1.5), 85);
        if (bar % 2) p.Drum(kKick, p.Swung(at + 3.5), 80);
        p.Drum(kSnare, at + 2, 110);
        p.Hit(1, p.Bass(chord), at, 1.4, 100);
        p.Hit(1, p.Bass(chord), p.Swung(at + 1.5), 2.4, 90);
        p.Block(0, chord, at, 4, 50, 60);
        if (bar % 4 >= 2) {
            p.Hit(2, p.Member(chord, 0, 40), at, 1.8, 80);
            p.Hit(2, p.Member(chord, 0, 40) + 7, at, 1.8, 80);
        }
    }
}

// Piano alone: a bass note on one and three under arpeggiated eighths or
// sixteenths, or block chords under a tune.
void PianoArpeggio(Player& p) {
    p.midi.Program(0, kPiano);
    const int perBeat = p.piece.bpm < 100 ? 4 : 2;
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        p.Hit(0, p.Member(chord, 0, 36), at, 1.9, 85);
        p.Hit(0, p.Member(chord, 0, 36), at + 2, 1.9, 75);
        for (int i = 0; i < 4 * perBeat; ++i) {
            const int step = i % 8 < 4 ? i % 8 : 8 - i % 8;  // up and down
            p.Hit(0, p.Member(chord, step + 1, 55), at + static_cast<double>(i) / perBeat, 1.0 / perBeat, i % perBeat ? 55 : 72);
        }
    }
}

void PianoChords(Player& p) {
    p.midi.Program(0, kPiano);
    p.midi.Program(3, kPiano);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        p.Hit(0, p.Member(chord, 0, 36), at, 3.9, 80);
        for (int b = 0; b < 4; ++b) p.Block(0, chord, at + b, 0.9, b == 0 ? 70 : 58, 52);
    }
    p.Melody(3, {0, 1, 1.5, 2, 3}, 80);
}

// Stride: bass notes on one and three, chords on two and four.
void PianoStride(Player& p) {
    p.midi.Program(0, kPiano);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        for (int b = 0; b < 4; b += 2) {
            p.Hit(0, p.Member(chord, 0, 33) + (b ? 7 : 0), at + b, 0.8, 85);
            p.Block(0, chord, at + b + 1, 0.7, 70, 52);
        }
    }
    p.Melody(0, {0, 0.5, 1.5, 2, 2.5, 3.5}, 85);
}

void PianoWaltz(Player& p) {
    p.midi.Program(0, kPiano);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 3;
        p.Hit(0, p.Member(chord, 0, 36), at, 0.9, 85);
        p.Block(0, chord, at + 1, 0.8, 62, 52);
        p.Block(0, chord, at + 2, 0.8, 58, 52);
    }
    p.Melody(0, {0, 1, 2}, 80);
}

// A nocturne in 12/8: the left hand in triplet arpeggios, a tune on the beats.
void PianoNocturne(Player& p) {
    p.midi.Program(0, kPiano);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        for (int b = 0; b < 4; ++b)
            for (int e = 0; e < 3; ++e)
                p.Hit(0, p.Member(chord, e == 0 && b % 2 == 0 ? 0 : e + 1, 40), bar * 4 + b + e / 3.0, 0.3, e == 0 ? 72 : 55);
    }
    p.Melody(0, {0, 1, 2, 2 + 2 / 3.0, 3}, 82);
}

// Strings: driving repeated eighths, a cello on the beats, a violin tune.
void StringEighths(Player& p) {
    p.midi.Program(0, kStrings);
    p.midi.Program(1, kCello);
    p.midi.Program(3, kViolin);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        for (int e = 0; e < 8; ++e) p.Block(0, chord, at + e * 0.5, 0.4, e % 2 ? 60 : 80, 55);
        for (int b = 0; b < 4; ++b) p.Hit(1, p.Member(chord, b == 2 ? 1 : 0, 36), at + b, 0.85, 90);
    }
    p.Melody(3, {0, 2, 3}, 80);
}

// Pizzicato: a march of plucked basses on the beats and chords off them.
void Pizzicato(Player& p) {
    p.midi.Program(0, kPizzicato);
    p.midi.Program(1, kPizzicato);
    p.midi.Program(2, kStrings);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * p.piece.beatsPerBar;
        for (int b = 0; b < p.piece.beatsPerBar; ++b) {
            p.Hit(1, p.Member(chord, b % 2 ? 2 : 0, 36), at + b, 0.4, 100);
            if (p.piece.beatsPerBar == 3 && b > 0) p.Block(0, chord, at + b, 0.4, 75, 55);
            if (p.piece.beatsPerBar == 4) p.Block(0, chord, at + b + 0.5, 0.4, 75, 55);
        }
        if (bar % 4 == 0) p.Block(2, chord, at, p.piece.beatsPerBar * 4, 40, 60);
    }
}

// An acoustic guitar strummed down, down, up, up, down, up; or picked.
void GuitarStrum(Player& p) {
    p.midi.Program(0, p.piece.seed % 2 ? kSteelGuitar : kNylonGuitar);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 4;
        if (p.piece.seed % 2) {
            for (double s : {0.0, 1.0, 1.5, 2.5, 3.0, 3.5}) p.Strum(0, chord, at + s, s == std::floor(s) ? 90 : 70, s == std::floor(s));
        } else {
            const int picks[] = {0, 3, 2, 3, 1, 3, 2, 3};
            for (int e = 0; e < 8; ++e) p.Hit(0, p.Member(chord, picks[e], e % 4 == 0 ? 40 : 52), at + e * 0.5, 0.9, e % 2 ? 60 : 80);
        }
    }
}

// Harp and cello in three: the cello on one, harp chords on two and three.
void StringWaltz(Player& p) {
    p.midi.Program(0, kHarp);
    p.midi.Program(1, kCello);
    p.midi.Program(3, kViolin);
    for (int bar = 0; bar < p.bars; ++bar) {
        const Chord& chord = p.ChordOfBar(bar);
        const double at = bar * 3;
        p.Hit(1, p.Member(chord, 0, 36), at, 0.9, 95);
        p.Block(0, chord, at + 1, 0.8, 75, 55);
        p.Block(0, chord, at + 2, 0.8, 70, 55);
    }
    p.Melody(3, {0, 2}, 75);
}

struct Kind {
    const char* name;
    const char* tags;
    Style style;
    int count;
    double slowest, fastest;  // tempo of the beat
    int beatsPerBar;
    bool compound;
    double swingLow, swingHigh;  // 0.5 for straight
    int harmony;                 // 0 pop, 1 minor, 2 blues, 3 jazz
};

std::vector<Chord> Progression(int harmony, int variant) {
    switch (harmony) {
        case 1:
            return variant % 2 ? std::vector<Chord>{{0, kMinor}, {8, kMajor}, {3, kMajor}, {10, kMajor}}
                               : std::vector<Chord>{{0, kMinor}, {5, kMinor}, {10, kMajor}, {7, kMajor}};
        case 2:
            return {{0, kSeventh}, {0, kSeventh}, {0, kSeventh}, {0, kSeventh}, {5, kSeventh}, {5, kSeventh},
                    {0, kSeventh}, {0, kSeventh}, {7, kSeventh}, {5, kSeventh}, {0, kSeventh}, {7, kSeventh}};
        case 3:
            return {{2, kMinorSeventh}, {7, kSeventh}, {0, kMajorSeventh}, {9, kMinorSeventh}};
        default:
            switch (variant % 3) {
                case 0: return {{0, kMajor}, {9, kMinor}, {5, kMajor}, {7, kMajor}};
                case 1: return {{0, kMajor}, {7, kMajor}, {9, kMinor}, {5, kMajor}};
                default: return {{0, kMajor}, {5, kMajor}, {0, kMajor}, {7, kMajor}};
            }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const long firstSeed = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 1;
    if (argc < 2 || argc > 3 || firstSeed < 1 || firstSeed > 1000000) {
        std::fprintf(stderr, "usage: make_tempo_corpus DIR [FIRST_SEED]\n");
        return 2;
    }
    const std::string dir = argv[1];
    // Tempos of the beat; for the benchmark each is folded into 88-175.
    const std::vector<Kind> kinds = {
        {"rock", "straight,drums", Rock, 12, 92, 165, 4, false, 0.5, 0.5, 0},
        {"funk", "straight,drums", Funk, 5, 92, 116, 4, false, 0.5, 0.5, 1},
        {"tresillo", "straight,drums", Tresillo, 6, 90, 128, 4, false, 0.5, 0.5, 1},
        {"floor", "straight,drums,four-on-the-floor", Floor, 7, 116, 132, 4, false, 0.5, 0.5, 1},
        {"shuffle", "swing,drums", Shuffle, 8, 90, 140, 4, false, 0.64, 0.69, 2},
        {"chicago-shuffle", "swing,drums", ChicagoShuffle, 5, 92, 132, 4, false, 0.65, 0.68, 2},
        {"swing", "swing,drums", Swing, 8, 95, 168, 4, false, 0.6, 0.68, 3},
        {"big-band", "swing,drums", BigBand, 5, 96, 132, 4, false, 0.62, 0.67, 3},
        {"ballad-12-8", "swing,triplet,drums", SlowTwelveEight, 6, 50, 80, 4, true, 0.5, 0.5, 1},
        {"doo-wop-12-8", "swing,triplet,drums", DooWop, 5, 50, 72, 4, true, 0.5, 0.5, 0},
        {"six-eight", "swing,triplet,drums", SixEight, 4, 92, 132, 2, true, 0.5, 0.5, 0},
        {"triplet-hats", "swing,triplet,drums", TripletHats, 4, 92, 134, 4, false, 0.5, 0.5, 1},
        {"swung-16ths", "swing,drums", SwungSixteenths, 3, 84, 98, 4, false, 0.6, 0.66, 3},
        {"jazz-waltz", "swing,waltz,drums", Swing, 2, 120, 168, 3, false, 0.62, 0.67, 3},
        {"waltz", "waltz,drums", Waltz, 5, 126, 186, 3, false, 0.5, 0.5, 0},
        {"half-time", "half-time,drums", HalfTime, 5, 130, 170, 4, false, 0.5, 0.5, 1},
        {"half-time-shuffle", "half-time,swing,drums", HalfTime, 2, 92, 112, 4, false, 0.66, 0.68, 1},
        {"piano-arpeggio", "no-drums,straight", PianoArpeggio, 3, 72, 128, 4, false, 0.5, 0.5, 0},
        {"piano-chords", "no-drums,straight", PianoChords, 3, 92, 132, 4, false, 0.5, 0.5, 0},
        {"piano-stride", "no-drums,straight", PianoStride, 2, 94, 120, 4, false, 0.5, 0.5, 0},
        {"piano-waltz", "no-drums,waltz", PianoWaltz, 3, 120, 176, 3, false, 0.5, 0.5, 0},
        {"piano-nocturne", "no-drums,swing,triplet", PianoNocturne, 2, 52, 66, 4, true, 0.5, 0.5, 1},
        {"string-eighths", "no-drums,straight", StringEighths, 3, 96, 140, 4, false, 0.5, 0.5, 1},
        {"string-quartet", "no-drums,straight", StringQuartet, 3, 90, 126, 4, false, 0.5, 0.5, 1},
        {"pizzicato", "no-drums,straight", Pizzicato, 2, 100, 128, 4, false, 0.5, 0.5, 0},
        {"pizzicato-waltz", "no-drums,waltz", Pizzicato, 1, 140, 140, 3, false, 0.5, 0.5, 0},
        {"guitar", "no-drums,straight", GuitarStrum, 3, 90, 124, 4, false, 0.5, 0.5, 0},
        {"harp-waltz", "no-drums,waltz", StringWaltz, 2, 132, 168, 3, false, 0.5, 0.5, 0},
    };
    FILE* list = std::fopen((dir + "/tempo_corpus.tsv").c_str(), "w");
    if (!list) {
        std::fprintf(stderr, "cannot write %s/tempo_corpus.tsv\n", dir.c_str());
        return 1;
    }
    std::fprintf(list, "# file\tbpm\tbeats_per_bar\tclasses\n");
    auto seed = static_cast<uint32_t>(firstSeed);
    const double firstSpread = std::fmod(0.31 + 0.1379 * static_cast<double>(firstSeed - 1), 1.0);
    for (const Kind& kind : kinds) {
        for (int i = 0; i < kind.count; ++i, ++seed) {
            // Tempos spread over the kind's range by the golden ratio.
            const double spread = kind.count > 1 ? std::fmod(firstSpread + i * 0.6180339887, 1.0) : 0.5;
            const double wanted = kind.slowest + (kind.fastest - kind.slowest) * spread;
            const double quarter = wanted * (kind.compound ? 1.5 : 1.0);
            const auto micros = static_cast<uint32_t>(std::lround(60e6 / quarter));
            Piece piece{std::string(kind.name) + "-" + std::to_string(i + 1), kind.tags, kind.style,
                        60e6 / micros / (kind.compound ? 1.5 : 1.0), kind.beatsPerBar, kind.compound,
                        kind.swingLow + (kind.swingHigh - kind.swingLow) * spread, 3.0 + 9.0 * std::fmod(i * 0.37, 1.0), seed,
                        36.0 + 12.0 * std::fmod(i * 0.53, 1.0)};
            MidiFile midi(micros, kind.compound ? 3 * kind.beatsPerBar : kind.beatsPerBar, kind.compound ? 8 : 4);
            Player player(piece, midi);
            player.key = static_cast<int>((seed * 7) % 12);
            player.progression = Progression(kind.harmony, static_cast<int>(seed));
            player.barsPerChord = kind.harmony == 2 || kind.beatsPerBar < 4 ? 1 : (piece.bpm > 140 ? 2 : 1);
            player.bars = static_cast<int>(std::ceil(piece.seconds * piece.bpm / 60 / piece.beatsPerBar));
            piece.style(player);
            const std::string file = piece.name + ".mid";
            if (!midi.Write(dir + "/" + file)) {
                std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), file.c_str());
                return 1;
            }
            std::fprintf(list, "%s\t%.4f\t%d\t%s\n", file.c_str(), piece.bpm, piece.beatsPerBar, piece.tags.c_str());
        }
    }
    return std::fclose(list) == 0 ? 0 : 1;
}

#pragma once

#include <algorithm>
#include <cstdint>

namespace vantor {

// Walks output frames n, n + 1, ... of a source read at ratio r and names the
// source frame of each, trunc(n / r) exactly as the double division gives it,
// without a division per frame.
//
// r is exactly M x 2^-K with M below 2^53, so n / r = n x 2^K / M: its whole
// part and its remainder modulo M grow by fixed amounts from frame to frame,
// which keeps an exact position. Stretches of kSpan frames are stepped from
// it in 32.32 fixed point, one addition a frame, straying from the exact
// quotient by less than 2^-22. Where the fraction lies that close to a whole
// frame, and where the division's own rounding could lift the quotient to the
// next whole frame (a fraction within 2^-21 of 1), the division answers
// instead: rarely, except for ratios such as 41/40 whose quotients meet whole
// numbers at regular steps. For ratios near 1 the source frames come in long
// runs of consecutive frames, handed out a run at a time.
class CSourceFrameStepper {
public:
    static constexpr uint32_t kSpan = 1024;

    // False for a ratio that is not finite or lies outside [2^-20, 2^20];
    // such ratios are left to the division.
    bool SetRatio(double ratio);
    bool IsUsable() const { return m_usable; }
    // Places the walk at output frame n.
    void Seek(uint32_t outputFrame);

    uint32_t OutputFrame() const { return m_output; }
    // The source frame of the current output frame.
    uint32_t Frame() const {
        return m_rest >= m_nearRest || m_whole >= UINT32_MAX ? Divided(m_output) : static_cast<uint32_t>(m_whole);
    }
    void Advance() { Skip(1); }

    // Walks on while the source frames stay in [lowest, end), at most count
    // output frames, handing them out as runs: copy(i, frame, n) for output
    // frames i .. i + n - 1 from source frames frame .. frame + n - 1.
    // Returns how many were walked, and stands at the first output frame not
    // walked. Frames from 2^32 - 1 up are left to Frame.
    template <class Copy>
    uint32_t Walk(uint32_t count, uint64_t lowest, uint64_t end, Copy copy) {
        end = std::min<uint64_t>(end, UINT32_MAX);
        // Locals only in the loop: what copy stores cannot make the compiler
        // reload them.
        const uint64_t step = m_fixedStep;
        const int64_t delta = m_fixedDelta;
        const bool runs = m_runs;
        uint32_t done = 0;
        while (done < count) {
            const uint64_t first = Frame();
            if (first < lowest || first >= end) break;
            const uint32_t span = std::min(count - done, kSpan);
            const uint64_t base = m_whole;
            const uint32_t output = m_output;
            uint64_t at = FractionBits();
            uint32_t j = 0;
            if (runs) {
                while (j < span) {
                    const auto fraction = static_cast<uint32_t>(at);
                    uint64_t frame = base + (at >> 32);
                    uint32_t run = 1;
                    if (IsNear(fraction)) [[unlikely]] {
                        frame = Divided(output + j);
                    } else {
                        // The fraction moves by delta a frame: the source
                        // frames follow one another until it wraps (a frame
                        // skipped) or borrows (a frame repeated).
                        const uint64_t whole = delta > 0 ? ((uint64_t{1} << 32) - fraction + delta - 1) / delta
                                                         : fraction / static_cast<uint64_t>(-delta) + 1;
                        run = static_cast<uint32_t>(std::min<uint64_t>(whole, span - j));
                        // Only the last frame of a run can lie near a whole frame.
                        if (run > 1 && IsNear(static_cast<uint32_t>(fraction + static_cast<int64_t>(run - 1) * delta)))
                            --run;
                    }
                    if (frame >= end) break;
                    run = static_cast<uint32_t>(std::min<uint64_t>(run, end - frame));
                    copy(done + j, frame, run);
                    at += run * step;
                    j += run;
                }
            } else {
                for (; j < span; ++j) {
                    uint64_t frame = base + (at >> 32);
                    if (IsNear(static_cast<uint32_t>(at))) [[unlikely]]
                        frame = Divided(output + j);
                    if (frame >= end) break;
                    copy(done + j, frame, 1);
                    at += step;
                }
            }
            Skip(j);
            done += j;
            if (j < span) break;
        }
        return done;
    }

    // trunc(n / r) as the division gives it, held at 2^32 - 1.
    uint32_t Divided(uint32_t outputFrame) const;

private:
    // Fixed-point fractions this close to a whole frame are the division's.
    static constexpr uint32_t kGuard = 1u << 12;
    // Runs of consecutive source frames pay from about 16 frames on, that is
    // for ratios within about 1/16 of 1.
    static constexpr int64_t kMaxRunDelta = int64_t{1} << 28;

    static bool IsNear(uint32_t fraction) { return static_cast<uint32_t>(fraction + kGuard) < 2 * kGuard; }

    // The exact position moved on by frames (at most kSpan).
    void Skip(uint32_t frames);
    // The fraction of the current quotient, truncated to 32 bits.
    uint64_t FractionBits() const;

    double m_ratio = 1.0;
    bool m_usable = false;
    int m_shift = 0;          // K
    uint64_t m_modulus = 1;   // M
    uint64_t m_nearRest = 1;  // remainders from here up leave it to the division
    uint64_t m_stepWhole = 0; // 2^K = step whole x M + step rest
    uint64_t m_stepRest = 0;
    uint64_t m_fixedStep = 0; // 2^32 / r, rounded
    int64_t m_fixedDelta = 0; // the step less one whole frame
    // Walk in runs; for steps that move the fraction by at least two guards,
    // so that only the ends of a run can lie near a whole frame.
    bool m_runs = false;
    uint32_t m_output = 0;
    uint64_t m_whole = 0;  // floor(n x 2^K / M)
    uint64_t m_rest = 0;   // n x 2^K mod M
};

}  // namespace vantor

#pragma once

#include <algorithm>
#include <cstdint>

namespace vantor {

// Walks output frames n, n + 1, ... of a source read at ratio r and names the
// source frame of each, trunc(n / r) exactly as the double division gives it,
// with integer additions instead of a division per frame.
//
// r is exactly M x 2^-K with M below 2^53, so n / r = n x 2^K / M: its whole
// part and its remainder modulo M grow by fixed amounts from frame to frame.
// The division's rounding can lift the result to the next whole number only
// when the fraction lies within a hair of 1; for those rare frames the
// division itself answers.
class CSourceFrameStepper {
public:
    static constexpr int kGroup = 8;

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
    void Advance() {
        ++m_output;
        Add(m_stepWhole[1], m_stepRest[1]);
    }

    // Walks on while the source frames stay in [lowest, end), at most count
    // output frames, calling visit(i, frame) for the i-th of them; returns
    // how many were walked, and stands at the first output frame not walked.
    // The walk runs in locals, so that what visit stores cannot make the
    // compiler reload it.
    template <class Visit>
    uint32_t Walk(uint32_t count, uint64_t lowest, uint64_t end, Visit visit) {
        const uint64_t modulus = m_modulus, nearRest = m_nearRest;
        uint64_t stepWhole[kGroup + 1], stepRest[kGroup + 1];
        for (int j = 0; j <= kGroup; ++j) {
            stepWhole[j] = m_stepWhole[j];
            stepRest[j] = m_stepRest[j];
        }
        uint64_t whole = m_whole, rest = m_rest;
        // Frames from 2^32 - 1 up are the division's (held there).
        const uint64_t groupEnd = std::min<uint64_t>(end, UINT32_MAX);
        uint32_t done = 0;
        while (done < count) {
            if (count - done >= kGroup) {
                uint64_t frames[kGroup];
                bool near = false;
                for (int j = 0; j < kGroup; ++j) {
                    uint64_t r = rest + stepRest[j];
                    const bool carry = r >= modulus;
                    r -= carry ? modulus : 0;
                    frames[j] = whole + stepWhole[j] + carry;
                    near |= r >= nearRest;
                }
                // Frames only grow: the first and the last bound the group.
                if (!near && frames[0] >= lowest && frames[kGroup - 1] < groupEnd) {
                    for (int j = 0; j < kGroup; ++j) visit(done + j, frames[j]);
                    done += kGroup;
                    whole += stepWhole[kGroup];
                    rest += stepRest[kGroup];
                    if (rest >= modulus) {
                        rest -= modulus;
                        ++whole;
                    }
                    continue;
                }
            }
            const uint64_t frame = rest >= nearRest || whole >= UINT32_MAX ? Divided(m_output + done) : whole;
            if (frame < lowest || frame >= end) break;
            visit(done, frame);
            ++done;
            whole += stepWhole[1];
            rest += stepRest[1];
            if (rest >= modulus) {
                rest -= modulus;
                ++whole;
            }
        }
        m_output += done;
        m_whole = whole;
        m_rest = rest;
        return done;
    }

    // trunc(n / r) as the division gives it, held at 2^32 - 1.
    uint32_t Divided(uint32_t outputFrame) const;

private:
    void Add(uint64_t whole, uint64_t rest) {
        m_whole += whole;
        m_rest += rest;
        if (m_rest >= m_modulus) {
            m_rest -= m_modulus;
            ++m_whole;
        }
    }

    double m_ratio = 1.0;
    bool m_usable = false;
    int m_shift = 0;           // K
    uint64_t m_modulus = 1;    // M
    uint64_t m_nearRest = 1;   // remainders from here up leave it to the division
    // j x 2^K = whole x M + rest, for j = 0 .. kGroup.
    uint64_t m_stepWhole[kGroup + 1] = {};
    uint64_t m_stepRest[kGroup + 1] = {};
    uint32_t m_output = 0;
    uint64_t m_whole = 0;  // floor(n x 2^K / M)
    uint64_t m_rest = 0;   // n x 2^K mod M
};

}  // namespace vantor

#pragma once

// A Standard MIDI File of one track (format 0) at one steady tempo: notes,
// program changes and the meta events a renderer needs, written out sorted
// by time.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vantor::corpus {

class MidiFile {
public:
    static constexpr int kTicksPerQuarter = 480;

    // microsPerQuarter: the tempo event's value; numerator and denominator
    // (a power of two) are the time signature's.
    MidiFile(uint32_t microsPerQuarter, int numerator, int denominator)
        : m_microsPerQuarter(microsPerQuarter), m_numerator(numerator), m_denominator(denominator) {}

    void Program(int channel, int program) { AddEvent(0, 0, {static_cast<uint8_t>(0xC0 | (channel & 15)), Byte(program)}); }
    void Controller(int channel, int controller, int value) {
        AddEvent(0, 0, {static_cast<uint8_t>(0xB0 | (channel & 15)), Byte(controller), Byte(value)});
    }
    // A note from tick for length ticks; notes before tick 0 start at 0.
    void Note(int channel, int64_t tick, int64_t length, int key, int velocity) {
        tick = std::max<int64_t>(tick, 0);
        length = std::max<int64_t>(length, 1);
        const auto status = static_cast<uint8_t>(channel & 15);
        AddEvent(tick, 2, {static_cast<uint8_t>(0x90 | status), Byte(key), Byte(std::max(1, velocity))});
        // Offs sort before ons at the same tick, so a repeated key restarts.
        AddEvent(tick + length, 1, {static_cast<uint8_t>(0x80 | status), Byte(key), 0});
    }

    bool Write(const std::string& path) const {
        std::vector<Event> events = m_events;
        std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::vector<uint8_t> track;
        auto meta = [&](uint8_t type, std::vector<uint8_t> data) {
            track.push_back(0);
            track.push_back(0xFF);
            track.push_back(type);
            track.push_back(static_cast<uint8_t>(data.size()));
            track.insert(track.end(), data.begin(), data.end());
        };
        meta(0x51, {static_cast<uint8_t>(m_microsPerQuarter >> 16), static_cast<uint8_t>(m_microsPerQuarter >> 8),
                    static_cast<uint8_t>(m_microsPerQuarter)});
        int power = 0;
        while ((1 << power) < m_denominator) ++power;
        meta(0x58, {Byte(m_numerator), Byte(power), 24, 8});
        int64_t now = 0;
        for (const Event& e : events) {
            VariableLength(track, static_cast<uint32_t>(e.tick - now));
            now = e.tick;
            track.insert(track.end(), e.bytes.begin(), e.bytes.end());
        }
        track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});

        std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, kTicksPerQuarter >> 8, kTicksPerQuarter & 0xFF,
                                     'M', 'T', 'r', 'k'};
        const auto size = static_cast<uint32_t>(track.size());
        file.insert(file.end(), {static_cast<uint8_t>(size >> 24), static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 8),
                                 static_cast<uint8_t>(size)});
        file.insert(file.end(), track.begin(), track.end());
        FILE* out = std::fopen(path.c_str(), "wb");
        if (!out) return false;
        const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
        return std::fclose(out) == 0 && written;
    }

private:
    struct Event {
        int64_t tick;
        int order;  // at one tick: set-up, then note offs, then note ons
        std::vector<uint8_t> bytes;
    };

    static uint8_t Byte(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 127)); }

    void AddEvent(int64_t tick, int order, std::vector<uint8_t> bytes) { m_events.push_back({tick, order, std::move(bytes)}); }

    static void VariableLength(std::vector<uint8_t>& out, uint32_t value) {
        uint8_t groups[5];
        int n = 0;
        do {
            groups[n++] = static_cast<uint8_t>(value & 0x7F);
            value >>= 7;
        } while (value > 0);
        while (n > 1) out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
        out.push_back(groups[0]);
    }

    uint32_t m_microsPerQuarter;
    int m_numerator;
    int m_denominator;
    std::vector<Event> m_events;
};

}  // namespace vantor::corpus

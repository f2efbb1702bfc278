#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vantor::test {

inline void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void PutTag(std::vector<uint8_t>& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

inline int16_t Sample(const std::vector<uint8_t>& pcm, size_t index) {
    return static_cast<int16_t>(pcm[2 * index] | pcm[2 * index + 1] << 8);
}

// Stereo frames whose left sample is the frame index + 1 (mod 2^15) and
// whose right sample is its negative, so any misplaced frame shows its number
// and no frame before 32767 looks like silence.
inline std::vector<uint8_t> StaircasePcm(uint32_t frames) {
    std::vector<uint8_t> pcm;
    pcm.reserve(frames * 4);
    for (uint32_t i = 0; i < frames; ++i) {
        auto v = static_cast<int16_t>((i + 1) & 0x7FFF);
        Put16(pcm, static_cast<uint16_t>(v));
        Put16(pcm, static_cast<uint16_t>(static_cast<int16_t>(-v)));
    }
    return pcm;
}

// Stereo sine bursts: 0.2 s of tone, 0.1 s of silence, repeated; the two
// channels carry different pitches.
inline std::vector<uint8_t> SineBurstPcm(uint32_t frames, int channels = 2) {
    std::vector<uint8_t> pcm;
    for (uint32_t i = 0; i < frames; ++i) {
        bool on = (i % 13230) < 8820;
        double t = i / 44100.0;
        double l = on ? 12000 * std::sin(2 * M_PI * 440 * t) : 0;
        double r = on ? 9000 * std::sin(2 * M_PI * 660 * t) : 0;
        Put16(pcm, static_cast<uint16_t>(static_cast<int16_t>(l)));
        if (channels == 2) Put16(pcm, static_cast<uint16_t>(static_cast<int16_t>(r)));
    }
    return pcm;
}

struct FmtFields {
    uint16_t tag = 1, channels = 2;
    uint32_t rate = 44100;
    uint16_t blockAlign = 4, bits = 16;
    uint32_t fmtSize = 16;  // bytes written for the `fmt ` chunk (filled with zeros past 16)
};

// A RIFF/WAVE file laid out byte by byte: `fmt `, optional chunks before
// `data`, then `data` (its stated size may differ from the bytes present).
inline std::vector<uint8_t> WaveBytes(const std::vector<uint8_t>& pcm, const FmtFields& f = {},
                                      const std::vector<uint8_t>& chunksBeforeData = {},
                                      int64_t statedDataSize = -1) {
    std::vector<uint8_t> body;
    PutTag(body, "WAVE");
    PutTag(body, "fmt ");
    Put32(body, f.fmtSize);
    std::vector<uint8_t> fmt;
    Put16(fmt, f.tag);
    Put16(fmt, f.channels);
    Put32(fmt, f.rate);
    Put32(fmt, f.rate * f.blockAlign);
    Put16(fmt, f.blockAlign);
    Put16(fmt, f.bits);
    fmt.resize(f.fmtSize, 0);
    body.insert(body.end(), fmt.begin(), fmt.end());
    if (f.fmtSize & 1) body.push_back(0);
    body.insert(body.end(), chunksBeforeData.begin(), chunksBeforeData.end());
    PutTag(body, "data");
    Put32(body, statedDataSize >= 0 ? static_cast<uint32_t>(statedDataSize) : static_cast<uint32_t>(pcm.size()));
    body.insert(body.end(), pcm.begin(), pcm.end());
    std::vector<uint8_t> file;
    PutTag(file, "RIFF");
    Put32(file, static_cast<uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

// Encodes raw 16-bit PCM with the LAME encoder at a constant bit rate.
inline bool EncodeMp3(const TempDir& dir, const std::vector<uint8_t>& pcm, const std::string& mp3, int kbps,
                      int channels = 2, int rate = 44100, const std::string& extra = "--id3v1-only") {
    std::string raw = dir / "source.raw";
    WriteBytes(raw, pcm);
    char command[1024];
    std::snprintf(command, sizeof command,
                  "lame --quiet -r -s %.1f --bitwidth 16 --signed --little-endian -m %s --cbr -b %d %s '%s' '%s'",
                  rate / 1000.0, channels == 1 ? "m" : "j", kbps, extra.c_str(), raw.c_str(), mp3.c_str());
    return Run(command);
}

// What the mpg123 program decodes from the file, as raw stereo PCM.
inline std::vector<uint8_t> PeerDecode(const TempDir& dir, const std::string& mp3) {
    std::string raw = dir / "peer.raw";
    if (!Run("mpg123 -q --stereo -s '" + mp3 + "' > '" + raw + "' 2>/dev/null")) return {};
    return ReadBytes(raw);
}

}  // namespace vantor::test

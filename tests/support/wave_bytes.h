#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vantor::test {

// A file's bytes, empty when it cannot be read.
inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The 44-byte header of a 16-bit PCM wave file of frames at rate; the audio
// itself is left to the caller (written, or a hole in a sparse file).
inline std::string WaveHeader(uint16_t channels, uint32_t rate, uint32_t frames) {
    auto le = [](std::string& out, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out += static_cast<char>(v >> (8 * i));
    };
    const uint32_t dataBytes = frames * channels * 2;
    std::string header = "RIFF";
    le(header, 36 + dataBytes, 4);
    header += "WAVEfmt ";
    le(header, 16, 4);
    le(header, 1, 2);
    le(header, channels, 2);
    le(header, rate, 4);
    le(header, rate * channels * 2, 4);
    le(header, channels * 2, 2);
    le(header, 16, 2);
    header += "data";
    le(header, dataBytes, 4);
    return header;
}

}  // namespace vantor::test

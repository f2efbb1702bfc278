// The wave reader on arbitrary bytes: open, read through, seek about.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/resampled_wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/vantor-wave-fuzz-" + std::to_string(::getpid()) + ".wav";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    vantor::CResampledWaveFile file(path, 100);
    // A frame is as long as the file's block align says, up to 65535 bytes.
    // Short reads keep the run fast under coverage instrumentation.
    const uint32_t frames = std::max<uint32_t>(1, 4096u / file.GetBlockAlign());
    std::vector<uint8_t> buffer(static_cast<size_t>(frames) * file.GetBlockAlign());
    uint32_t length = file.GetLength();
    // Seek targets and a ratio taken from the input itself.
    uint32_t seed = size >= 4 ? data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24 : 7;
    file.SetRatio(0.5 + (seed % 300) / 100.0);
    for (int i = 0; i < 8; ++i) {
        seed = seed * 1664525 + 1013904223;
        file.Seek(length ? seed % (length + 10) : seed % 100);
        file.ReadFrames(buffer.data(), frames);
        file.ReadBytes(buffer.data(), 333);
    }
    vantor::CWaveFile plain(path, 100);
    const uint32_t plainFrames = static_cast<uint32_t>(buffer.size() / plain.GetBlockAlign());
    while (plain.GetFormat() && plain.ReadFrames(buffer.data(), plainFrames) == plainFrames) {
    }
    std::remove(path.c_str());
    return 0;
}

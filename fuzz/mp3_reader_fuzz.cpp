// The MP3 reader and converter on arbitrary bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/mp3_conversion.h"
#include "engine/mp3_file.h"
#include "engine/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string base = "/tmp/vantor-mp3-fuzz-" + std::to_string(::getpid());
    const std::string path = base + ".mp3", out = base + ".wav";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    vantor::CMP3File description(path);
    (void)description.GetDuration();
    (void)description.GetTagTitle();

    vantor::CWaveFile file(path, 100);
    std::vector<uint8_t> buffer(4096 * 4);
    uint32_t length = file.GetLength();
    uint32_t seed = static_cast<uint32_t>(size);
    for (int i = 0; i < 6; ++i) {
        seed = seed * 1664525 + 1013904223;
        file.Seek(length ? seed % (length + 10) : seed % 5000);
        file.ReadFrames(buffer.data(), 4096);
    }
    vantor::ConvertMp3ToWave(path, out);
    std::remove(out.c_str());
    std::remove(path.c_str());
    return 0;
}

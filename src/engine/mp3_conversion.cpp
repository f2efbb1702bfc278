#include "engine/mp3_conversion.h"

#include <cstdio>
#include <vector>

#include "engine/mp3_file.h"
#include "engine/mp3_stream_decoder.h"
#include "engine/wave_writer.h"
#include "platform/file_io.h"

namespace vantor {

namespace {

constexpr uint32_t kPassBytes = 65536;

}  // namespace

bool ConvertMp3ToWave(const std::string& mp3Path, const std::string& wavePath, const ConversionProgress& progress) {
    CMP3File mp3(mp3Path);
    Mp3StreamDecoder decoder;
    if (!mp3.IsValid() || !decoder.Open(mp3)) return false;
    std::string temporary = CreateTemporaryFileBeside(wavePath);
    if (temporary.empty()) return false;

    WaveWriter writer;
    bool ok = writer.Open(temporary, WaveFormat{});
    std::vector<uint8_t> pass(kPassBytes);
    int shown = -1;
    while (ok) {
        uint32_t got = decoder.Read(pass.data(), kPassBytes);
        if (got == 0) break;
        ok = writer.Write(pass.data(), got);
        if (progress && decoder.GetInputSize() > 0) {
            int percent = static_cast<int>(decoder.GetInputPosition() * 100 / decoder.GetInputSize());
            if (percent != shown) progress(shown = percent);
        }
    }
    ok = ok && !decoder.Failed() && writer.GetDataBytes() > 0;
    ok = writer.Finish(static_cast<uint32_t>(writer.GetDataBytes() / 4)) && ok;
    if (ok && std::rename(temporary.c_str(), wavePath.c_str()) == 0) {
        if (progress && shown != 100) progress(100);
        return true;
    }
    std::remove(temporary.c_str());
    return false;
}

bool RegisterSinkFilter() { return true; }

}  // namespace vantor

#include "engine/mp3_conversion.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "engine/mp3_file.h"
#include "engine/mp3_stream_decoder.h"
#include "engine/wave_writer.h"

namespace vantor {

namespace {

constexpr uint32_t kPassBytes = 65536;

// A name beside the destination, so that the final rename stays on one file
// system and is atomic.
std::string TemporaryBeside(const std::string& path) {
    auto slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string tmpl = dir + "/." + base + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return {};
    ::fchmod(fd, 0644);  // mkstemp makes it private; the result is an ordinary file
    ::close(fd);
    return name.data();
}

}  // namespace

bool ConvertMp3ToWave(const std::string& mp3Path, const std::string& wavePath, const ConversionProgress& progress) {
    CMP3File mp3(mp3Path);
    Mp3StreamDecoder decoder;
    if (!mp3.IsValid() || !decoder.Open(mp3)) return false;
    std::string temporary = TemporaryBeside(wavePath);
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

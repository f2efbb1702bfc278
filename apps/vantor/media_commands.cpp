// vantor convert|info: MP3-to-wave conversion and what the engine's reader
// sees in an audio file.
#include <cstdio>
#include <string>

#include "arguments.h"
#include "command_context.h"
#include "engine/mp3_conversion.h"
#include "engine/mp3_file.h"
#include "engine/wave_file.h"
#include "platform/json_writer.h"

namespace vantor::cli {

int RunConvertCommand(CommandContext& context) {
    Arguments args(context.words, {}, {});
    args.ExpectPositionals(2, 2);
    const std::string& mp3 = args.Positional(0, "IN.mp3");
    const std::string& wave = args.Positional(1, "OUT.wav");
    bool ok = ConvertMp3ToWave(mp3, wave, [&](int percent) { context.ui.ShowProgress("Converting", percent); });
    context.ui.EndProgress();
    if (!ok) throw CommandFailure("cannot convert " + mp3 + " (not a readable MPEG-1 layer III file at 44100 Hz)");
    CWaveFile result(wave, 100);
    std::printf("%s: %u frames\n", wave.c_str(), result.GetLength());
    return 0;
}

int RunInfoCommand(CommandContext& context) {
    Arguments args(context.words, {}, {"--json"});
    args.ExpectPositionals(1, 1);
    const std::string& path = args.Positional(0, "FILE");
    CWaveFile file(path, 100);
    const WaveFormat* format = file.GetFormat();
    if (!format) throw CommandFailure("cannot read " + path + " as a wave or MP3 file");
    const uint32_t frames = file.GetLength();
    const double seconds = format->samplesPerSec ? static_cast<double>(frames) / format->samplesPerSec : 0.0;
    const CMP3File* mp3 = file.GetMP3File();

    if (args.Flag("--json")) {
        JsonWriter json;
        json.BeginObject()
            .Field("file", path)
            .Field("formatTag", static_cast<uint32_t>(format->formatTag))
            .Field("channels", static_cast<uint32_t>(format->channels))
            .Field("sampleRate", format->samplesPerSec)
            .Field("bitsPerSample", static_cast<uint32_t>(format->bitsPerSample))
            .Field("blockAlign", static_cast<uint32_t>(format->blockAlign))
            .Field("frames", frames)
            .Field("seconds", seconds);
        if (mp3) {
            json.Key("mp3")
                .BeginObject()
                .Field("bitRate", mp3->GetBytesPerSecond() * 8)
                .Field("duration", mp3->GetDuration())
                .Field("channels", static_cast<uint32_t>(mp3->GetFormat().channels))
                .Field("title", mp3->GetTagTitle())
                .Field("artist", mp3->GetTagArtist())
                .EndObject();
        }
        json.EndObject();
        std::printf("%s\n", json.Text().c_str());
        return 0;
    }
    std::printf("file:     %s\n", path.c_str());
    std::printf("format:   tag %u, %u channels, %u Hz, %u bits, block align %u\n", format->formatTag,
                format->channels, format->samplesPerSec, format->bitsPerSample, format->blockAlign);
    std::printf("length:   %u frames, %.3f s\n", frames, seconds);
    if (mp3) {
        std::printf("bit rate: %u kbit/s\n", mp3->GetBytesPerSecond() * 8 / 1000);
        std::printf("duration: %.3f s\n", mp3->GetDuration());
        std::printf("mp3 channels: %u\n", mp3->GetFormat().channels);
        std::printf("title:    %s\n", mp3->GetTagTitle().c_str());
        std::printf("artist:   %s\n", mp3->GetTagArtist().c_str());
    }
    return 0;
}

}  // namespace vantor::cli

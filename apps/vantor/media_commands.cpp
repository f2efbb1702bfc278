// vantor convert|info: MP3-to-wave conversion and what the engine's reader
// sees in an audio file.
#include <cstdio>
#include <memory>
#include <string>

#include "command_context.h"
#include "engine/mp3_conversion.h"
#include "engine/mp3_file.h"
#include "engine/wave_file.h"
#include "json_output.h"
#include "platform/file_access.h"
#include "views/replace_question.h"

namespace vantor::cli {

namespace {

int Convert(CommandContext& context, const std::string& mp3, const std::string& wave) {
    if (const std::string problem = WriteProblem(wave); !problem.empty())
        throw CommandFailure("cannot write " + wave + ": " + problem);
    if (!ConfirmReplace(context.ui, wave)) throw CommandFailure("not replaced: " + wave);
    const bool ok =
        ConvertMp3ToWave(mp3, wave, [&](int percent) { context.ui.ShowProgress("Converting", percent); });
    context.ui.EndProgress();
    if (!ok) throw CommandFailure("cannot convert " + mp3 + " (not a readable MPEG-1 layer III file at 44100 Hz)");
    CWaveFile result(wave, 100);
    std::printf("%s: %u frames\n", wave.c_str(), result.GetLength());
    return 0;
}

int Info(const std::string& path, bool json) {
    CWaveFile file(path, 100);
    const WaveFormat* format = file.GetFormat();
    if (!format) throw CommandFailure("cannot read " + path + " as a wave or MP3 file");
    const uint32_t frames = file.GetLength();
    const double seconds = format->samplesPerSec ? static_cast<double>(frames) / format->samplesPerSec : 0.0;
    const CMP3File* mp3 = file.GetMP3File();
    if (json) {
        Json out = {{"file", path},
                    {"formatTag", format->formatTag},
                    {"channels", format->channels},
                    {"sampleRate", format->samplesPerSec},
                    {"bitsPerSample", format->bitsPerSample},
                    {"blockAlign", format->blockAlign},
                    {"frames", frames},
                    {"seconds", JsonReal(seconds)}};
        if (mp3) {
            out["mp3"] = {{"bitRate", mp3->GetBytesPerSecond() * 8},
                          {"duration", JsonReal(mp3->GetDuration())},
                          {"channels", mp3->GetFormat().channels},
                          {"title", mp3->GetTagTitle()},
                          {"artist", mp3->GetTagArtist()}};
        }
        PrintJson(out);
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

}  // namespace

void AddMediaCommands(CLI::App& app, CommandContext& context) {
    {
        auto* cmd = app.add_subcommand("convert", "Decode an MP3 file to a 16-bit stereo wave file");
        auto in = std::make_shared<std::string>();
        auto out = std::make_shared<std::string>();
        cmd->add_option("mp3", *in, "the MP3 file")->required();
        cmd->add_option("wave", *out, "the wave file to write")->required();
        OnRun(cmd, context, [&context, in, out] { return Convert(context, *in, *out); });
    }
    {
        auto* cmd = app.add_subcommand("info", "Show what the engine reads in a wave or MP3 file");
        auto path = std::make_shared<std::string>();
        auto json = std::make_shared<bool>(false);
        cmd->add_option("file", *path, "a wave or MP3 file")->required();
        cmd->add_flag("--json", *json, "print JSON");
        OnRun(cmd, context, [path, json] { return Info(*path, *json); });
    }
}

}  // namespace vantor::cli

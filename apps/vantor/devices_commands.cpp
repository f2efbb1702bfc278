// vantor devices: the audio outputs that the set and audition outputs can be
// set to, with the identifiers `config set set-output` takes.
#include <cstdio>
#include <string>

#include "arguments.h"
#include "command_context.h"
#include "workstation.h"
#include "platform/audio_device.h"
#include "platform/json_writer.h"

namespace vantor::cli {

int RunDevicesCommand(CommandContext& context) {
    Arguments args(context.words, {}, {"--json"});
    args.ExpectPositionals(0, 0);
    std::vector<AudioDeviceInfo> devices = EnumerateAudioDevices();
    if (args.Flag("--json")) {
        JsonWriter json;
        json.BeginArray();
        for (const auto& device : devices)
            json.BeginObject()
                .Field("id", DeviceIdHex(device.id))
                .Field("description", device.description)
                .Field("module", device.module)
                .EndObject();
        json.EndArray();
        std::printf("%s\n", json.Text().c_str());
        return 0;
    }
    for (const auto& device : devices) {
        std::printf("%s  %s", DeviceIdHex(device.id).c_str(), device.description.c_str());
        if (!device.module.empty()) std::printf("  (%s)", device.module.c_str());
        std::printf("\n");
    }
    return 0;
}

}  // namespace vantor::cli

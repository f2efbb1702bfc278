// vantor devices: the audio outputs that the set and audition outputs can be
// set to, with the identifiers `config set set-output` takes.
#include <cstdio>
#include <memory>
#include <string>

#include "command_context.h"
#include "json_output.h"
#include "platform/audio_device.h"

namespace vantor::cli {

namespace {

int ListDevices(bool json) {
    const std::vector<AudioDeviceInfo> devices = EnumerateAudioDevices();
    if (json) {
        Json list = Json::array();
        for (const auto& device : devices)
            list.push_back(
                {{"id", DeviceIdHex(device.id)}, {"description", device.description}, {"module", device.module}});
        PrintJson(list);
        return 0;
    }
    for (const auto& device : devices) {
        std::printf("%s  %s", DeviceIdHex(device.id).c_str(), device.description.c_str());
        if (!device.module.empty()) std::printf("  (%s)", device.module.c_str());
        std::printf("\n");
    }
    return 0;
}

}  // namespace

void AddDevicesCommands(CLI::App& app, CommandContext& context) {
    auto* cmd = app.add_subcommand("devices", "List the audio outputs with their identifiers");
    auto json = std::make_shared<bool>(false);
    cmd->add_flag("--json", *json, "print JSON");
    OnRun(cmd, context, [json] { return ListDevices(*json); });
}

}  // namespace vantor::cli

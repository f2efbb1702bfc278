#pragma once

#include <string>
#include <vector>

#include "platform/console_user_interface.h"
#include "config/configuration.h"

namespace vantor::cli {

// What every command gets: its own words (after the command group's name),
// the console user interface and the configuration of the program directory.
struct CommandContext {
    std::vector<std::string> words;
    ConsoleUserInterface& ui;
    CConfiguration& config;
};

// One command group ("set", "config", ...): its name, the line shown in the
// usage text, and its entry point, which returns the exit code.
struct CommandGroup {
    const char* name;
    const char* usage;
    int (*run)(CommandContext& context);
};

// The groups, one file each; main.cpp lists them.
int RunSetCommand(CommandContext& context);
int RunConfigCommand(CommandContext& context);
int RunDbCommand(CommandContext& context);
int RunPlaylistCommand(CommandContext& context);
int RunConvertCommand(CommandContext& context);
int RunInfoCommand(CommandContext& context);
int RunEffectsCommand(CommandContext& context);
int RunDevicesCommand(CommandContext& context);
int RunMixdownCommand(CommandContext& context);
int RunPlayCommand(CommandContext& context);
int RunSummaryCommand(CommandContext& context);
int RunAnalyzeCommand(CommandContext& context);
int RunCueCommand(CommandContext& context);
int RunDbUpdateCommand(CommandContext& context);

}  // namespace vantor::cli

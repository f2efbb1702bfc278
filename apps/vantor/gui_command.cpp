#include "command_context.h"
#include "platform/file_io.h"
#include "platform/program_launch.h"

namespace vantor::cli {

namespace {
constexpr const char* kWorkstation = "vantor-workstation";
}  // namespace

void AddGuiCommand(CLI::App& app, CommandContext& context) {
    auto* gui = app.add_subcommand("gui", "start the desktop workstation on the program directory");
    auto file = std::make_shared<std::string>();
    gui->add_option("file", *file, "a set or playlist file to open");
    OnRun(gui, context, [&context, file]() -> int {
        const std::string program = ProgramBesideExecutable(kWorkstation);
        if (program.empty() || !IsRegularFile(program))
            throw CommandFailure(std::string(kWorkstation) + " is not installed beside vantor");
        std::vector<std::string> arguments;
        if (!file->empty()) arguments.push_back(AbsolutePath(*file));
        throw CommandFailure(ReplaceProcess(program, arguments, context.config.GetProgramDirectory()));
    });
}

}  // namespace vantor::cli

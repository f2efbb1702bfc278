// vantor edit SET [--script FILE]: an editing run on one set, reading the
// set editor's commands from a script or standard input.
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "command_context.h"
#include "views/edit_script.h"

namespace vantor::cli {

namespace {

struct EditOptions {
    std::string set;
    std::string script;
};

int Edit(CommandContext& context, const EditOptions& options) {
    std::ifstream file;
    if (!options.script.empty()) {
        file.open(options.script);
        if (!file) throw CommandFailure("cannot read the script " + options.script);
    }
    EditScript script(&context.Database(), &context.Effects(), context.config, context.ui, std::cout, std::cerr);
    if (!script.Open(options.set)) return 1;
    // A terminal gets a prompt for each command.
    const bool prompt = options.script.empty() && isatty(STDIN_FILENO) != 0;
    const bool understood = options.script.empty() ? script.Run(std::cin, prompt) : script.Run(file);
    std::cout.flush();
    return understood ? 0 : 2;
}

}  // namespace

void AddEditCommand(CLI::App& app, CommandContext& context) {
    auto* cmd = app.add_subcommand("edit", "Edit a set with the set editor's commands, one per line");
    auto o = std::make_shared<EditOptions>();
    cmd->add_option("set", o->set, "the set file")->required();
    cmd->add_option("--script", o->script, "read the commands from this file (default: standard input)");
    cmd->footer(EditScript::Language());
    OnRun(cmd, context, [&context, o] { return Edit(context, *o); });
}

}  // namespace vantor::cli

// vantor: the workstation's command line. Every user-level operation is a
// subcommand; each parses its words, calls one library or view operation and
// prints what it did.
#include <cstdio>
#include <exception>
#include <string>

#include "command_context.h"

int main(int argc, char** argv) {
    using namespace vantor;
    using namespace vantor::cli;

    CLI::App app{"Vantor: a mix-design workstation for disc jockeys. Works on the program directory (the current "
                 "directory, or --home DIR), which holds Vantor.cfg, the music database and RECENT.lst.",
                 "vantor"};
    app.require_subcommand(1);
    app.fallthrough();
    std::string home;
    bool yes = false;
    bool no = false;
    app.add_option("--home", home, "program directory (configuration, database); default: the current directory");
    auto* yesFlag = app.add_flag("--yes", yes, "answer every question with yes");
    app.add_flag("--no", no, "answer every question with no")->excludes(yesFlag);

    CConfiguration config;
    ConsoleUserInterface ui;
    CommandContext context(ui, config);
    AddConfigCommands(app, context);
    AddDbCommands(app, context);
    AddCategoryCommands(app, context);
    AddPlaylistCommands(app, context);
    AddSetCommands(app, context);
    AddEditCommand(app, context);
    AddPresetsCommands(app, context);
    AddDesignCommands(app, context);
    AddPlaybackCommands(app, context);
    AddAnalysisCommands(app, context);
    AddMediaCommands(app, context);
    AddEffectsCommands(app, context);
    AddDevicesCommands(app, context);
    AddGuiCommand(app, context);
    AddServerCommands(app, context);
    AddMidiCommands(app, context);
    AddSampleCommands(app, context);
    AddMixerCommands(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    }

    const std::string name = app.get_subcommands().front()->get_name();
    ui.SetAnswerPolicy(yes  ? ConsoleUserInterface::AnswerPolicy::AlwaysYes
                       : no ? ConsoleUserInterface::AnswerPolicy::AlwaysNo
                            : ConsoleUserInterface::AnswerPolicy::Ask);
    try {
        if (!home.empty()) config.SetProgramDirectory(home);
        const std::string file = config.ProgramPath("Vantor.cfg");
        if (config.Load(file) == CConfiguration::FileState::Damaged)
            ui.MessageBox(file + " is damaged; the default settings are used.\nA copy of it is kept as " + file +
                              ".damaged before a setting is saved.",
                          "Configuration", MessageButtons::Ok, MessageIcon::Exclamation);
        return context.action ? context.action() : 2;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "vantor %s: %s\nRun with --help for more information.\n", name.c_str(), e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vantor %s: %s\n", name.c_str(), e.what());
        return 1;
    }
}

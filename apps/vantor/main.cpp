// vantor: the workstation's command line. Every user-level operation is a
// subcommand; all of them drive the same headless controllers.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "arguments.h"
#include "command_context.h"

namespace {

using vantor::cli::CommandGroup;

const CommandGroup kGroups[] = {
    {"set", "set new FILE [--tracks N] | set show FILE [--json] | set add SET --track N --at SEC KEY [--from SEC] [--to SEC] [--ratio R | --fit-tempo] | set effect SET --track N --at SEC EFFECT PARAMETER SEC:LEVEL SEC:LEVEL... | set track-effect SET --track N EFFECT PARAMETER VALUE", vantor::cli::RunSetCommand},
    {"config", "config show [--json] | config set NAME VALUE", vantor::cli::RunConfigCommand},
    {"db", "db add FILE... | db list [--sort title|artist|tempo] [--latest] [--category NAME] [--json] | db show KEY [--json] | db set KEY FIELD VALUE | db remove KEY | db compact | db update | db category add|remove|list|add-song|remove-song NAME [KEY]", vantor::cli::RunDbCommand},
    {"playlist", "playlist new FILE.plt | playlist add FILE.plt KEY [--before N] | playlist remove FILE.plt N | playlist move FILE.plt N up|down | playlist mark FILE.plt SET.set|--none | playlist show FILE.plt [--json]", vantor::cli::RunPlaylistCommand},
    {"convert", "convert IN.mp3 OUT.wav", vantor::cli::RunConvertCommand},
    {"info", "info FILE [--json]", vantor::cli::RunInfoCommand},
    {"effects", "effects list [--json]", vantor::cli::RunEffectsCommand},
    {"devices", "devices [--json]", vantor::cli::RunDevicesCommand},
    {"mixdown", "mixdown SET OUT.wav [--from SEC] [--to SEC] [--sections S1,S2,...]", vantor::cli::RunMixdownCommand},
    {"play", "play SET [--from SEC] [--loop A B] [--device ID|null|default]", vantor::cli::RunPlayCommand},
    {"summary", "summary FILE|KEY", vantor::cli::RunSummaryCommand},
    {"analyze", "analyze KEY|FILE [--from SEC] [--apply] [--json]", vantor::cli::RunAnalyzeCommand},
    {"cue", "cue list KEY [--json] | cue add KEY TYPE SEC [--label TEXT] [--tempo BPM] | cue remove KEY INDEX...", vantor::cli::RunCueCommand},
};

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage: vantor [--home DIR] [--yes|--no] <command> [options]\n\n"
                 "  --home DIR   program directory (configuration, database); default: current directory\n"
                 "  --yes, --no  answer every question with yes or no\n\ncommands:\n");
    for (const auto& group : kGroups) std::fprintf(out, "  vantor %s\n", group.usage);
    std::fprintf(out, "\nvantor <command> --help shows the command's usage.\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    std::string home;
    auto policy = vantor::ConsoleUserInterface::AnswerPolicy::Ask;
    size_t i = 0;
    for (; i < words.size(); ++i) {
        if (words[i] == "--home" && i + 1 < words.size()) {
            home = words[++i];
        } else if (words[i].rfind("--home=", 0) == 0) {
            home = words[i].substr(7);
        } else if (words[i] == "--yes") {
            policy = vantor::ConsoleUserInterface::AnswerPolicy::AlwaysYes;
        } else if (words[i] == "--no") {
            policy = vantor::ConsoleUserInterface::AnswerPolicy::AlwaysNo;
        } else if (words[i] == "--help" || words[i] == "-h") {
            PrintUsage(stdout);
            return 0;
        } else {
            break;
        }
    }
    if (i >= words.size()) {
        PrintUsage(stderr);
        return 2;
    }
    const std::string& name = words[i];
    const CommandGroup* group = nullptr;
    for (const auto& g : kGroups)
        if (name == g.name) group = &g;
    if (!group) {
        std::fprintf(stderr, "vantor: unknown command \"%s\"\n", name.c_str());
        PrintUsage(stderr);
        return 2;
    }
    std::vector<std::string> rest(words.begin() + static_cast<long>(i) + 1, words.end());
    if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h" || rest.back() == "--help")) {
        std::printf("usage: vantor %s\n", group->usage);
        return 0;
    }

    vantor::ConsoleUserInterface ui(policy);
    vantor::CConfiguration& config = vantor::CConfiguration::Instance();
    try {
        config.SetDefaults();
        if (!home.empty()) config.SetProgramDirectory(home);
        config.Load(config.ProgramPath("Vantor.cfg"));
        vantor::cli::CommandContext context{rest, ui, config};
        return group->run(context);
    } catch (const vantor::cli::UsageError& e) {
        std::fprintf(stderr, "vantor %s: %s\nusage: vantor %s\n", name.c_str(), e.what(), group->usage);
        return 2;
    } catch (const vantor::cli::CommandFailure& e) {
        std::fprintf(stderr, "vantor %s: %s\n", name.c_str(), e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vantor %s: %s\n", name.c_str(), e.what());
        return 1;
    }
}

// vantor samples list|load|trigger|save|open: the nine sample slots. While
// the Sound Server runs its bank is the one that plays and these commands
// act on it; otherwise they act on the default presets of the program
// directory, which every program loads at start.
#include <cstdio>
#include <memory>
#include <string>

#include "command_context.h"
#include "json_output.h"
#include "control/sample_bank.h"
#include "server/server_link.h"
#include "views/sample_database_view.h"

namespace vantor::cli {

namespace {

constexpr const char* kNoServer =
    "No Sound Server is running; samples are triggered while a set plays there (vantor play SET --server).";

// Slots are numbered 1 to 9 on the command line; 9 is the preview slot.
int32_t SlotIndex(int number) { return number - 1; }

std::string DefaultPresets(CommandContext& context) {
    return context.config.ProgramPath(CSampleDatabaseView::kDefaultPresets);
}

// The bank the default presets fill.
std::unique_ptr<CSampleBank> DefaultBank(CommandContext& context) {
    auto bank = std::make_unique<CSampleBank>(context.config.GetSetOutputDevice());
    bank->LoadPresets(DefaultPresets(context));
    return bank;
}

int List(CommandContext& context, bool json) {
    CServerLink link;
    const bool server = link.EnsureOpen();
    std::unique_ptr<CSampleBank> bank = server ? nullptr : DefaultBank(context);
    Json list = Json::array();
    for (int32_t slot = 0; slot < CSampleBank::kSlotCount; ++slot) {
        const std::string name = server ? link.GetSampleName(slot) : bank->GetSlotName(slot);
        const std::string file = server ? std::string() : bank->GetSlotFileName(slot);
        if (json) {
            Json entry = {{"slot", slot + 1}, {"name", name}};
            if (!server) entry["file"] = file;
            list.push_back(entry);
        } else {
            std::printf("%d  %s", slot + 1, name.empty() ? "-" : name.c_str());
            if (!file.empty()) std::printf("  (%s)", file.c_str());
            std::printf("\n");
        }
    }
    if (json) PrintJson(list);
    else std::printf("%s\n", server ? "(the Sound Server's bank)" : ("(" + DefaultPresets(context) + ")").c_str());
    return 0;
}

int Load(CommandContext& context, int number, const std::string& name, const std::string& wave) {
    const std::string path = AbsolutePath(wave);
    if (name.size() >= CSampleBank::kTextBytes || path.size() >= CSampleBank::kTextBytes)
        throw UsageError("names and paths of samples hold at most 254 characters");
    CServerLink link;
    if (link.EnsureOpen()) {
        if (!link.LoadSample(SlotIndex(number), name, path)) throw CommandFailure("Unable to contact Sound Server.");
        // The server loads it as it comes; its name is there once it loaded.
        if (link.GetSampleName(SlotIndex(number)) != name)
            throw CommandFailure("the Sound Server could not load " + path);
        std::printf("slot %d: %s on the Sound Server\n", number, name.c_str());
        return 0;
    }
    auto bank = DefaultBank(context);
    if (!bank->LoadSlot(SlotIndex(number), name, path)) throw CommandFailure("cannot load the wave file " + path);
    if (!bank->SavePresets(DefaultPresets(context))) throw CommandFailure("cannot write " + DefaultPresets(context));
    std::printf("slot %d: %s in %s\n", number, name.c_str(), DefaultPresets(context).c_str());
    return 0;
}

int Trigger(CommandContext& context, int number) {
    CServerLink link;
    if (!link.EnsureOpen()) return context.Refused({kNoServer, "Trigger Sample", MessageIcon::Error});
    if (!link.TriggerSample(SlotIndex(number))) throw CommandFailure("Unable to contact Sound Server.");
    std::printf("triggered slot %d\n", number);
    return 0;
}

int Save(CommandContext& context, const std::string& file) {
    const std::string path = CSampleDatabaseView::WithPresetExtension(AbsolutePath(file));
    if (path.size() >= CSampleBank::kTextBytes) throw UsageError("the path holds at most 254 characters");
    CServerLink link;
    if (link.EnsureOpen()) {
        if (!link.SavePresets(path)) throw CommandFailure("Unable to contact Sound Server.");
        link.GetSampleCount();  // answered once the file is written
    } else if (!DefaultBank(context)->SavePresets(path)) {
        throw CommandFailure("cannot write " + path);
    }
    std::printf("saved %s\n", path.c_str());
    return 0;
}

int Open(CommandContext& context, const std::string& file) {
    const std::string path = AbsolutePath(file);
    if (path.size() >= CSampleBank::kTextBytes) throw UsageError("the path holds at most 254 characters");
    CServerLink link;
    if (link.EnsureOpen()) {
        if (!link.LoadPresets(path)) throw CommandFailure("Unable to contact Sound Server.");
        std::printf("opened %s on the Sound Server\n", path.c_str());
        return 0;
    }
    auto bank = DefaultBank(context);
    if (!bank->LoadPresets(path)) throw CommandFailure("cannot read " + path);
    if (!bank->SavePresets(DefaultPresets(context))) throw CommandFailure("cannot write " + DefaultPresets(context));
    std::printf("opened %s into %s\n", path.c_str(), DefaultPresets(context).c_str());
    return 0;
}

}  // namespace

void AddSampleCommands(CLI::App& app, CommandContext& context) {
    auto* samples = app.add_subcommand(
        "samples", "The nine sample slots: the Sound Server's while it runs, else the default presets");
    samples->require_subcommand(1);
    {
        auto* cmd = samples->add_subcommand("list", "The slots' names (1 to 8 trigger, 9 previews)");
        auto json = std::make_shared<bool>(false);
        cmd->add_flag("--json", *json, "print JSON");
        OnRun(cmd, context, [&context, json] { return List(context, *json); });
    }
    {
        auto* cmd = samples->add_subcommand("load", "Put a wave file in a slot under a name");
        auto slot = std::make_shared<int>(0);
        auto name = std::make_shared<std::string>();
        auto wave = std::make_shared<std::string>();
        cmd->add_option("slot", *slot, "slot 1 to 9")->required()->check(CLI::Range(1, 9));
        cmd->add_option("name", *name, "the name the slot shows")->required();
        cmd->add_option("wave", *wave, "the wave file")->required();
        OnRun(cmd, context, [&context, slot, name, wave] { return Load(context, *slot, *name, *wave); });
    }
    {
        auto* cmd = samples->add_subcommand("trigger", "Play a slot on the Sound Server");
        auto slot = std::make_shared<int>(0);
        cmd->add_option("slot", *slot, "slot 1 to 9")->required()->check(CLI::Range(1, 9));
        OnRun(cmd, context, [&context, slot] { return Trigger(context, *slot); });
    }
    {
        auto* cmd = samples->add_subcommand("save", "Write the slots to a sound preset file (.sp is appended)");
        auto file = std::make_shared<std::string>();
        cmd->add_option("file", *file, "the preset file")->required();
        OnRun(cmd, context, [&context, file] { return Save(context, *file); });
    }
    {
        auto* cmd = samples->add_subcommand("open", "Fill the slots from a sound preset file");
        auto file = std::make_shared<std::string>();
        cmd->add_option("file", *file, "the preset file")->required()->check(CLI::ExistingFile);
        OnRun(cmd, context, [&context, file] { return Open(context, *file); });
    }
}

}  // namespace vantor::cli

// vantor effects list: every effect type the libraries of the configured
// effects directory register, with its parameters and their defaults.
#include <cstdio>
#include <memory>
#include <string>

#include "command_context.h"
#include "json_output.h"

namespace vantor::cli {

namespace {

int ListEffects(CommandContext& context, bool json) {
    CEffectManagerImpl& manager = context.Effects();
    Json list = Json::array();
    for (int i = 0; i < manager.GetEffectCount(); ++i) {
        const char* name = manager.GetEffectNameAt(i);
        IEffect* effect = manager.FindEffect(name);
        if (!effect) continue;
        if (!json) std::printf("%s\n", name);
        Json parameters = Json::array();
        for (int p = 0; p < effect->GetParameterCount(); ++p) {
            const char* parameter = effect->GetParameterName(p);
            if (!parameter) break;
            const double value = effect->GetDefaultValue(parameter);
            char text[kEffectTextCapacity] = "";
            const std::string shown = effect->FormatValue(parameter, value, text);
            const bool fixed = effect->IsEnvelopeFixed(parameter);
            if (json) {
                parameters.push_back(
                    {{"name", parameter}, {"default", JsonReal(value)}, {"text", shown}, {"envelopeFixed", fixed}});
            } else {
                std::printf("  %-18s default %-10g \"%s\"%s\n", parameter, value, shown.c_str(),
                            fixed ? "  (fixed envelope)" : "");
            }
        }
        if (json) list.push_back({{"name", name}, {"parameters", parameters}});
    }
    if (json) PrintJson(list);
    return 0;
}

}  // namespace

void AddEffectsCommands(CLI::App& app, CommandContext& context) {
    CLI::App* group = app.add_subcommand("effects", "Effect types of the configured effects libraries");
    group->require_subcommand(1);
    auto* cmd = group->add_subcommand("list", "List every effect type with its parameters and defaults");
    auto json = std::make_shared<bool>(false);
    cmd->add_flag("--json", *json, "print JSON");
    OnRun(cmd, context, [&context, json] { return ListEffects(context, *json); });
}

}  // namespace vantor::cli

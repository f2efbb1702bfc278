// vantor effects list: every effect type the libraries of the configured
// effects directory register, with its parameters and their defaults.
#include <cstdio>
#include <string>

#include "arguments.h"
#include "command_context.h"
#include "engine/effect_manager_impl.h"
#include "platform/json_writer.h"
#include "workstation.h"

namespace vantor::cli {

namespace {

std::string DefaultText(IEffect* effect, const char* parameter, double value) {
    char text[kEffectTextCapacity] = "";
    return effect->FormatValue(parameter, value, text);
}

int ListEffects(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(0, 0);
    CEffectManagerImpl manager;
    manager.LoadEffectLibraries(EffectsDirectory(context.config));
    const bool json = args.Flag("--json");
    JsonWriter writer;
    writer.BeginArray();
    for (int i = 0; i < manager.GetEffectCount(); ++i) {
        const char* name = manager.GetEffectNameAt(i);
        IEffect* effect = manager.FindEffect(name);
        if (!effect) continue;
        if (json) {
            writer.BeginObject().Field("name", name).Key("parameters").BeginArray();
        } else {
            std::printf("%s\n", name);
        }
        for (int p = 0; p < effect->GetParameterCount(); ++p) {
            const char* parameter = effect->GetParameterName(p);
            if (!parameter) break;
            double value = effect->GetDefaultValue(parameter);
            std::string text = DefaultText(effect, parameter, value);
            bool fixed = effect->IsEnvelopeFixed(parameter);
            if (json) {
                writer.BeginObject()
                    .Field("name", parameter)
                    .Field("default", value)
                    .Field("text", text)
                    .Field("envelopeFixed", fixed)
                    .EndObject();
            } else {
                std::printf("  %-18s default %-10g \"%s\"%s\n", parameter, value, text.c_str(),
                            fixed ? "  (fixed envelope)" : "");
            }
        }
        if (json) writer.EndArray().EndObject();
    }
    writer.EndArray();
    if (json) std::printf("%s\n", writer.Text().c_str());
    return 0;
}

}  // namespace

int RunEffectsCommand(CommandContext& context) {
    if (context.words.empty()) throw UsageError("missing effects command");
    const std::string verb = context.words[0];
    std::vector<std::string> rest(context.words.begin() + 1, context.words.end());
    if (verb == "list") return ListEffects(context, Arguments(rest, {}, {"--json"}));
    throw UsageError("unknown effects command \"" + verb + "\"");
}

}  // namespace vantor::cli

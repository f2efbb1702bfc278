// vantor presets list|show|add|remove: the waveforms and profile presets of
// "EFFECTS.PST" in the program directory, managed outside an editing run
// through the effects dialog's own steps, questions and messages.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_context.h"
#include "json_output.h"
#include "model/builtin_presets.h"
#include "views/apply_effects_dialog.h"

namespace vantor::cli {

namespace {

struct PresetsOptions {
    std::string name;
    std::vector<std::string> profiles;
    bool waveform = false;
    bool fades = false;
    bool json = false;
};

std::string Level(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

Json CurveJson(const CEffectProfile& profile) {
    Json pieces = Json::array();
    for (auto* n = profile.GetCurve().GetHead(); n; n = n->GetNext()) {
        const CEffect& piece = *n->GetItem();
        pieces.push_back({{"start", piece.GetStart()},
                          {"end", piece.GetEnd()},
                          {"from", JsonReal(piece.GetStartLevel())},
                          {"to", JsonReal(piece.GetEndLevel())},
                          {"fromText", Level(piece.GetStartLevel())},
                          {"toText", Level(piece.GetEndLevel())}});
    }
    return {{"effect", profile.GetEffectName()}, {"parameter", profile.GetParameterName()}, {"pieces", pieces}};
}

void PrintCurve(const CEffectProfile& profile, bool fractions) {
    std::printf("  %s / %s\n", profile.GetEffectName(), profile.GetParameterName());
    for (auto* n = profile.GetCurve().GetHead(); n; n = n->GetNext()) {
        const CEffect& piece = *n->GetItem();
        std::printf("    %5d-%-5d %s to %s%s\n", piece.GetStart(), piece.GetEnd(), Level(piece.GetStartLevel()).c_str(),
                    Level(piece.GetEndLevel()).c_str(), fractions ? " (of the control)" : "");
    }
}

int ListPresets(CommandContext& context, bool json) {
    CApplyEffectsDialog dialog(context.ui, &context.Effects(), context.config);
    dialog.OpenPresets();
    const std::vector<std::string> waveforms = dialog.GetWaveformNames();
    const std::vector<std::string> profiles = dialog.GetProfileNames();
    if (json) {
        Json list = {{"file", dialog.GetPresetsPath()}, {"waveforms", Json::array()}, {"profiles", Json::array()}};
        for (const std::string& name : waveforms)
            list["waveforms"].push_back({{"name", name}, {"builtIn", BuiltInPresets::IsWaveformName(name)}});
        for (size_t i = 1; i < profiles.size(); ++i) {
            dialog.ChooseProfile(static_cast<int>(i));
            list["profiles"].push_back({{"name", profiles[i]}, {"effects", dialog.GetEffectLabels()}});
        }
        PrintJson(list);
        return 0;
    }
    std::printf("Waveforms:\n");
    for (const std::string& name : waveforms)
        std::printf("  %s%s\n", name.c_str(), BuiltInPresets::IsWaveformName(name) ? " (built in)" : "");
    std::printf("Profiles:\n");
    for (size_t i = 1; i < profiles.size(); ++i) {
        dialog.ChooseProfile(static_cast<int>(i));
        std::string effects;
        for (const std::string& label : dialog.GetEffectLabels()) effects += (effects.empty() ? "" : ", ") + label;
        std::printf("  %s: %s\n", profiles[i].c_str(), effects.empty() ? "no effects" : effects.c_str());
    }
    return 0;
}

int ShowPreset(CommandContext& context, const PresetsOptions& o) {
    CApplyEffectsDialog dialog(context.ui, &context.Effects(), context.config);
    dialog.OpenPresets();
    if (o.waveform) {
        auto shapes = BuiltInPresets::Waveforms();
        EffectPresets stored = ReadEffectPresets(dialog.GetPresetsPath());
        for (int32_t i = 0; i < stored.waveforms->GetCount(); ++i) shapes.emplace_back(stored.waveforms->GetAt(i));
        for (const auto& shape : shapes) {
            if (o.name != shape->GetName()) continue;
            if (o.json) {
                PrintJson({{"waveform", o.name}, {"curve", CurveJson(shape->GetProfile())}});
            } else {
                std::printf("%s\n", o.name.c_str());
                PrintCurve(shape->GetProfile(), true);
            }
            return 0;
        }
        throw CommandFailure("there is no waveform \"" + o.name + "\" in " + dialog.GetPresetsPath());
    }
    if (o.name == CApplyEffectsDialog::kNoProfile || !dialog.ChooseProfile(o.name))
        throw CommandFailure("there is no profile preset \"" + o.name + "\" in " + dialog.GetPresetsPath());
    const size_t count = dialog.GetEffectLabels().size();
    Json effects = Json::array();
    if (!o.json) std::printf("%s\n", o.name.c_str());
    for (size_t i = 0; i < count; ++i) {
        dialog.ChooseEffect(static_cast<int>(i));
        const CEffectProfile& curve = *dialog.GetSelectedCurve();
        if (o.json) effects.push_back(CurveJson(curve));
        else PrintCurve(curve, false);
    }
    if (o.json) PrintJson({{"profile", o.name}, {"effects", effects}});
    return 0;
}

// "EFFECT/PARAMETER=S:V,S:V,...": one effect of the preset with its curve.
void AddCurve(CApplyEffectsDialog& dialog, const std::string& curve) {
    const auto equals = curve.find('=');
    const std::string pair = curve.substr(0, equals);
    const auto slash = pair.find('/');
    if (equals == std::string::npos || slash == std::string::npos)
        throw UsageError("an effect is EFFECT/PARAMETER=S:V,S:V,..., not \"" + curve + "\"");
    std::vector<CurvePoint> points;
    const std::string list = curve.substr(equals + 1);
    size_t from = 0;
    while (from <= list.size()) {
        const size_t comma = std::min(list.find(',', from), list.size());
        const std::string point = list.substr(from, comma - from);
        const auto colon = point.find(':');
        char* end = nullptr;
        const long at = colon == std::string::npos ? -1 : std::strtol(point.c_str(), &end, 10);
        if (colon == std::string::npos || end != point.c_str() + colon)
            throw UsageError("a curve point is S:V, not \"" + point + "\"");
        const std::string level = point.substr(colon + 1);
        char* levelEnd = nullptr;
        const double value = std::strtod(level.c_str(), &levelEnd);
        if (level.empty() || *levelEnd != '\0' || std::isnan(value) || (std::isinf(value) && value > 0))
            throw UsageError("a curve value is a number or -inf, not \"" + level + "\"");
        points.push_back({static_cast<int32_t>(std::clamp<long>(at, -1, 100000)), value});
        from = comma + 1;
    }
    if (!dialog.AddEffect(pair.substr(0, slash), pair.substr(slash + 1)))
        throw CommandFailure("no registered effect has the parameter " + pair + " (see vantor effects list)");
    if (Status set = dialog.SetPoints(points); !set) throw CommandFailure(set.Error().text);
}

// The delivered fades, added where the file has no preset of their name;
// presets the user made under those names are kept.
int AddFades(CommandContext& context) {
    const std::string path = CApplyEffectsDialog::PresetsPath(context.config);
    EffectPresets presets = ReadEffectPresets(path);
    if (!presets.clean)
        context.ui.MessageBox("The effect presets file " + path + " is damaged. What could be read is kept; the file is "
                                  "kept as " + path + kDamagedPresetsSuffix + " before it is written again.",
                              "Apply Effects", MessageButtons::Ok, MessageIcon::Exclamation);
    int added = 0;
    for (const auto& fade : BuiltInPresets::ReservedFades()) {
        if (presets.FindProfile(fade->GetName())) {
            std::printf("Kept profile preset %s\n", fade->GetName());
            continue;
        }
        presets.profiles->Add(fade.get());
        std::printf("Added profile preset %s\n", fade->GetName());
        ++added;
    }
    if (added > 0 && !WriteEffectPresets(presets, path)) throw CommandFailure("cannot write " + path);
    return 0;
}

int AddPreset(CommandContext& context, const PresetsOptions& o) {
    if (o.fades) {
        if (!o.name.empty() || !o.profiles.empty() || o.waveform)
            throw UsageError("--fades installs the mixing wizard's four fades and takes nothing else");
        return AddFades(context);
    }
    if (o.name.empty() || o.profiles.empty())
        throw UsageError("presets add NAME EFFECT/PARAMETER=S:V,S:V,... (or --fades)");
    if (o.waveform && o.profiles.size() != 1) throw UsageError("a waveform is the curve of one effect parameter");
    CApplyEffectsDialog dialog(context.ui, &context.Effects(), context.config);
    dialog.OpenPresets();
    for (const std::string& curve : o.profiles) AddCurve(dialog, curve);
    if (o.waveform) {
        dialog.SetWaveformText(o.name);
        if (!dialog.AddWaveform()) return 1;
        std::printf("Added waveform %s\n", o.name.c_str());
    } else {
        dialog.SetProfileText(o.name);
        if (!dialog.AddProfile()) return 1;
        std::printf("Added profile preset %s\n", o.name.c_str());
    }
    return 0;
}

int RemovePreset(CommandContext& context, const PresetsOptions& o) {
    CApplyEffectsDialog dialog(context.ui, &context.Effects(), context.config);
    dialog.OpenPresets();
    if (o.waveform) {
        if (BuiltInPresets::IsWaveformName(o.name))
            throw CommandFailure("\"" + o.name + "\" is built in; it is not stored and cannot be removed");
        if (!dialog.ChooseWaveform(o.name))
            throw CommandFailure("there is no waveform \"" + o.name + "\" in " + dialog.GetPresetsPath());
        if (!dialog.RemoveWaveform()) return 1;
        std::printf("Removed waveform %s\n", o.name.c_str());
        return 0;
    }
    if (o.name == CApplyEffectsDialog::kNoProfile || !dialog.ChooseProfile(o.name))
        throw CommandFailure("there is no profile preset \"" + o.name + "\" in " + dialog.GetPresetsPath());
    if (!dialog.RemoveProfile()) return 1;
    std::printf("Removed profile preset %s\n", o.name.c_str());
    return 0;
}

}  // namespace

void AddPresetsCommands(CLI::App& app, CommandContext& context) {
    CLI::App* group = app.add_subcommand("presets", "Waveforms and profile presets of EFFECTS.PST");
    group->require_subcommand(1);

    auto* list = group->add_subcommand("list", "List the waveforms (built-in ones first) and the profile presets");
    auto listJson = std::make_shared<bool>(false);
    list->add_flag("--json", *listJson, "print JSON");
    OnRun(list, context, [&context, listJson] { return ListPresets(context, *listJson); });

    auto* show = group->add_subcommand("show", "Show the curves of a profile preset or a waveform");
    auto s = std::make_shared<PresetsOptions>();
    show->add_option("name", s->name, "the preset's name")->required();
    show->add_flag("--waveform", s->waveform, "show a waveform (levels as fractions of the control)");
    show->add_flag("--json", s->json, "print JSON");
    OnRun(show, context, [&context, s] { return ShowPreset(context, *s); });

    auto* add = group->add_subcommand(
        "add", "Add or replace a profile preset (or with --waveform a waveform); --fades installs the four fades of "
               "the mixing wizard");
    auto a = std::make_shared<PresetsOptions>();
    add->add_option("name", a->name, "the preset's name");
    add->add_option("effects", a->profiles,
                    "EFFECT/PARAMETER=S:V,S:V,...: curve points S on 0..9999 with the parameter's values V (-inf "
                    "allowed where the parameter reaches it)");
    add->add_flag("--waveform", a->waveform, "store the curve as a waveform");
    add->add_flag("--fades", a->fades, "add \"Fade In\", \"Fade Out\", \"Hold 1\" and \"Hold 2\" (Volume fades)");
    OnRun(add, context, [&context, a] { return AddPreset(context, *a); });

    auto* remove = group->add_subcommand("remove", "Remove a profile preset (or with --waveform a waveform)");
    auto r = std::make_shared<PresetsOptions>();
    remove->add_option("name", r->name, "the preset's name")->required();
    remove->add_flag("--waveform", r->waveform, "remove a waveform");
    OnRun(remove, context, [&context, r] { return RemovePreset(context, *r); });
}

}  // namespace vantor::cli

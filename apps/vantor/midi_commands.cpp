// vantor midi ports|map list|map add|map remove|learn: the MIDI inputs of the
// machine and the controller bindings of "MIDI.MAP" in the program
// directory, edited through the MIDI Control Mapper's own steps.
#include <strings.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "command_context.h"
#include "control/midi_input.h"
#include "platform/midi_port.h"
#include "views/midi_control_mapper_view.h"

namespace vantor::cli {

namespace {

using Kind = CMIDIControlMapperView::Kind;

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::TrackEffect: return "effect";
        case Kind::TriggerSample: return "trigger";
        case Kind::SampleVolume: return "volume";
    }
    return "";
}

// What a new binding does: one of trigger, volume or effect (with track).
struct BindingOptions {
    int32_t channel = 0;
    int32_t controller = 0;
    std::optional<int32_t> trigger;
    std::optional<int32_t> volume;
    std::optional<std::string> effect;
    int32_t track = 1;
    double timeout = 10.0;
    std::optional<std::string> kind;
};

// The bindings of the program directory, held by a process that plays no
// sample: triggers and gains go nowhere.
struct MapFile {
    explicit MapFile(CommandContext& context, CMIDIInput* input = nullptr)
        : path(context.config.ProgramPath(CMIDIBindings::kFileName)),
          bindings([](int32_t) {}, [](int32_t, double) {}),
          view(context.ui, bindings, &context.Effects(), path, input) {
        bindings.Load(path);
        view.Open();
    }
    std::string path;
    CMIDIBindings bindings;
    CMIDIControlMapperView view;
};

void AddBindingOptions(CLI::App* command, BindingOptions& options) {
    auto* trigger = command->add_option("--trigger", options.trigger, "fire sample slot 1 to 8 on value 127")
                        ->check(DecimalInteger());
    auto* volume = command->add_option("--volume", options.volume, "ride the gain of sample slot 1 to 9")
                       ->check(DecimalInteger());
    auto* effect = command->add_option("--effect", options.effect, "ride an effect parameter, as \"Effect/Parameter\"");
    trigger->excludes(volume)->excludes(effect);
    volume->excludes(effect);
    command->add_option("--track", options.track, "the set track of --effect, from 1")->check(DecimalInteger());
}

// Sets the dialog's fields from the options; a usage error for a missing or
// unknown choice.
void ChooseBinding(CMIDIControlMapperView& view, const BindingOptions& options) {
    if (options.trigger) {
        view.SetKind(Kind::TriggerSample);
        view.triggerSample = *options.trigger;
    } else if (options.volume) {
        view.SetKind(Kind::SampleVolume);
        view.volumeSample = *options.volume;
    } else if (options.effect) {
        view.SetKind(Kind::TrackEffect);
        view.trackNumber = options.track;
        const auto& entries = view.GetEffectEntries();
        int found = -1;
        for (size_t i = 0; i < entries.size() && found < 0; ++i)
            if (strcasecmp(entries[i].c_str(), options.effect->c_str()) == 0) found = static_cast<int>(i);
        if (found < 0) throw UsageError("no registered effect has the parameter \"" + *options.effect + "\"");
        view.SelectEffect(found);
    } else {
        throw UsageError("choose --trigger, --volume or --effect");
    }
}

int AddAndSave(CommandContext& context, MapFile& map) {
    if (Status added = map.view.Add(); !added) return context.Refused(added.Error());
    if (!map.view.Ok()) return 1;
    return 0;
}

int ListPorts(CommandContext& context, bool json) {
    const auto ports = MidiPort::ListPorts();
    const int32_t configured = context.config.GetMidiInputDevice();
    if (json) {
        Json list = Json::array();
        for (size_t i = 0; i < ports.size(); ++i)
            list.push_back({{"device", i + 1}, {"name", ports[i]},
                            {"configured", configured == static_cast<int32_t>(i + 1)}});
        PrintJson(list);
        return 0;
    }
    if (ports.empty()) std::printf("No MIDI inputs.\n");
    for (size_t i = 0; i < ports.size(); ++i)
        std::printf("%2zu  %s%s\n", i + 1, ports[i].c_str(),
                    configured == static_cast<int32_t>(i + 1) ? "  (configured)" : "");
    return 0;
}

int ListMap(CommandContext& context, bool json) {
    MapFile map(context);
    if (json) {
        Json list = Json::array();
        for (const auto& line : map.view.GetLines())
            list.push_back({{"channel", line.channel}, {"controller", line.controller}, {"kind", KindName(line.kind)},
                            {"description", line.description}});
        PrintJson(list);
        return 0;
    }
    std::printf("Chnl #  Ctrl #  Description\n");
    for (const auto& line : map.view.GetLines())
        std::printf("%6d  %6d  %s\n", line.channel, line.controller, line.description.c_str());
    return 0;
}

int AddToMap(CommandContext& context, const BindingOptions& options) {
    MapFile map(context);
    ChooseBinding(map.view, options);
    map.view.channel = options.channel;
    map.view.controlNumber = options.controller;
    return AddAndSave(context, map);
}

int RemoveFromMap(CommandContext& context, const BindingOptions& options) {
    MapFile map(context);
    int removed = 0;
    for (;;) {
        const auto& lines = map.view.GetLines();
        int found = -1;
        for (size_t i = 0; i < lines.size() && found < 0; ++i)
            if (lines[i].channel == options.channel && lines[i].controller == options.controller &&
                (!options.kind || *options.kind == KindName(lines[i].kind)))
                found = static_cast<int>(i);
        if (found < 0) break;
        map.view.Remove(found);
        ++removed;
    }
    if (removed == 0) {
        std::fprintf(stderr, "vantor: no binding on channel %d controller %d\n", options.channel, options.controller);
        return 1;
    }
    return map.view.Ok() ? 0 : 1;
}

int Learn(CommandContext& context, const BindingOptions& options) {
    const int32_t device = context.config.GetMidiInputDevice();
    if (device <= 0) {
        std::fprintf(stderr, "vantor: no MIDI input is configured (vantor config set midi-device N)\n");
        return 1;
    }
    CMIDIInput input;
    if (Status opened = input.OpenDevice(device); !opened) return context.Refused(opened.Error());
    MapFile map(context, &input);
    const bool binds = options.trigger || options.volume || options.effect;
    if (binds) ChooseBinding(map.view, options);
    std::fprintf(stderr, "Move a controller...\n");
    const auto timeout = std::chrono::milliseconds(static_cast<int64_t>(options.timeout * 1000.0));
    if (!map.view.Learn(timeout)) {
        std::fprintf(stderr, "vantor: no controller moved within %g s\n", options.timeout);
        return 1;
    }
    std::printf("channel %d controller %d\n", map.view.channel, map.view.controlNumber);
    return binds ? AddAndSave(context, map) : 0;
}

}  // namespace

void AddMidiCommands(CLI::App& app, CommandContext& context) {
    auto* midi = app.add_subcommand("midi", "MIDI inputs and controller bindings");
    midi->require_subcommand(1);

    auto json = std::make_shared<bool>(false);
    auto options = std::make_shared<BindingOptions>();

    auto* ports = midi->add_subcommand("ports", "list the MIDI inputs; devices count from 1");
    ports->add_flag("--json", *json, "print JSON");
    OnRun(ports, context, [&context, json] { return ListPorts(context, *json); });

    auto* map = midi->add_subcommand("map", "the bindings of MIDI.MAP");
    map->require_subcommand(1);
    auto* list = map->add_subcommand("list", "list the bindings by channel and controller");
    list->add_flag("--json", *json, "print JSON");
    OnRun(list, context, [&context, json] { return ListMap(context, *json); });

    auto* add = map->add_subcommand("add", "bind a controller, replacing its binding of the same kind");
    add->add_option("--channel", options->channel, "channel 0 to 7")->required()->check(DecimalInteger());
    add->add_option("--controller", options->controller, "controller 0 to 127")->required()->check(DecimalInteger());
    AddBindingOptions(add, *options);
    OnRun(add, context, [&context, options] { return AddToMap(context, *options); });

    auto* remove = map->add_subcommand("remove", "remove the bindings of a controller");
    remove->add_option("--channel", options->channel, "channel 0 to 7")->required()->check(DecimalInteger());
    remove->add_option("--controller", options->controller, "controller 0 to 127")
        ->required()
        ->check(DecimalInteger());
    remove->add_option("--kind", options->kind, "only bindings of this kind")
        ->check(CLI::IsMember({"trigger", "volume", "effect"}));
    OnRun(remove, context, [&context, options] { return RemoveFromMap(context, *options); });

    auto* learn = midi->add_subcommand("learn", "wait for a controller of the configured input; with a "
                                                "binding option, bind it");
    learn->add_option("--timeout", options->timeout, "seconds to wait (default 10)")->check(CLI::Range(0.0, 3600.0));
    AddBindingOptions(learn, *options);
    OnRun(learn, context, [&context, options] { return Learn(context, *options); });
}

}  // namespace vantor::cli

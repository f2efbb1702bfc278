// vantor suggest KEY: the songs that fit a song for a mix; vantor designs
// list|remove KEY: the mixing designs stored with a song, managed outside an
// editing run through the "Manage Mix Designs" view.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_context.h"
#include "editing/mix_suggestion.h"
#include "json_output.h"
#include "views/manage_mix_designs_view.h"

namespace vantor::cli {

namespace {

struct DesignOptions {
    std::string key;
    std::string name;
    double tempo = 0.0;
    bool mixOut = false;
    bool json = false;
};

RefPtr<CSongProfile> Song(CMusicDatabase& database, const std::string& key) {
    RefPtr<CSongProfile> song = FindStoredSong(database, key);
    if (!song) throw CommandFailure("no song is stored under " + key);
    return song;
}

int Suggest(CommandContext& context, const DesignOptions& o) {
    CMusicDatabase& database = context.ReadDatabase();
    RefPtr<CSongProfile> song = Song(database, o.key);
    const double tempo = o.tempo > 0 ? o.tempo : song->GetTempo();
    int unreadable = 0;
    auto songs = ListedSongs(context, database, MixSuggestion::For(database, song->GetLocalPath(), tempo), unreadable);
    return PrintSongs(context, songs, o.json);
}

int ListDesigns(CommandContext& context, const DesignOptions& o) {
    CMusicDatabase& database = context.ReadDatabase();
    CManageMixDesignsView view(context.ui, database);
    view.Open(Song(database, o.key).get());
    if (o.json) {
        PrintJson({{"title", view.GetSongTitle()}, {"within", view.GetWithin()}, {"mixOut", view.GetMixOut()}});
        return 0;
    }
    std::printf("%s\nWithin:\n", view.GetTitle().c_str());
    for (const std::string& name : view.GetWithin()) std::printf("  %s\n", name.c_str());
    std::printf("Mix out:\n");
    for (const std::string& name : view.GetMixOut()) std::printf("  %s\n", name.c_str());
    return 0;
}

int RemoveDesign(CommandContext& context, const DesignOptions& o) {
    CMusicDatabase& database = context.Database();
    CManageMixDesignsView view(context.ui, database);
    view.Open(Song(database, o.key).get());
    const std::vector<std::string> names = o.mixOut ? view.GetMixOut() : view.GetWithin();
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] != o.name) continue;
        const int index = static_cast<int>(i);
        if (!(o.mixOut ? view.RemoveMixOut(index) : view.RemoveWithin(index))) return 1;
        std::printf("Removed %s\n", o.name.c_str());
        return 0;
    }
    throw CommandFailure("no " + std::string(o.mixOut ? "mix-out" : "within-song") + " design \"" + o.name +
                         "\" is stored with " + o.key);
}

}  // namespace

void AddDesignCommands(CLI::App& app, CommandContext& context) {
    auto* suggest = app.add_subcommand("suggest", "List the songs within 3 BPM of a song with the same genre and kind");
    auto s = std::make_shared<DesignOptions>();
    suggest->add_option("key", s->key, "the song's key or file")->required();
    suggest->add_option("--tempo", s->tempo, "the tempo to match (default: the song's)");
    suggest->add_flag("--json", s->json, "print JSON");
    OnRun(suggest, context, [&context, s] { return Suggest(context, *s); });

    CLI::App* group = app.add_subcommand("designs", "Mixing designs stored with a song");
    group->require_subcommand(1);
    auto* list = group->add_subcommand("list", "List a song's within-song and mix-out designs");
    auto l = std::make_shared<DesignOptions>();
    list->add_option("key", l->key, "the song's key or file")->required();
    list->add_flag("--json", l->json, "print JSON");
    OnRun(list, context, [&context, l] { return ListDesigns(context, *l); });

    auto* remove = group->add_subcommand("remove", "Remove a design stored with a song (asks first)");
    auto r = std::make_shared<DesignOptions>();
    remove->add_option("key", r->key, "the song's key or file")->required();
    remove->add_option("name", r->name, "the design's name")->required();
    remove->add_flag("--mix-out", r->mixOut, "a mix-out design (default: within-song)");
    OnRun(remove, context, [&context, r] { return RemoveDesign(context, *r); });
}

}  // namespace vantor::cli

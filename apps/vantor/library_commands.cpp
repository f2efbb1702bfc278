// vantor db load / unload / find: the music database window's library
// commands, through the same views and the music loader.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_context.h"
#include "database/song_search.h"
#include "json_output.h"
#include "library/song_loading.h"
#include "views/find_music_view.h"
#include "views/load_files_view.h"

namespace vantor::cli {

namespace {

int Load(CommandContext& context, const std::vector<std::string>& keys) {
    CMusicDatabase& database = context.Database();
    CLoadFilesView loader(context.ui, context.config);
    int exitCode = 0;
    size_t queued = 0;
    for (const std::string& key : keys) {
        RefPtr<CSongProfile> song = FindStoredSong(database, key);
        if (!song) {
            std::fprintf(stderr, "no song with the key %s\n", key.c_str());
            exitCode = 1;
            continue;
        }
        auto job = PlanLoadMusic(*song);
        if (!job) {
            // A song already local is no failure.
            context.Refused(job.Error());
            if (job.Error().icon != MessageIcon::Information) exitCode = 1;
            continue;
        }
        loader.QueueLoad(job.Value());
        ++queued;
    }
    loader.RunUntilIdle([&](size_t left) {
        if (queued > 0) context.ui.ShowProgress("Loading", static_cast<int>(100 * (queued - left) / queued));
    });
    context.ui.EndProgress();
    for (const std::string& dropped : loader.GetDropped()) {
        std::fprintf(stderr, "not loaded: %s\n", dropped.c_str());
        exitCode = 1;
    }
    std::printf("%zu loaded\n", queued - loader.GetDropped().size());
    return exitCode;
}

int Unload(CommandContext& context, const std::vector<std::string>& keys) {
    CMusicDatabase& database = context.Database();
    int exitCode = 0;
    for (const std::string& key : keys) {
        RefPtr<CSongProfile> song = FindStoredSong(database, key);
        if (!song) {
            std::fprintf(stderr, "no song with the key %s\n", key.c_str());
            exitCode = 1;
            continue;
        }
        if (Status unloaded = UnloadMusic(*song, context.config.GetDeleteSummaries()); !unloaded) {
            exitCode = context.Refused(unloaded.Error());
            continue;
        }
        std::printf("unloaded %s\n", song->GetKey());
    }
    return exitCode;
}

int Find(CommandContext& context, const std::string& text, const std::string& field, bool json) {
    CMusicDatabase& database = context.Database();
    std::vector<std::string> keys;
    if (field == "mixer") {
        CFindMusicView find(context.ui, database, context.config, {});
        find.GetFields().mixer = text;
        keys = find.Find();
    } else {
        keys = FindSongKeys(database, field == "artist" ? SongTextField::Artist : SongTextField::Title, text);
    }
    int unreadable = 0;
    return PrintSongs(context, ListedSongs(context, database, keys, unreadable), json);
}

}  // namespace

void AddLibraryCommands(CLI::App* db, CommandContext& context) {
    {
        auto* cmd = db->add_subcommand("load", "Copy songs from their archives to their local paths");
        auto keys = std::make_shared<std::vector<std::string>>();
        cmd->add_option("keys", *keys, "the songs' keys")->required();
        OnRun(cmd, context, [&context, keys] { return Load(context, *keys); });
    }
    {
        auto* cmd = db->add_subcommand("unload", "Delete the local copies of archived songs");
        auto keys = std::make_shared<std::vector<std::string>>();
        cmd->add_option("keys", *keys, "the songs' keys")->required();
        OnRun(cmd, context, [&context, keys] { return Unload(context, *keys); });
    }
    {
        auto* cmd = db->add_subcommand("find", "Find songs whose title, artist or mixer holds the text");
        auto text = std::make_shared<std::string>();
        auto field = std::make_shared<std::string>("title");
        auto json = std::make_shared<bool>(false);
        cmd->add_option("text", *text, "the text, in any case")->required();
        cmd->add_option("--field", *field, "title, artist or mixer")->check(CLI::IsMember({"title", "artist", "mixer"}));
        cmd->add_flag("--json", *json, "print JSON");
        OnRun(cmd, context, [&context, text, field, json] { return Find(context, *text, *field, *json); });
    }
}

}  // namespace vantor::cli

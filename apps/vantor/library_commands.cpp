// vantor db add / load / unload / find: Add Batch of Music and the music
// database window's library commands, through the same views and the
// music loader.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "command_context.h"
#include "database/song_file_name.h"
#include "database/song_search.h"
#include "engine/wave_file.h"
#include "json_output.h"
#include "library/song_loading.h"
#include "platform/file_io.h"
#include "views/add_batch_dialog.h"
#include "views/find_music_view.h"
#include "views/load_files_view.h"
#include "views/load_set_music_dialog.h"
#include "views/replace_question.h"
#include "views/set_document.h"

namespace vantor::cli {

namespace {

// Works the loader's queue off, with the jobs done and the one at hand as
// progress on a terminal.
void RunLoader(CommandContext& context, CLoadFilesView& loader, size_t queued, const char* label) {
    loader.RunUntilIdle([&](size_t left) {
        if (queued == 0) return;
        const size_t done = queued - std::min(left, queued);
        const size_t share = left > 0 ? static_cast<size_t>(loader.GetJobPercent()) : 0;
        context.ui.ShowProgress(label, static_cast<int>((100 * done + share) / queued));
    });
    context.ui.EndProgress();
}

struct AddOptions {
    std::vector<std::string> files;
    std::string archiveName;
    bool volumeLabel = false;
    std::string localDirectory;
    std::optional<bool> fillFromName;
};

// Add Batch of Music with the files of the command line. An MP3 file
// decoded beside itself does not replace a wave file there unasked.
int Add(CommandContext& context, const AddOptions& options) {
    CMusicDatabase& database = context.Database();
    CLoadFilesView loader(context.ui, context.config);
    size_t queued = 0;
    CAddBatchDialog dialog(context.ui, database, &context.RecentTitles(), [&](LoadJob job) {
        loader.QueueLoad(std::move(job));
        ++queued;
    });
    BatchAddSettings& settings = dialog.Settings();
    const bool archive = options.volumeLabel || !options.archiveName.empty();
    settings.location = archive ? BatchAddSettings::Location::Archive : BatchAddSettings::Location::Local;
    settings.useVolumeLabel = options.volumeLabel;
    settings.archiveName = options.archiveName;
    settings.localWaveDirectory =
        AbsolutePath(options.localDirectory.empty() ? context.config.GetWaveDirectory() : options.localDirectory);
    settings.fillFromFileName = options.fillFromName.value_or(context.config.GetFillFromFileName());

    int exitCode = 0;
    std::vector<std::string> files;
    for (const std::string& given : options.files) {
        const std::string file = AbsolutePath(given);
        const std::string wave = ReplaceExtension(file, ".wav");
        if (!archive && CWaveFile::SourceExtension(file) == "mp3" && FileExists(file) && !database.GetSong(wave) &&
            !ConfirmReplace(context.ui, wave)) {
            std::fprintf(stderr, "not added: %s (%s was not replaced)\n", file.c_str(), wave.c_str());
            exitCode = 1;
            continue;
        }
        files.push_back(file);
    }
    const BatchAddOutcome outcome = dialog.AddFiles(files);
    if (!outcome.refused.empty()) exitCode = 1;
    RunLoader(context, loader, queued, archive ? "Copying" : "Loading");
    for (const std::string& dropped : loader.GetDropped()) {
        std::fprintf(stderr, "not loaded: %s\n", dropped.c_str());
        exitCode = 1;
    }
    const std::vector<std::string> withdrawn = dialog.Withdraw(loader.GetDroppedJobs());
    for (const std::string& key : outcome.added) {
        if (std::find(withdrawn.begin(), withdrawn.end(), key) != withdrawn.end()) {
            std::fprintf(stderr, "not added: %s\n", key.c_str());
            continue;
        }
        RefPtr<CSongProfile> song = database.GetSong(key);
        if (!song) continue;
        const bool mixer = *song->GetMixer() != '\0';
        std::printf("added %s: %s - %s%s%s%s\n", song->GetKey(), song->GetArtist(), song->GetTitle(),
                    mixer ? " (" : "", song->GetMixer(), mixer ? ")" : "");
    }
    for (const std::string& file : outcome.skipped)
        std::printf("skipped (already in the database): %s\n", file.c_str());
    if (archive && !outcome.added.empty()) std::printf("archive: %s\n", outcome.archiveName.c_str());
    return exitCode;
}

// Load Set Music: the set's songs whose local files are missing, copied
// from their archives archive by archive.
int LoadSetMusic(CommandContext& context, const std::string& setPath) {
    CMusicDatabase& database = context.Database();
    CSetDocument document(context.ui);
    if (!document.Open(setPath)) return 1;
    std::vector<std::string> unloadable;
    std::vector<SetMusicPair> pairs = CSetMusicLoad::MissingSongs(*document.GetSet(), database, &unloadable);
    int exitCode = 0;
    for (const std::string& key : unloadable) {
        std::fprintf(stderr, "no archive to load from: %s\n", key.c_str());
        exitCode = 1;
    }
    CLoadSetMusicDialog dialog(context.ui, database);
    dialog.Start(std::move(pairs));
    while (dialog.Pump()) {
        const SetMusicProgress progress = dialog.GetProgress();
        if (progress.total > 0)
            context.ui.ShowProgress("Copying", static_cast<int>(100 * (progress.total - progress.remaining) /
                                                                progress.total));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    context.ui.EndProgress();
    const SetMusicProgress progress = dialog.GetProgress();
    std::printf("%s: %u copied, %u failed, %u not copied of %u in %s\n", dialog.GetStatusText().c_str(),
                progress.copied, progress.failed, progress.remaining, progress.total,
                dialog.GetElapsedText().c_str());
    return progress.failed > 0 || progress.remaining > 0 ? 1 : exitCode;
}

int Load(CommandContext& context, const std::vector<std::string>& keys) {
    CMusicDatabase& database = context.Database();
    CLoadFilesView loader(context.ui, context.config);
    int exitCode = 0;
    size_t queued = 0;
    bool missing = false;
    for (const RefPtr<CSongProfile>& song : FindStoredSongs(database, keys, missing)) {
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
    RunLoader(context, loader, queued, "Loading");
    for (const std::string& dropped : loader.GetDropped()) {
        std::fprintf(stderr, "not loaded: %s\n", dropped.c_str());
        exitCode = 1;
    }
    std::printf("%zu loaded\n", queued - loader.GetDropped().size());
    return missing ? 1 : exitCode;
}

int Unload(CommandContext& context, const std::vector<std::string>& keys) {
    CMusicDatabase& database = context.Database();
    int exitCode = 0;
    bool missing = false;
    for (const RefPtr<CSongProfile>& song : FindStoredSongs(database, keys, missing)) {
        if (Status unloaded = UnloadMusic(*song, context.config.GetDeleteSummaries()); !unloaded) {
            exitCode = context.Refused(unloaded.Error());
            continue;
        }
        std::printf("unloaded %s\n", song->GetKey());
    }
    return missing ? 1 : exitCode;
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
        auto* cmd = db->add_subcommand(
            "add", "Add audio files as songs with default profiles (Add Batch of Music): local files are their own "
                   "songs; with --archive or --volume-label they are archive files copied to the local wave "
                   "directory. MP3 files are decoded to wave files.");
        auto o = std::make_shared<AddOptions>();
        cmd->add_option("files", o->files, "wave (.wav) or MP3 (.mp3) files")->required();
        auto* name = cmd->add_option("--archive", o->archiveName, "the files are on the archive medium of this name");
        cmd->add_flag("--volume-label", o->volumeLabel,
                      "the files are on an archive medium named by the volume label of the first file's disk")
            ->excludes(name);
        cmd->add_option("--local-dir", o->localDirectory,
                        "where archive files are copied to (default: the configured local wave directory)");
        cmd->add_flag_function(
            "--fill-from-name,!--no-fill-from-name", [o](int64_t count) { o->fillFromName = count > 0; },
            "take artist, title and mixer from the file name (default: as configured)");
        OnRun(cmd, context, [&context, o] { return Add(context, *o); });
    }
    {
        auto* cmd = db->add_subcommand(
            "load", "Copy songs from their archives to their local paths; --set loads every missing song of a set");
        auto keys = std::make_shared<std::vector<std::string>>();
        auto set = std::make_shared<std::string>();
        auto* keyOption = cmd->add_option("keys", *keys, "the songs' keys");
        cmd->add_option("--set", *set, "a set file: its songs whose local files are missing (Load Set Music)")
            ->excludes(keyOption);
        OnRun(cmd, context, [&context, keys, set] {
            if (!set->empty()) return LoadSetMusic(context, *set);
            if (keys->empty()) throw UsageError("name the songs' keys or --set SET");
            return Load(context, *keys);
        });
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

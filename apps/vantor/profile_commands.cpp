// vantor db edit: the song profile editor with its fields as options. The
// editor checks and stores the profile ("Modify"); MP3 files it has decoded
// and new files it has summarised go through the music loader.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command_context.h"
#include "database/match_point.h"
#include "database/profile_fields.h"
#include "views/load_files_view.h"
#include "views/song_profile_view.h"

namespace vantor::cli {

namespace {

struct EditOptions {
    std::string key;
    std::optional<std::string> title, artist, album, mixer, localPath, archivePath, archiveName, tempo, type, genre,
        privateSwitch;
    std::vector<std::string> addCues;
    std::vector<int> removeCues;  // 1-based, as listed
    bool clearCues = false;
    bool json = false;
};

int32_t KindFromName(const std::string& name) {
    for (size_t i = 0; i < kProfileKindNames.size(); ++i)
        if (name == kProfileKindNames[i]) return CSongProfile::kTypeSong << i;
    throw UsageError("the type is song, sample, beats or acapella");
}

// "TYPE@SECONDS" or "TYPE@SECONDS=LABEL": a cue point at a time of the song,
// with the song's tempo.
CuePointForm ParseCue(const std::string& text, double tempo) {
    const size_t at = text.find('@');
    if (at == std::string::npos) throw UsageError("a cue point is TYPE@SECONDS or TYPE@SECONDS=LABEL");
    const int32_t type = MatchPointTypeFromName(text.substr(0, at));
    if (type < 0) throw UsageError("no cue point type \"" + text.substr(0, at) + "\"");
    const size_t equals = text.find('=', at);
    const std::string seconds = text.substr(at + 1, equals == std::string::npos ? std::string::npos : equals - at - 1);
    char* end = nullptr;
    const double value = std::strtod(seconds.c_str(), &end);
    if (seconds.empty() || *end != '\0' || !std::isfinite(value) || value < 0 || value * 44100.0 > 4294967295.0)
        throw UsageError("a cue point's time is seconds from the start of the song");
    CuePointForm cue;
    cue.type = type;
    cue.position = static_cast<uint32_t>(std::trunc(value * 44100.0));
    // Without a label the cue point takes its type's usual one.
    const char* usual = DefaultMatchPointLabel(type);
    cue.label = equals != std::string::npos ? text.substr(equals + 1) : usual ? usual : "";
    cue.tempo = tempo;
    return cue;
}

int Edit(CommandContext& context, const EditOptions& o) {
    CMusicDatabase& database = context.Database();
    RefPtr<CSongProfile> stored = FindStoredSong(database, o.key);
    if (!stored) stored = database.GetSample(o.key);
    if (!stored) throw CommandFailure("no song or sample with the key " + o.key);

    CLoadFilesView loader(context.ui, context.config);
    size_t queued = 0;
    std::vector<std::string> changedKeys;
    CSongProfileView editor(context.ui, database, &context.RecentTitles(), context.config,
                            {[&](LoadJob job) {
                                 loader.QueueLoad(std::move(job));
                                 ++queued;
                             },
                             [&](const std::string& key) { changedKeys.push_back(key); }});
    editor.ShowProfile(stored);
    SongProfileForm& form = editor.Form();
    if (o.title) form.title = *o.title;
    if (o.artist) form.artist = *o.artist;
    if (o.album) form.album = *o.album;
    if (o.mixer) form.mixer = *o.mixer;
    if (o.localPath) form.localPath = o.localPath->empty() ? std::string() : AbsolutePath(*o.localPath);
    if (o.archivePath) form.archivePath = *o.archivePath;
    if (o.archiveName) form.archiveName = *o.archiveName;
    if (o.tempo) form.tempoText = *o.tempo;
    if (o.type) form.kind = KindFromName(*o.type);
    if (o.genre) {
        const auto id = GenreIdFromText(context.config.GetGenrePresets(), *o.genre);
        if (!id) throw UsageError("no genre \"" + *o.genre + "\"");
        form.genreId = *id;
    }
    if (o.privateSwitch) form.isPrivate = ParseSwitch(*o.privateSwitch);
    if (o.clearCues) form.cuePoints.clear();
    // Removed from the last listed to the first, so the numbers stay those shown.
    std::vector<int> removals = o.removeCues;
    std::sort(removals.rbegin(), removals.rend());
    for (int number : removals) {
        if (number < 1 || static_cast<size_t>(number) > form.cuePoints.size())
            throw UsageError("no cue point " + std::to_string(number));
        form.cuePoints.erase(form.cuePoints.begin() + (number - 1));
    }
    // New cue points take the profile's tempo, the new one when it reads as one.
    const double typed = std::strtod(form.tempoText.c_str(), nullptr);
    const double tempo = std::isfinite(typed) && typed > 0 ? typed : stored->GetTempo();
    for (const std::string& cue : o.addCues) form.cuePoints.push_back(ParseCue(cue, tempo));

    if (!editor.OnAdd()) {
        // The editor told why, unless the user stopped at a question.
        std::fprintf(stderr, "not changed: %s\n", stored->GetKey());
        return 1;
    }
    loader.RunUntilIdle();
    int exitCode = 0;
    for (const std::string& dropped : loader.GetDropped()) {
        std::fprintf(stderr, "not loaded: %s\n", dropped.c_str());
        exitCode = 1;
    }
    const RefPtr<CSongProfile>& shown = editor.GetShownProfile();
    if (o.json) {
        PrintJson(JsonProfile(context.config, *shown));
        return exitCode;
    }
    std::printf("modified %s\n", shown->GetKey());
    if (std::string(shown->GetKey()) != stored->GetKey()) std::printf("was %s\n", stored->GetKey());
    return exitCode;
}

}  // namespace

void AddProfileEditCommand(CLI::App* db, CommandContext& context) {
    auto* cmd = db->add_subcommand("edit", "Change a profile as the song profile editor does (Modify)");
    auto o = std::make_shared<EditOptions>();
    cmd->add_option("key", o->key, "the song's key (its local path)")->required();
    cmd->add_option("--title", o->title, "the title (required by the editor, up to 99 characters)");
    cmd->add_option("--artist", o->artist, "the artist");
    cmd->add_option("--album", o->album, "the album");
    cmd->add_option("--mixer", o->mixer, "the mixer");
    cmd->add_option("--tempo", o->tempo, "the base tempo in beats per minute, above 0");
    cmd->add_option("--type", o->type, "song, sample, beats or acapella")
        ->check(CLI::IsMember({"song", "sample", "beats", "acapella"}));
    cmd->add_option("--genre", o->genre, "the genre's name or number");
    cmd->add_option("--private", o->privateSwitch, "on or off")->check(kSwitch);
    cmd->add_option("--local-path", o->localPath, "the audio file; the profile's key moves with it");
    cmd->add_option("--archive-path", o->archivePath, "the file on the archive medium");
    cmd->add_option("--archive-name", o->archiveName, "the archive medium's name");
    cmd->add_option("--cue", o->addCues,
                    "add a cue point TYPE@SECONDS[=LABEL]; types as db show lists them: START_SONG, BUILD, "
                    "FALL, EXPLODE_UP, EXPLODE_DOWN, CHORUS, VERSE, MISC, END_SONG (repeatable)");
    cmd->add_option("--remove-cue", o->removeCues, "remove the cue point of this number, as db show lists them")
        ->check(DecimalInteger());
    cmd->add_flag("--clear-cues", o->clearCues, "remove every cue point first");
    cmd->add_flag("--json", o->json, "print the stored profile as JSON");
    OnRun(cmd, context, [&context, o] { return Edit(context, *o); });
}

}  // namespace vantor::cli

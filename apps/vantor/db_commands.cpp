// vantor db ...: the music database of the program directory (songs,
// samples, categories), the latest-titles list beside it and the update pass.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command_context.h"
#include "database/profile_fields.h"
#include "views/music_database_view.h"
#include "json_output.h"
#include "views/database_update.h"

namespace vantor::cli {

namespace {

CMusicDatabase::SortField SortField(const std::string& sort) {
    if (sort == "artist") return CMusicDatabase::kSortArtist;
    if (sort == "tempo") return CMusicDatabase::kSortTempo;
    return CMusicDatabase::kSortTitle;
}

Json JsonSummary(const CConfiguration& config, const CSongProfile& song) {
    return {{"key", song.GetKey()},
            {"title", song.GetTitle()},
            {"artist", song.GetArtist()},
            {"mixer", song.GetMixer()},
            {"album", song.GetAlbum()},
            {"tempo", JsonReal(song.GetTempo())},
            {"kind", ProfileKindName(song.GetType())},
            {"genre", GenreName(config.GetGenrePresets(), song.GetGenre())},
            {"type", song.GetType()},
            {"private", song.IsPrivate()}};
}

}  // namespace

std::vector<RefPtr<CSongProfile>> ListedSongs(CommandContext& context, CMusicDatabase& database,
                                              const std::vector<std::string>& keys, int& unreadable) {
    std::vector<RefPtr<CSongProfile>> songs;
    for (const auto& key : keys) {
        RefPtr<CSongProfile> song = database.GetSong(key);
        if (!song) {
            ++unreadable;
            continue;
        }
        if (song->IsPrivate() && context.config.GetHidePrivateMusic()) continue;
        songs.push_back(song);
    }
    return songs;
}

int PrintSongs(CommandContext& context, const std::vector<RefPtr<CSongProfile>>& songs, bool json) {
    if (json) {
        Json list = Json::array();
        for (const auto& song : songs) list.push_back(JsonSummary(context.config, *song));
        PrintJson(list);
        return 0;
    }
    for (const auto& song : songs)
        std::printf("%-30s  %-24s  %-16s  %8.3f  %s\n", song->GetTitle(), song->GetArtist(), song->GetMixer(),
                    song->GetTempo(), song->GetKey());
    std::printf("%zu song%s\n", songs.size(), songs.size() == 1 ? "" : "s");
    return 0;
}

namespace {

struct ListOptions {
    std::string sort = "title";
    bool latest = false;
    std::string category;
    std::vector<std::string> kinds;  // the kinds shown; all when empty
    std::string genre;
    std::string letter;
    bool json = false;
};

// The database window's listing: its list choice, sort, kind toggles and
// letter jump, with every row of the list shown.
int List(CommandContext& context, const ListOptions& options) {
    CMusicDatabase& database = context.ReadDatabase();
    std::optional<int32_t> genre;
    if (!options.genre.empty()) {
        genre = GenreIdFromText(context.config.GetGenrePresets(), options.genre);
        if (!genre) throw UsageError("no genre \"" + options.genre + "\"");
    }
    if (!options.category.empty() && !database.CategoryExists(options.category))
        throw CommandFailure("no category \"" + options.category + "\"");
    CMusicDatabaseView view(context.ui, database, context.RecentTitles(), context.config);
    // One row while the choices are made: each choice refills the window.
    view.SetVisibleRows(1);
    view.ClickHeader(static_cast<int>(SortField(options.sort)));
    if (!options.kinds.empty())
        for (int32_t kind : {CSongProfile::kTypeSong, CSongProfile::kTypeBeats, CSongProfile::kTypeAcapella})
            if (std::find(options.kinds.begin(), options.kinds.end(), ProfileKindName(kind)) == options.kinds.end())
                view.ToggleKind(kind);
    view.SetGenreFilter(genre);
    if (options.latest)
        view.ChooseList("Latest");
    else if (!options.category.empty())
        view.ChooseList(options.category);
    else if (!options.letter.empty())
        view.JumpToLetter(options.letter[0]);
    // Every row from the top row on: with one visible row the scroll range
    // ends one short of the list's length.
    const int32_t length = view.GetScrollMaximum() + 1;
    view.SetVisibleRows(std::max(1, length - view.GetTopRow()));
    std::vector<RefPtr<CSongProfile>> songs;
    for (const auto& row : view.GetRows()) songs.push_back(row.song);
    return PrintSongs(context, songs, options.json);
}

// Songs are found first, then samples.
RefPtr<CSongProfile> SongOrSample(CMusicDatabase& database, const std::string& key) {
    if (auto song = FindStoredSong(database, key)) return song;
    throw CommandFailure("no song or sample with the key " + key);
}

Json JsonDesigns(const CSongProfile::MixingProfiles& designs) {
    Json list = Json::array();
    std::lock_guard lock(designs.Lock());
    for (int32_t i = 0; i < designs.GetCount(); ++i) {
        const CMixingProfile* design = designs.GetAt(i);
        list.push_back({{"name", design->GetName()},
                        {"tempo", JsonReal(design->GetTempo())},
                        {"tracks", design->GetClip() ? design->GetClip()->GetCount() : 0}});
    }
    return list;
}

void PrintDesigns(const char* name, const CSongProfile::MixingProfiles& designs) {
    std::lock_guard lock(designs.Lock());
    std::printf("%s: %d\n", name, designs.GetCount());
    for (int32_t i = 0; i < designs.GetCount(); ++i) {
        const CMixingProfile* design = designs.GetAt(i);
        const int32_t tracks = design->GetClip() ? design->GetClip()->GetCount() : 0;
        std::printf("  \"%s\" tempo %.3f, %d track%s\n", design->GetName(), design->GetTempo(), tracks,
                    tracks == 1 ? "" : "s");
    }
}

std::string TypeName(int32_t type) {
    const char* name = MatchPointTypeName(type);
    return name ? name : std::to_string(type);
}

}  // namespace

Json JsonProfile(const CConfiguration& config, const CSongProfile& song) {
    const auto& points = song.GetMatchPoints();
    const auto& segments = song.GetSegmentDesigns();
    std::lock_guard pointsLock(points.Lock());
    std::lock_guard segmentsLock(segments.Lock());
    Json out = JsonSummary(config, song);
    out["localPath"] = song.GetLocalPath();
    out["archivePath"] = song.GetArchivePath();
    out["archiveName"] = song.GetArchiveName();
    Json cues = Json::array();
    for (int32_t i = 0; i < points.GetCount(); ++i) {
        const CMatchPoint* point = points.GetAt(i);
        cues.push_back({{"label", point->GetLabel()},
                        {"position", point->GetPosition()},
                        {"seconds", JsonReal(point->GetPosition() / 44100.0)},
                        {"type", TypeName(point->GetType())},
                        {"tempo", JsonReal(point->GetTempo())}});
    }
    out["cuePoints"] = cues;
    Json designs = Json::array();
    for (int32_t i = 0; i < segments.GetCount(); ++i) {
        const CSegmentDesign* design = segments.GetAt(i);
        designs.push_back({{"name", design->GetName()},
                           {"start", design->GetSegment()->GetStart()},
                           {"end", design->GetSegment()->GetEnd()},
                           {"ratio", JsonReal(design->GetSegment()->GetRatio())},
                           {"tempo", JsonReal(design->GetTempo())},
                           {"normalization", JsonReal(design->GetNormalization())}});
    }
    out["segmentDesigns"] = designs;
    out["mixInDesigns"] = JsonDesigns(song.GetMixInDesigns());
    out["mixOutDesigns"] = JsonDesigns(song.GetMixOutDesigns());
    out["withinSongDesigns"] = JsonDesigns(song.GetWithinSongDesigns());
    return out;
}

namespace {

int Show(CommandContext& context, const std::string& key, bool json) {
    RefPtr<CSongProfile> song = SongOrSample(context.ReadDatabase(), key);
    if (json) {
        PrintJson(JsonProfile(context.config, *song));
        return 0;
    }
    const auto& points = song->GetMatchPoints();
    const auto& segments = song->GetSegmentDesigns();
    std::lock_guard pointsLock(points.Lock());
    std::lock_guard segmentsLock(segments.Lock());
    std::printf("Title:          %s\nArtist:         %s\nMixer:          %s\nAlbum:          %s\n", song->GetTitle(),
                song->GetArtist(), song->GetMixer(), song->GetAlbum());
    std::printf("Local path:     %s\nArchive path:   %s\nArchive name:   %s\n", song->GetLocalPath(),
                song->GetArchivePath(), song->GetArchiveName());
    std::printf("Tempo:          %.3f\nType:           %s, genre %s (0x%04X)\nPrivate:        %s\n", song->GetTempo(),
                ProfileKindName(song->GetType()),
                GenreName(context.config.GetGenrePresets(), song->GetGenre()).c_str(),
                static_cast<unsigned>(song->GetType()), song->IsPrivate() ? "yes" : "no");
    std::printf("Cue points: %d\n", points.GetCount());
    for (int32_t i = 0; i < points.GetCount(); ++i) {
        const CMatchPoint* point = points.GetAt(i);
        std::printf("  %-12s %10u (%.3f s)  \"%s\" tempo %.3f\n", TypeName(point->GetType()).c_str(),
                    point->GetPosition(), point->GetPosition() / 44100.0, point->GetLabel(), point->GetTempo());
    }
    std::printf("Segment designs: %d\n", segments.GetCount());
    for (int32_t i = 0; i < segments.GetCount(); ++i) {
        const CSegmentDesign* design = segments.GetAt(i);
        std::printf("  \"%s\" frames %d-%d ratio %.6f tempo %.3f normalization %.4f\n", design->GetName(),
                    design->GetSegment()->GetStart(), design->GetSegment()->GetEnd(), design->GetSegment()->GetRatio(),
                    design->GetTempo(), design->GetNormalization());
    }
    PrintDesigns("Mix-in designs", song->GetMixInDesigns());
    PrintDesigns("Mix-out designs", song->GetMixOutDesigns());
    PrintDesigns("Within-song designs", song->GetWithinSongDesigns());
    return 0;
}

int SetField(CommandContext& context, const std::string& key, const std::string& field, const std::string& value) {
    CMusicDatabase& database = context.Database();
    RefPtr<CSongProfile> stored = SongOrSample(database, key);
    RefPtr<CSongProfile> song(stored->Clone());
    if (Status set = SetProfileField(*song, field, value, context.config.GetGenrePresets()); !set)
        return context.Refused(set.Error());
    if (Status kept = StoreChangedProfile(database, *stored, *song); !kept) return context.Refused(kept.Error());
    std::printf("%s: %s = %s\n", song->GetKey(), field.c_str(), value.c_str());
    return 0;
}

int Remove(CommandContext& context, const std::string& key) {
    CMusicDatabase& database = context.Database();
    RefPtr<CSongProfile> song = SongOrSample(database, key);
    if (!database.RemoveSong(*song) && !database.RemoveSample(*song))
        throw CommandFailure("could not remove " + std::string(song->GetKey()));
    // The latest titles forget it now; their file follows with the next addition.
    context.RecentTitles().RemoveTitle(song->GetKey());
    std::printf("removed %s\n", song->GetKey());
    return 0;
}

int Compact(CommandContext& context) {
    CMusicDatabase& database = context.Database();
    if (context.ui.MessageBox("Are you sure?", "Compact Database", MessageButtons::YesNo, MessageIcon::Question) !=
        MessageAnswer::Yes)
        return 1;
    std::vector<std::string> dropped;
    if (!database.CompactDatabase(&dropped)) throw CommandFailure("the database could not be compacted");
    for (const auto& key : dropped) std::printf("dropped damaged entry: %s\n", key.c_str());
    std::printf("compacted: %d songs\n", database.GetSongCount());
    return 0;
}

int Update(CommandContext& context) {
    CDatabaseUpdate update(context.ui, context.Database());
    if (!update.Run()) return 1;
    std::printf("%d songs updated in %s\n", update.GetPosition(), update.GetElapsedText().c_str());
    return 0;
}

void CheckCategory(CMusicDatabase& database, const std::string& name) {
    if (!database.CategoryExists(name)) throw CommandFailure("no category \"" + name + "\"");
}

const CLI::Validator kCategoryName(
    [](const std::string& text) -> std::string {
        return CRecordStore::IsValidCategoryName(text) ? ""
                                                       : "a category name is not empty, has no '/' and does not "
                                                         "start with '.'";
    },
    "NAME");

void AddDbCategoryCommands(CLI::App* db, CommandContext& context) {
    CLI::App* group = db->add_subcommand("category", "Categories: named lists of songs");
    group->require_subcommand(1);
    auto name = std::make_shared<std::string>();
    auto key = std::make_shared<std::string>();
    auto sort = std::make_shared<std::string>("title");
    auto addName = [&](CLI::App* cmd, bool required) {
        auto* option = cmd->add_option("name", *name, "the category's name")->check(kCategoryName);
        if (required) option->required();
    };
    {
        auto* cmd = group->add_subcommand("add", "Create a category");
        addName(cmd, true);
        OnRun(cmd, context, [&context, name] {
            if (!context.Database().CreateCategory(*name)) throw CommandFailure("could not create the category");
            return 0;
        });
    }
    {
        auto* cmd = group->add_subcommand("remove", "Delete a category (its songs stay in the database)");
        addName(cmd, true);
        OnRun(cmd, context, [&context, name] {
            if (!context.Database().DeleteCategory(*name)) throw CommandFailure("no category \"" + *name + "\"");
            return 0;
        });
    }
    {
        auto* cmd = group->add_subcommand("list", "List the categories, or the songs of one");
        addName(cmd, false);
        cmd->add_option("--sort", *sort, "order of the songs")->check(CLI::IsMember({"title", "artist", "tempo"}));
        OnRun(cmd, context, [&context, name, sort] {
            CMusicDatabase& database = context.ReadDatabase();
            if (name->empty()) {
                for (const auto& category : database.CategoryNames()) std::printf("%s\n", category.c_str());
                return 0;
            }
            CheckCategory(database, *name);
            for (const auto& song : database.ListCategory(*name, SortField(*sort))) std::printf("%s\n", song.c_str());
            return 0;
        });
    }
    {
        auto* cmd = group->add_subcommand("add-song", "Put a song into a category");
        addName(cmd, true);
        cmd->add_option("key", *key, "the song's key")->required();
        OnRun(cmd, context, [&context, name, key] {
            CMusicDatabase& database = context.Database();
            CheckCategory(database, *name);
            RefPtr<CSongProfile> song = FindStoredSong(database, *key);
            if (!song) throw CommandFailure("no song with the key " + *key);
            if (song->IsSample()) throw CommandFailure("categories hold songs, not samples");
            if (!database.AddToCategory(*name, song->GetKey())) throw CommandFailure("could not add to the category");
            return 0;
        });
    }
    {
        auto* cmd = group->add_subcommand("remove-song", "Take a song out of a category");
        addName(cmd, true);
        cmd->add_option("key", *key, "the song's key")->required();
        OnRun(cmd, context, [&context, name, key] {
            CMusicDatabase& database = context.Database();
            CheckCategory(database, *name);
            if (!database.RemoveFromCategory(*name, *key) && !database.RemoveFromCategory(*name, AbsolutePath(*key)))
                throw CommandFailure("the song is not in the category");
            return 0;
        });
    }
}

}  // namespace

void AddDbCommands(CLI::App& app, CommandContext& context) {
    CLI::App* group = app.add_subcommand("db", "The music database: songs, samples and categories");
    group->require_subcommand(1);
    auto key = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    {
        auto* cmd = group->add_subcommand("list", "List the songs as the Music Database window does");
        auto o = std::make_shared<ListOptions>();
        cmd->add_option("--sort", o->sort, "order: title, artist or tempo (as text)")
            ->check(CLI::IsMember({"title", "artist", "tempo"}));
        auto* latest = cmd->add_flag("--latest", o->latest, "the latest titles added, newest first");
        auto* category = cmd->add_option("--category", o->category, "only the songs of the category")->excludes(latest);
        cmd->add_option("--type", o->kinds, "only songs of these kinds: song, beats, acapella (repeatable)")
            ->check(CLI::IsMember({"song", "beats", "acapella"}))
            ->delimiter(',');
        cmd->add_option("--genre", o->genre, "only songs of the genre (its name or number)");
        cmd->add_option("--letter", o->letter, "start at the first song whose sort text is not less than the letter")
            ->check(CLI::IsMember({"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "P", "Q", "R",
                                   "S", "T", "U", "V", "W", "Y", "Z", "1"},
                                  CLI::ignore_case))
            ->excludes(latest)
            ->excludes(category);
        cmd->add_flag("--json", o->json, "print JSON");
        OnRun(cmd, context, [&context, o] { return List(context, *o); });
    }
    {
        auto* cmd = group->add_subcommand("show", "Show a song's or sample's whole profile");
        cmd->add_option("key", *key, "the song's key (its local path)")->required();
        cmd->add_flag("--json", *json, "print JSON");
        OnRun(cmd, context, [&context, key, json] { return Show(context, *key, *json); });
    }
    {
        auto* cmd = group->add_subcommand("set", "Change one field of a profile");
        auto field = std::make_shared<std::string>();
        auto value = std::make_shared<std::string>();
        cmd->add_option("key", *key, "the song's key")->required();
        cmd->add_option("field", *field, "the field")
            ->required()
            ->check(CLI::IsMember(std::vector<std::string>(kProfileFieldNames.begin(), kProfileFieldNames.end())));
        cmd->add_option("value", *value,
                        "the new value: text; a tempo in BPM; type song|sample|beats|acapella; a genre's name or "
                        "number; private on|off")
            ->required();
        OnRun(cmd, context, [&context, key, field, value] { return SetField(context, *key, *field, *value); });
    }
    {
        auto* cmd = group->add_subcommand("remove", "Remove a song or sample from the database");
        cmd->add_option("key", *key, "the song's key")->required();
        OnRun(cmd, context, [&context, key] { return Remove(context, *key); });
    }
    OnRun(group->add_subcommand("compact", "Rewrite the database without the space of removed songs"), context,
          [&context] { return Compact(context); });
    OnRun(group->add_subcommand("update", "Build missing summaries and measure every song's level"), context,
          [&context] { return Update(context); });
    AddDbCategoryCommands(group, context);
    AddLibraryCommands(group, context);
    AddProfileEditCommand(group, context);
}

}  // namespace vantor::cli

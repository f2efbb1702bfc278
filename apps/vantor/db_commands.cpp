// vantor db ...: the music database of the program directory (songs,
// samples, categories) and the latest-titles list beside it.
#include <cstdio>
#include <filesystem>
#include <string>

#include "arguments.h"
#include "command_context.h"
#include "database/music_database.h"
#include "database/song_file_name.h"
#include "engine/mp3_conversion.h"
#include "engine/wave_file.h"
#include "model/recent_title_list.h"
#include "platform/file_io.h"
#include "platform/json_writer.h"

namespace vantor::cli {

namespace {

const char* const kEditCaption = "Edit Profile";
const char* const kPathTooLong = "Local or archive path is too long (must be < 255 characters)";
const char* const kNotSupported =
    "Wave file is not in a supported format. All wave files must be:\nPCM, 44.1 khz, 16-bit, 2 channels.";

// The database and the latest titles of the program directory.
struct Library {
    explicit Library(CommandContext& context) {
        if (!database.Open(context.config.GetProgramDirectory()))
            throw CommandFailure("cannot open the music database in " + context.config.GetProgramDirectory());
        recent.Load(context.config.ProgramPath("RECENT.lst"));
        recent.SetLimit(context.config.GetMaxLatestTitles());
    }
    CMusicDatabase database;
    CRecentTitleList recent;
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Extension(const std::string& path) {
    std::string name = FileNameOf(path);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : Lower(name.substr(dot));
}

std::string AbsolutePath(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

const char* KindName(int32_t type) {
    if (type & CSongProfile::kTypeSample) return "sample";
    if (type & CSongProfile::kTypeBeats) return "beats";
    if (type & CSongProfile::kTypeAcapella) return "acapella";
    return "song";
}

std::string GenreName(const CConfiguration& config, int32_t id) {
    const GenrePresets& genres = config.GetGenrePresets();
    std::lock_guard lock(genres.Lock());
    for (int32_t i = 0; i < genres.GetCount(); ++i)
        if (genres.GetAt(i)->GetId() == id) return genres.GetAt(i)->GetName();
    return std::to_string(id);
}

// The format check of the song profile editor, on the file's own header.
bool IsSupportedWave(const std::string& path) {
    CWaveFile wave(path, 100);
    const WaveFormat* format = wave.GetFormat();
    return format && format->formatTag == 1 && format->channels == 2 && format->samplesPerSec == 44100 &&
           format->bitsPerSample == 16;
}

// Adds one file as the batch adder does; false when it was refused.
bool AddFile(CommandContext& context, Library& library, const std::string& file) {
    std::string path = AbsolutePath(file);
    if (!FileExists(path)) {
        context.ui.MessageBox("Local filename does not exist.", kEditCaption, MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    const std::string extension = Extension(path);
    if (extension != ".wav" && extension != ".mp3") {
        std::fprintf(stderr, "%s: only wave (.wav) and MP3 (.mp3) files can be added\n", path.c_str());
        return false;
    }
    const std::string wavePath = ReplaceExtension(path, ".wav");
    if (library.database.GetSong(path) || library.database.GetSong(wavePath)) {
        std::printf("skipped (already in the database): %s\n", path.c_str());
        return true;
    }
    if (wavePath.size() > 254) {
        context.ui.MessageBox(kPathTooLong, kEditCaption, MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    if (extension == ".mp3") {
        // Decoded beside the MP3 file; the song is the wave file from then on.
        if (!ConvertMp3ToWave(path, wavePath, [&](int percent) { context.ui.ShowProgress("Decoding", percent); })) {
            context.ui.EndProgress();
            std::fprintf(stderr, "%s: the MP3 file could not be decoded\n", path.c_str());
            return false;
        }
        context.ui.EndProgress();
        path = wavePath;
    }
    if (!IsSupportedWave(path)) {
        context.ui.MessageBox(kNotSupported, kEditCaption, MessageButtons::Ok, MessageIcon::Error);
        return false;
    }

    SongFileName names;
    if (context.config.GetFillFromFileName()) names = SplitSongFileName(path);
    if (names.title.empty()) names.title = "Unknown";
    if (names.artist.empty()) names.artist = "Unknown";
    CSongProfile profile;
    profile.SetLocalPath(path);
    profile.SetArtist(names.artist);
    profile.SetTitle(names.title);
    profile.SetMixer(names.mixer);
    profile.SetTempo(context.config.GetDefaultTempo());
    profile.SetType(CSongProfile::kDefaultType);
    if (!library.database.PutSong(profile)) throw CommandFailure("could not store " + path);
    library.recent.AddTitle(path);
    std::printf("added %s: %s - %s%s%s%s\n", path.c_str(), profile.GetArtist(), profile.GetTitle(),
                names.mixer.empty() ? "" : " (", profile.GetMixer(), names.mixer.empty() ? "" : ")");
    return true;
}

int Add(CommandContext& context, const Arguments& args) {
    if (args.Positionals().empty()) throw UsageError("missing FILE");
    Library library(context);
    bool allAdded = true;
    for (const std::string& file : args.Positionals()) allAdded = AddFile(context, library, file) && allAdded;
    return allAdded ? 0 : 1;
}

CMusicDatabase::SortField SortOption(const Arguments& args) {
    const std::string sort = args.Option("--sort").value_or("title");
    if (sort == "title") return CMusicDatabase::kSortTitle;
    if (sort == "artist") return CMusicDatabase::kSortArtist;
    if (sort == "tempo") return CMusicDatabase::kSortTempo;
    throw UsageError("--sort is title, artist or tempo");
}

void JsonSummary(JsonWriter& json, const CConfiguration& config, const CSongProfile& song) {
    json.Field("key", song.GetKey())
        .Field("title", song.GetTitle())
        .Field("artist", song.GetArtist())
        .Field("mixer", song.GetMixer())
        .Field("album", song.GetAlbum())
        .Field("tempo", song.GetTempo())
        .Field("kind", KindName(song.GetType()))
        .Field("genre", GenreName(config, song.GetGenre()))
        .Field("type", song.GetType())
        .Field("private", song.IsPrivate());
}

int List(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(0, 0);
    if (args.Flag("--latest") && args.Option("--category")) throw UsageError("--latest and --category exclude each other");
    Library library(context);
    const auto sort = SortOption(args);
    std::vector<std::string> keys;
    if (args.Flag("--latest")) {
        for (int32_t i = 0; i < library.recent.GetCount(); ++i) keys.emplace_back(library.recent.GetTitle(i));
    } else if (auto category = args.Option("--category")) {
        if (!library.database.CategoryExists(*category)) throw CommandFailure("no category \"" + *category + "\"");
        keys = library.database.ListCategory(*category, sort);
    } else {
        keys = library.database.SortedSongKeys(sort);
    }
    std::vector<RefPtr<CSongProfile>> songs;
    for (const auto& key : keys) {
        RefPtr<CSongProfile> song = library.database.GetSong(key);
        if (!song) continue;  // a latest title whose song has gone
        if (song->IsPrivate() && context.config.GetHidePrivateMusic()) continue;
        songs.push_back(song);
    }
    if (args.Flag("--json")) {
        JsonWriter json;
        json.BeginArray();
        for (const auto& song : songs) {
            json.BeginObject();
            JsonSummary(json, context.config, *song);
            json.EndObject();
        }
        json.EndArray();
        std::printf("%s\n", json.Text().c_str());
        return 0;
    }
    for (const auto& song : songs)
        std::printf("%-30s  %-24s  %-16s  %8.3f  %s\n", song->GetTitle(), song->GetArtist(), song->GetMixer(),
                    song->GetTempo(), song->GetKey());
    std::printf("%zu song%s\n", songs.size(), songs.size() == 1 ? "" : "s");
    return 0;
}

RefPtr<CSongProfile> FindSong(Library& library, const std::string& key) {
    if (auto song = library.database.GetSong(key)) return song;
    if (auto song = library.database.GetSong(AbsolutePath(key))) return song;
    throw CommandFailure("no song or sample with the key " + key);
}

void JsonDesigns(JsonWriter& json, const char* name, const CSongProfile::MixingProfiles& designs) {
    json.Key(name).BeginArray();
    std::lock_guard lock(designs.Lock());
    for (int32_t i = 0; i < designs.GetCount(); ++i) {
        const CMixingProfile* design = designs.GetAt(i);
        json.BeginObject()
            .Field("name", design->GetName())
            .Field("tempo", design->GetTempo())
            .Field("tracks", design->GetClip() ? design->GetClip()->GetCount() : 0)
            .EndObject();
    }
    json.EndArray();
}

void PrintDesigns(const char* name, const CSongProfile::MixingProfiles& designs) {
    std::lock_guard lock(designs.Lock());
    std::printf("%s: %d\n", name, designs.GetCount());
    for (int32_t i = 0; i < designs.GetCount(); ++i) {
        const CMixingProfile* design = designs.GetAt(i);
        std::printf("  \"%s\" tempo %.3f, %d track%s\n", design->GetName(), design->GetTempo(),
                    design->GetClip() ? design->GetClip()->GetCount() : 0,
                    design->GetClip() && design->GetClip()->GetCount() == 1 ? "" : "s");
    }
}

int Show(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(1, 1);
    Library library(context);
    RefPtr<CSongProfile> song = FindSong(library, args.Positional(0, "KEY"));
    const auto& points = song->GetMatchPoints();
    const auto& segments = song->GetSegmentDesigns();
    std::lock_guard pointsLock(points.Lock());
    std::lock_guard segmentsLock(segments.Lock());
    if (args.Flag("--json")) {
        JsonWriter json;
        json.BeginObject();
        JsonSummary(json, context.config, *song);
        json.Field("localPath", song->GetLocalPath())
            .Field("archivePath", song->GetArchivePath())
            .Field("archiveName", song->GetArchiveName());
        json.Key("cuePoints").BeginArray();
        for (int32_t i = 0; i < points.GetCount(); ++i) {
            const CMatchPoint* point = points.GetAt(i);
            const char* typeName = MatchPointTypeName(point->GetType());
            json.BeginObject()
                .Field("label", point->GetLabel())
                .Field("position", point->GetPosition())
                .Field("seconds", point->GetPosition() / 44100.0)
                .Field("type", typeName ? typeName : std::to_string(point->GetType()))
                .Field("tempo", point->GetTempo())
                .EndObject();
        }
        json.EndArray();
        json.Key("segmentDesigns").BeginArray();
        for (int32_t i = 0; i < segments.GetCount(); ++i) {
            const CSegmentDesign* design = segments.GetAt(i);
            json.BeginObject()
                .Field("name", design->GetName())
                .Field("start", design->GetSegment()->GetStart())
                .Field("end", design->GetSegment()->GetEnd())
                .Field("ratio", design->GetSegment()->GetRatio())
                .Field("tempo", design->GetTempo())
                .Field("normalization", design->GetNormalization())
                .EndObject();
        }
        json.EndArray();
        JsonDesigns(json, "mixInDesigns", song->GetMixInDesigns());
        JsonDesigns(json, "mixOutDesigns", song->GetMixOutDesigns());
        JsonDesigns(json, "withinSongDesigns", song->GetWithinSongDesigns());
        json.EndObject();
        std::printf("%s\n", json.Text().c_str());
        return 0;
    }
    std::printf("Title:          %s\nArtist:         %s\nMixer:          %s\nAlbum:          %s\n", song->GetTitle(),
                song->GetArtist(), song->GetMixer(), song->GetAlbum());
    std::printf("Local path:     %s\nArchive path:   %s\nArchive name:   %s\n", song->GetLocalPath(),
                song->GetArchivePath(), song->GetArchiveName());
    std::printf("Tempo:          %.3f\nType:           %s, genre %s (0x%04X)\nPrivate:        %s\n", song->GetTempo(),
                KindName(song->GetType()), GenreName(context.config, song->GetGenre()).c_str(),
                static_cast<unsigned>(song->GetType()), song->IsPrivate() ? "yes" : "no");
    std::printf("Cue points: %d\n", points.GetCount());
    for (int32_t i = 0; i < points.GetCount(); ++i) {
        const CMatchPoint* point = points.GetAt(i);
        const char* typeName = MatchPointTypeName(point->GetType());
        std::printf("  %-12s %10u (%.3f s)  \"%s\" tempo %.3f\n",
                    typeName ? typeName : std::to_string(point->GetType()).c_str(), point->GetPosition(),
                    point->GetPosition() / 44100.0, point->GetLabel(), point->GetTempo());
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

void CheckLength(const std::string& value, size_t maximum, const char* what) {
    if (value.size() > maximum)
        throw UsageError(std::string(what) + " holds at most " + std::to_string(maximum) + " characters");
}

bool ParseSwitch(const std::string& text) {
    if (text == "1" || text == "yes" || text == "true" || text == "on") return true;
    if (text == "0" || text == "no" || text == "false" || text == "off") return false;
    throw UsageError("a switch is on or off (1/0, yes/no, true/false)");
}

int Set(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(3, 3);
    const std::string& field = args.Positional(1, "FIELD");
    const std::string& value = args.Positional(2, "VALUE");
    Library library(context);
    RefPtr<CSongProfile> stored = FindSong(library, args.Positional(0, "KEY"));
    RefPtr<CSongProfile> song(stored->Clone());
    const int32_t kinds = CSongProfile::kTypeSong | CSongProfile::kTypeSample | CSongProfile::kTypeBeats |
                          CSongProfile::kTypeAcapella;
    if (field == "title") {
        CheckLength(value, 90, "the title");
        if (value.empty()) throw CommandFailure("Song title must be given");
        song->SetTitle(value);
    } else if (field == "artist") {
        CheckLength(value, 95, "the artist");
        song->SetArtist(value);
    } else if (field == "mixer") {
        CheckLength(value, 90, "the mixer");
        song->SetMixer(value);
    } else if (field == "album") {
        CheckLength(value, 95, "the album");
        song->SetAlbum(value);
    } else if (field == "tempo") {
        auto tempo = ParseReal(value);
        if (!tempo || !(*tempo > 0) || *tempo > 1000) throw UsageError("the tempo is a number of beats per minute");
        song->SetTempo(*tempo);
    } else if (field == "type") {
        int32_t kind;
        if (value == "song") kind = CSongProfile::kTypeSong;
        else if (value == "sample") kind = CSongProfile::kTypeSample;
        else if (value == "beats") kind = CSongProfile::kTypeBeats;
        else if (value == "acapella") kind = CSongProfile::kTypeAcapella;
        else throw UsageError("the type is song, sample, beats or acapella");
        song->SetType((song->GetType() & ~kinds) | kind);
    } else if (field == "genre") {
        int32_t id = -1;
        const GenrePresets& genres = context.config.GetGenrePresets();
        for (int32_t i = 0; i < genres.GetCount(); ++i)
            if (value == genres.GetAt(i)->GetName()) id = genres.GetAt(i)->GetId();
        if (id < 0) {
            auto number = ParseInteger(value);
            if (!number || *number < 0 || *number > 255) throw UsageError("no genre \"" + value + "\"");
            id = static_cast<int32_t>(*number);
        }
        song->SetType((song->GetType() & ~CSongProfile::kGenreMask) | (id & CSongProfile::kGenreMask));
    } else if (field == "private") {
        song->SetPrivate(ParseSwitch(value));
    } else if (field == "archive-path") {
        if (value.size() > 254) throw CommandFailure(kPathTooLong);
        song->SetArchivePath(value);
    } else if (field == "archive-name") {
        CheckLength(value, 49, "the archive name");
        song->SetArchiveName(value);
    } else {
        throw UsageError("FIELD is title, artist, mixer, album, tempo, type, genre, private, archive-path or "
                         "archive-name");
    }
    // A change between song and sample moves the profile to the other store:
    // stored there first, so that a failure never leaves it in neither.
    const bool wasSample = stored->IsSample();
    const bool storedOk = song->IsSample() ? library.database.PutSample(*song) : library.database.PutSong(*song);
    if (!storedOk) throw CommandFailure("could not store " + std::string(song->GetKey()));
    if (wasSample != song->IsSample()) {
        bool removed = wasSample ? library.database.RemoveSample(*stored) : library.database.RemoveSong(*stored);
        if (!removed) throw CommandFailure("stored, but the old record could not be removed");
    }
    std::printf("%s: %s = %s\n", song->GetKey(), field.c_str(), value.c_str());
    return 0;
}

int Remove(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(1, 1);
    Library library(context);
    RefPtr<CSongProfile> song = FindSong(library, args.Positional(0, "KEY"));
    const bool removed = library.database.RemoveSong(*song) || library.database.RemoveSample(*song);
    if (!removed) throw CommandFailure("could not remove " + std::string(song->GetKey()));
    // The latest titles forget it now; their file follows with the next addition.
    library.recent.RemoveTitle(song->GetKey());
    std::printf("removed %s\n", song->GetKey());
    return 0;
}

int Compact(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(0, 0);
    Library library(context);
    if (context.ui.MessageBox("Are you sure?", "Compact Database", MessageButtons::YesNo, MessageIcon::Question) !=
        MessageAnswer::Yes)
        return 1;
    if (!library.database.CompactDatabase()) throw CommandFailure("the database could not be compacted");
    std::printf("compacted: %d songs\n", library.database.GetSongCount());
    return 0;
}

int Category(CommandContext& context, const std::vector<std::string>& words) {
    if (words.empty()) throw UsageError("missing category command");
    const std::string verb = words[0];
    Arguments args(std::vector<std::string>(words.begin() + 1, words.end()), {"--sort"}, {"--json"});
    Library library(context);
    CMusicDatabase& db = library.database;
    auto name = [&] {
        const std::string& text = args.Positional(0, "NAME");
        if (!CRecordStore::IsValidCategoryName(text)) throw UsageError("a category name is not empty, has no '/' and does not start with '.'");
        return text;
    };
    if (verb == "add") {
        args.ExpectPositionals(1, 1);
        if (!db.CreateCategory(name())) throw CommandFailure("could not create the category");
        return 0;
    }
    if (verb == "remove") {
        args.ExpectPositionals(1, 1);
        if (!db.DeleteCategory(name())) throw CommandFailure("no category \"" + name() + "\"");
        return 0;
    }
    if (verb == "list") {
        args.ExpectPositionals(0, 1);
        if (args.Positionals().empty()) {
            for (const auto& category : db.CategoryNames()) std::printf("%s\n", category.c_str());
            return 0;
        }
        if (!db.CategoryExists(name())) throw CommandFailure("no category \"" + name() + "\"");
        for (const auto& key : db.ListCategory(name(), SortOption(args))) std::printf("%s\n", key.c_str());
        return 0;
    }
    if (verb == "add-song" || verb == "remove-song") {
        args.ExpectPositionals(2, 2);
        if (!db.CategoryExists(name())) throw CommandFailure("no category \"" + name() + "\"");
        if (verb == "add-song") {
            RefPtr<CSongProfile> song = FindSong(library, args.Positional(1, "KEY"));
            if (song->IsSample()) throw CommandFailure("categories hold songs, not samples");
            if (!db.AddToCategory(name(), song->GetKey())) throw CommandFailure("could not add to the category");
        } else if (!db.RemoveFromCategory(name(), args.Positional(1, "KEY")) &&
                   !db.RemoveFromCategory(name(), AbsolutePath(args.Positional(1, "KEY")))) {
            throw CommandFailure("the song is not in the category");
        }
        return 0;
    }
    throw UsageError("unknown category command \"" + verb + "\"");
}

}  // namespace

int RunDbCommand(CommandContext& context) {
    if (context.words.empty()) throw UsageError("missing db command");
    const std::string verb = context.words[0];
    std::vector<std::string> rest(context.words.begin() + 1, context.words.end());
    if (verb == "add") return Add(context, Arguments(rest, {}, {}));
    if (verb == "list") return List(context, Arguments(rest, {"--sort", "--category"}, {"--latest", "--json"}));
    if (verb == "show") return Show(context, Arguments(rest, {}, {"--json"}));
    if (verb == "set") return Set(context, Arguments(rest, {}, {}));
    if (verb == "remove") return Remove(context, Arguments(rest, {}, {}));
    if (verb == "compact") return Compact(context, Arguments(rest, {}, {}));
    if (verb == "category") return Category(context, rest);
    if (verb == "update") return RunDbUpdateCommand(context);
    throw UsageError("unknown db command \"" + verb + "\"");
}

}  // namespace vantor::cli

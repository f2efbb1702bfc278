// vantor playlist ...: playlist files (".plt") edited through the playlist
// editor's commands, with songs looked up in the program directory's database.
#include <cstdio>
#include <filesystem>
#include <string>

#include "arguments.h"
#include "command_context.h"
#include "views/playlist_view.h"
#include "model/set_file.h"
#include "platform/file_io.h"
#include "platform/json_writer.h"

namespace vantor::cli {

namespace {

struct Editor {
    explicit Editor(CommandContext& context) : view(database, context.ui) {
        if (!database.Open(context.config.GetProgramDirectory()))
            throw CommandFailure("cannot open the music database in " + context.config.GetProgramDirectory());
    }
    void Open(const std::string& path) {
        if (!view.Open(path)) throw CommandFailure("cannot read the playlist " + path);
    }
    void Save() {
        if (!view.Save()) throw CommandFailure("cannot write the playlist " + view.GetPath());
    }
    CMusicDatabase database;
    CPlaylistView view;
};

// Entries are numbered from 1 on the command line.
int32_t EntryNumber(const Arguments& args, size_t index, const CPlaylistView& view) {
    auto number = ParseInteger(args.Positional(index, "N"));
    if (!number || *number < 1 || *number > view.GetPlaylist().GetCount())
        throw UsageError("N is an entry number from 1 to " + std::to_string(view.GetPlaylist().GetCount()));
    return static_cast<int32_t>(*number - 1);
}

int New(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(1, 1);
    const std::string& path = args.Positional(0, "FILE");
    if (FileExists(path)) {
        auto answer = context.ui.MessageBox(path + " already exists.\nDo you want to replace it?", "Save As",
                                            MessageButtons::YesNo, MessageIcon::Exclamation);
        if (answer != MessageAnswer::Yes) throw CommandFailure("not replaced: " + path);
    }
    Editor editor(context);
    editor.view.New();
    if (!editor.view.SaveAsPath(path)) throw CommandFailure("cannot write the playlist " + path);
    std::printf("%s: new playlist\n", path.c_str());
    return 0;
}

int Add(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(2, 2);
    Editor editor(context);
    editor.Open(args.Positional(0, "FILE"));
    std::string key = args.Positional(1, "KEY");
    if (!editor.database.GetSong(key)) {
        key = std::filesystem::absolute(key).lexically_normal().string();
        if (!editor.database.GetSong(key)) throw CommandFailure("no song with the key " + args.Positional(1, "KEY"));
    }
    int32_t before = -1;
    if (auto number = args.IntOption("--before")) {
        if (*number < 1) throw UsageError("--before is an entry number from 1");
        before = static_cast<int32_t>(std::min<int64_t>(*number - 1, INT32_MAX));
    }
    if (!editor.view.AddSong(key, before)) return 1;
    editor.Save();
    std::printf("added %s, total %s\n", key.c_str(), editor.view.GetTotalTime().c_str());
    return 0;
}

int Remove(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(2, 2);
    Editor editor(context);
    editor.Open(args.Positional(0, "FILE"));
    editor.view.Remove(EntryNumber(args, 1, editor.view));
    editor.Save();
    std::printf("removed, total %s\n", editor.view.GetTotalTime().c_str());
    return 0;
}

int Move(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(3, 3);
    Editor editor(context);
    editor.Open(args.Positional(0, "FILE"));
    const int32_t index = EntryNumber(args, 1, editor.view);
    const std::string& direction = args.Positional(2, "up|down");
    int32_t moved;
    if (direction == "up") moved = editor.view.MoveUp(index);
    else if (direction == "down") moved = editor.view.MoveDown(index);
    else throw UsageError("the direction is up or down");
    if (moved < 0) throw CommandFailure("the entry cannot move " + direction);
    editor.Save();
    std::printf("entry %d is now entry %d\n", index + 1, moved + 1);
    return 0;
}

int Mark(CommandContext& context, const Arguments& args) {
    Editor editor(context);
    if (args.Flag("--none")) {
        args.ExpectPositionals(1, 1);
        editor.Open(args.Positional(0, "FILE"));
        editor.view.Mark(nullptr);
    } else {
        args.ExpectPositionals(2, 2);
        editor.Open(args.Positional(0, "FILE"));
        RefPtr<CMusicSet> set = ReadSetFile(args.Positional(1, "SET"));
        if (!set) throw CommandFailure("cannot read the set " + args.Positional(1, "SET"));
        editor.view.Mark(set.get());
    }
    editor.Save();
    int32_t marked = 0;
    for (int32_t i = 0; i < editor.view.GetPlaylist().GetCount(); ++i)
        marked += editor.view.GetPlaylist().GetAt(i)->IsInSet() ? 1 : 0;
    std::printf("%d entr%s in the set\n", marked, marked == 1 ? "y" : "ies");
    return 0;
}

int Show(CommandContext& context, const Arguments& args) {
    args.ExpectPositionals(1, 1);
    Editor editor(context);
    editor.Open(args.Positional(0, "FILE"));
    auto rows = editor.view.GetRows();
    if (args.Flag("--json")) {
        JsonWriter json;
        json.BeginObject().Field("title", editor.view.GetTitle()).Field("totalTime", editor.view.GetTotalTime());
        json.Field("totalSeconds", editor.view.GetTotalSeconds()).Key("entries").BeginArray();
        for (int32_t i = 0; i < editor.view.GetPlaylist().GetCount(); ++i) {
            const CPlayListEntry* entry = editor.view.GetPlaylist().GetAt(i);
            json.BeginObject().Field("number", i + 1).Field("key", entry->GetKey()).Field("inSet", entry->IsInSet());
            for (const auto& row : rows) {
                if (row.entry != i) continue;
                json.Field("title", row.title).Field("artist", row.artist).Field("mixer", row.mixer);
                json.Field("tempo", row.tempo).Field("offline", row.offline == "X");
            }
            json.EndObject();
        }
        json.EndArray().EndObject();
        std::printf("%s\n", json.Text().c_str());
        return 0;
    }
    std::printf("%s\n%-4s %-30s %-22s %-16s %9s  %-1s %-1s\n", editor.view.GetTitle().c_str(), "#", "Title", "Artist",
                "Mixer", "Tempo", "O", "P");
    for (const auto& row : rows)
        std::printf("%-4d %-30s %-22s %-16s %9s  %-1s %-1s\n", row.entry + 1, row.title.c_str(), row.artist.c_str(),
                    row.mixer.c_str(), row.tempo.c_str(), row.offline.c_str(), row.inSet.c_str());
    const int32_t hidden = editor.view.GetPlaylist().GetCount() - static_cast<int32_t>(rows.size());
    if (hidden > 0) std::printf("(%d entr%s not in the database)\n", hidden, hidden == 1 ? "y" : "ies");
    std::printf("Total time: %s\n", editor.view.GetTotalTime().c_str());
    return 0;
}

}  // namespace

int RunPlaylistCommand(CommandContext& context) {
    if (context.words.empty()) throw UsageError("missing playlist command");
    const std::string verb = context.words[0];
    std::vector<std::string> rest(context.words.begin() + 1, context.words.end());
    if (verb == "new") return New(context, Arguments(rest, {}, {}));
    if (verb == "add") return Add(context, Arguments(rest, {"--before"}, {}));
    if (verb == "remove") return Remove(context, Arguments(rest, {}, {}));
    if (verb == "move") return Move(context, Arguments(rest, {}, {}));
    if (verb == "mark") return Mark(context, Arguments(rest, {}, {"--none"}));
    if (verb == "show") return Show(context, Arguments(rest, {}, {"--json"}));
    throw UsageError("unknown playlist command \"" + verb + "\"");
}

}  // namespace vantor::cli

// vantor playlist ...: playlist files (".plt") edited through the playlist
// editor's commands, with songs looked up in the program directory's database.
#include <cstdio>
#include <memory>
#include <string>

#include "command_context.h"
#include "json_output.h"
#include "model/set_file.h"
#include "views/playlist_view.h"
#include "views/replace_question.h"

namespace vantor::cli {

namespace {

// The playlist editor on one file.
class Editor {
public:
    explicit Editor(CommandContext& context) : m_view(context.Database(), context.ui) {}
    CPlaylistView& View() { return m_view; }
    void Open(const std::string& path) {
        if (!m_view.Open(path)) throw CommandFailure("cannot read the playlist " + path);
    }
    void Save() {
        if (!m_view.Save()) throw CommandFailure("cannot write the playlist " + m_view.GetPath());
    }
    // Entries are numbered from 1 on the command line.
    int32_t Entry(int64_t number) const {
        const int32_t count = m_view.GetPlaylist().GetCount();
        if (number < 1 || number > count) throw UsageError("N is an entry number from 1 to " + std::to_string(count));
        return static_cast<int32_t>(number - 1);
    }

private:
    CPlaylistView m_view;
};

struct Options {
    std::string path;
    std::string key;
    int64_t number = 0;
    std::optional<int64_t> before;
    std::string direction;
    std::string set;
    bool none = false;
    bool json = false;
};

int New(CommandContext& context, const Options& o) {
    if (!ConfirmReplace(context.ui, o.path)) throw CommandFailure("not replaced: " + o.path);
    Editor editor(context);
    editor.View().New();
    if (!editor.View().SaveAsPath(o.path)) throw CommandFailure("cannot write the playlist " + o.path);
    std::printf("%s: new playlist\n", o.path.c_str());
    return 0;
}

int Add(CommandContext& context, const Options& o) {
    Editor editor(context);
    editor.Open(o.path);
    RefPtr<CSongProfile> song = FindStoredSong(context.Database(), o.key);
    if (!song) throw CommandFailure("no song with the key " + o.key);
    const int32_t before = o.before ? static_cast<int32_t>(std::min<int64_t>(*o.before - 1, INT32_MAX)) : -1;
    if (!editor.View().AddSong(song->GetKey(), before)) return 1;
    editor.Save();
    std::printf("added %s, total %s\n", song->GetKey(), editor.View().GetTotalTime().c_str());
    return 0;
}

int Remove(CommandContext& context, const Options& o) {
    Editor editor(context);
    editor.Open(o.path);
    editor.View().Remove(editor.Entry(o.number));
    editor.Save();
    std::printf("removed, total %s\n", editor.View().GetTotalTime().c_str());
    return 0;
}

int Move(CommandContext& context, const Options& o) {
    Editor editor(context);
    editor.Open(o.path);
    const int32_t index = editor.Entry(o.number);
    const int32_t moved = o.direction == "up" ? editor.View().MoveUp(index) : editor.View().MoveDown(index);
    if (moved < 0) throw CommandFailure("the entry cannot move " + o.direction);
    editor.Save();
    std::printf("entry %d is now entry %d\n", index + 1, moved + 1);
    return 0;
}

int Mark(CommandContext& context, const Options& o) {
    if (o.none == !o.set.empty()) throw UsageError("give the set or --none");
    Editor editor(context);
    editor.Open(o.path);
    RefPtr<CMusicSet> set;
    if (!o.none) {
        set = ReadSetFile(o.set);
        if (!set) throw CommandFailure("cannot read the set " + o.set);
    }
    editor.View().Mark(set.get());
    editor.Save();
    int32_t marked = 0;
    for (int32_t i = 0; i < editor.View().GetPlaylist().GetCount(); ++i)
        marked += editor.View().GetPlaylist().GetAt(i)->IsInSet() ? 1 : 0;
    std::printf("%d entr%s in the set\n", marked, marked == 1 ? "y" : "ies");
    return 0;
}

int Show(CommandContext& context, const Options& o) {
    Editor editor(context);
    editor.Open(o.path);
    CPlaylistView& view = editor.View();
    const auto rows = view.GetRows();
    if (o.json) {
        Json entries = Json::array();
        for (int32_t i = 0; i < view.GetPlaylist().GetCount(); ++i) {
            const CPlayListEntry* entry = view.GetPlaylist().GetAt(i);
            Json json = {{"number", i + 1}, {"key", entry->GetKey()}, {"inSet", entry->IsInSet()}};
            for (const auto& row : rows) {
                if (row.entry != i) continue;
                json["title"] = row.title;
                json["artist"] = row.artist;
                json["mixer"] = row.mixer;
                json["tempo"] = row.tempo;
                json["offline"] = row.offline == "X";
            }
            entries.push_back(json);
        }
        PrintJson({{"title", view.GetTitle()},
                   {"totalTime", view.GetTotalTime()},
                   {"totalSeconds", JsonReal(view.GetTotalSeconds())},
                   {"entries", entries}});
        return 0;
    }
    std::printf("%s\n%-4s %-30s %-22s %-16s %9s  %-1s %-1s\n", view.GetTitle().c_str(), "#", "Title", "Artist",
                "Mixer", "Tempo", "O", "P");
    for (const auto& row : rows)
        std::printf("%-4d %-30s %-22s %-16s %9s  %-1s %-1s\n", row.entry + 1, row.title.c_str(), row.artist.c_str(),
                    row.mixer.c_str(), row.tempo.c_str(), row.offline.c_str(), row.inSet.c_str());
    const int32_t hidden = view.GetPlaylist().GetCount() - static_cast<int32_t>(rows.size());
    if (hidden > 0) std::printf("(%d entr%s not in the database)\n", hidden, hidden == 1 ? "y" : "ies");
    std::printf("Total time: %s\n", view.GetTotalTime().c_str());
    return 0;
}

}  // namespace

void AddPlaylistCommands(CLI::App& app, CommandContext& context) {
    CLI::App* group = app.add_subcommand("playlist", "Playlist files (.plt)");
    group->require_subcommand(1);
    auto o = std::make_shared<Options>();
    auto command = [&](const char* name, const char* description, int (*run)(CommandContext&, const Options&)) {
        auto* cmd = group->add_subcommand(name, description);
        cmd->add_option("file", o->path, "the playlist file (.plt)")->required();
        OnRun(cmd, context, [&context, o, run] { return run(context, *o); });
        return cmd;
    };
    command("new", "Create an empty playlist (asks before replacing a file)", New);
    auto* add = command("add", "Add a database song", Add);
    add->add_option("key", o->key, "the song's key")->required();
    add->add_option("--before", o->before, "insert before entry N (from 1); default: at the end")
        ->transform(DecimalInteger())
        ->check(CLI::PositiveNumber);
    auto* remove = command("remove", "Remove an entry", Remove);
    remove->add_option("n", o->number, "the entry's number, from 1")->required()->transform(DecimalInteger());
    auto* move = command("move", "Move an entry one place up or down", Move);
    move->add_option("n", o->number, "the entry's number, from 1")->required()->transform(DecimalInteger());
    move->add_option("direction", o->direction, "up or down")->required()->check(CLI::IsMember({"up", "down"}));
    auto* mark = command("mark", "Mark the entries that a set uses", Mark);
    auto* set = mark->add_option("set", o->set, "the set file");
    mark->add_flag("--none", o->none, "clear every mark")->excludes(set);
    auto* show = command("show", "List the entries with their songs and the total time", Show);
    show->add_flag("--json", o->json, "print JSON");
}

}  // namespace vantor::cli

// vantor category ...: the category editor ("Edit Categories"). Songs join a
// category as they do when dragged onto the editor; names are checked and
// refused with the editor's messages.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_context.h"
#include "model/segment_design.h"
#include "views/edit_categories_view.h"

namespace vantor::cli {

namespace {

// Opens the editor with the named category selected; a name it does not
// list ends the command.
void SelectListed(CEditCategoriesView& editor, const std::string& name) {
    editor.Open();
    const auto& names = editor.GetNames();
    if (std::find(names.begin(), names.end(), name) == names.end())
        throw CommandFailure("no category \"" + name + "\"");
    editor.Select(name);
}

// The entry's row in the selected category, by key or by the file's path.
int EntryIndex(const CEditCategoriesView& editor, const std::string& key) {
    const auto& entries = editor.GetEntries();
    for (const std::string& candidate : {key, AbsolutePath(key)}) {
        const auto it = std::find(entries.begin(), entries.end(), candidate);
        if (it != entries.end()) return static_cast<int>(it - entries.begin());
    }
    return -1;
}

int List(CommandContext& context, const std::string& name, bool json) {
    CMusicDatabase& database = context.ReadDatabase();
    CEditCategoriesView editor(context.ui, database);
    if (name.empty()) {
        editor.Open();
        if (json) {
            PrintJson(Json(editor.GetNames()));
            return 0;
        }
        for (const std::string& category : editor.GetNames()) std::printf("%s\n", category.c_str());
        return 0;
    }
    SelectListed(editor, name);
    if (json) {
        Json entries = Json::array();
        for (const std::string& key : editor.GetEntries()) {
            RefPtr<CSongProfile> song = database.GetSong(key);
            entries.push_back({{"key", key},
                               {"title", song ? song->GetTitle() : ""},
                               {"artist", song ? song->GetArtist() : ""}});
        }
        PrintJson({{"name", name}, {"entries", entries}});
        return 0;
    }
    for (const std::string& key : editor.GetEntries()) {
        RefPtr<CSongProfile> song = database.GetSong(key);
        std::printf("%-30s  %-24s  %s\n", song ? song->GetTitle() : "", song ? song->GetArtist() : "", key.c_str());
    }
    std::printf("%s\n", editor.GetTotalText().c_str());
    return 0;
}

int Create(CommandContext& context, const std::string& name) {
    CEditCategoriesView editor(context.ui, context.Database());
    editor.Open();
    if (!editor.Add(name)) return 1;
    std::printf("created %s\n", name.c_str());
    return 0;
}

int Remove(CommandContext& context, const std::string& name) {
    CEditCategoriesView editor(context.ui, context.Database());
    SelectListed(editor, name);
    if (!editor.Remove(name)) return 1;
    std::printf("removed %s\n", name.c_str());
    return 0;
}

// Each song is dropped on the editor as the music database window drags it.
int AddSongs(CommandContext& context, const std::string& name, const std::vector<std::string>& keys) {
    CMusicDatabase& database = context.Database();
    CEditCategoriesView editor(context.ui, database);
    SelectListed(editor, name);
    int exitCode = 0;
    bool missing = false;
    for (const RefPtr<CSongProfile>& song : FindStoredSongs(database, keys, missing)) {
        auto design = MakeRef<CSegmentDesign>();
        design->SetName(song->GetTitle());
        design->SetTempo(song->GetTempo());
        auto segment = MakeRef<CSegment>();
        segment->SetSongKey(song->GetKey());
        segment->SetSongTitle(song->GetTitle());
        design->SetSegment(segment.get());
        if (!editor.DropSegmentDesign(*design, CEditCategoriesView::kDragSegmentDesign)) {
            std::fprintf(stderr, "could not add %s to %s\n", song->GetKey(), name.c_str());
            exitCode = 1;
            continue;
        }
        std::printf("added %s to %s\n", song->GetKey(), name.c_str());
    }
    std::printf("%s\n", editor.GetTotalText().c_str());
    return missing ? 1 : exitCode;
}

int DropSongs(CommandContext& context, const std::string& name, const std::vector<std::string>& keys) {
    CEditCategoriesView editor(context.ui, context.Database());
    SelectListed(editor, name);
    int exitCode = 0;
    for (const std::string& key : keys) {
        const int index = EntryIndex(editor, key);
        if (index < 0 || !editor.RemoveEntry(index)) {
            std::fprintf(stderr, "%s is not in %s\n", key.c_str(), name.c_str());
            exitCode = 1;
            continue;
        }
        std::printf("dropped %s from %s\n", key.c_str(), name.c_str());
    }
    std::printf("%s\n", editor.GetTotalText().c_str());
    return exitCode;
}

int Info(CommandContext& context, const std::string& name, const std::string& key) {
    CEditCategoriesView editor(context.ui, context.ReadDatabase());
    SelectListed(editor, name);
    const int index = EntryIndex(editor, key);
    if (index < 0) throw CommandFailure(key + " is not in " + name);
    editor.ShowInfo(index);
    return 0;
}

}  // namespace

void AddCategoryCommands(CLI::App& app, CommandContext& context) {
    CLI::App* group = app.add_subcommand("category", "The category editor: named lists of songs");
    group->require_subcommand(1);
    auto name = std::make_shared<std::string>();
    auto keys = std::make_shared<std::vector<std::string>>();
    auto json = std::make_shared<bool>(false);
    {
        auto* cmd = group->add_subcommand("list", "List the categories, or the entries of one");
        cmd->add_option("name", *name, "the category");
        cmd->add_flag("--json", *json, "print JSON");
        OnRun(cmd, context, [&context, name, json] { return List(context, *name, *json); });
    }
    {
        auto* cmd = group->add_subcommand("create", "Create a category");
        cmd->add_option("name", *name, "the new category's name")->required();
        OnRun(cmd, context, [&context, name] { return Create(context, *name); });
    }
    {
        auto* cmd = group->add_subcommand("remove", "Delete a category, after asking (its songs stay)");
        cmd->add_option("name", *name, "the category")->required();
        OnRun(cmd, context, [&context, name] { return Remove(context, *name); });
    }
    {
        auto* cmd = group->add_subcommand("add", "Put songs into a category");
        cmd->add_option("name", *name, "the category")->required();
        cmd->add_option("keys", *keys, "the songs' keys")->required();
        OnRun(cmd, context, [&context, name, keys] { return AddSongs(context, *name, *keys); });
    }
    {
        auto* cmd = group->add_subcommand("drop", "Take songs out of a category");
        cmd->add_option("name", *name, "the category")->required();
        cmd->add_option("keys", *keys, "the songs' keys")->required();
        OnRun(cmd, context, [&context, name, keys] { return DropSongs(context, *name, *keys); });
    }
    {
        auto* cmd = group->add_subcommand("info", "Show an entry's name, artist, mixer and tempo (Entry Info)");
        cmd->add_option("name", *name, "the category")->required();
        cmd->add_option("key", *keys, "the song's key")->required()->expected(1);
        OnRun(cmd, context, [&context, name, keys] { return Info(context, *name, keys->front()); });
    }
}

}  // namespace vantor::cli

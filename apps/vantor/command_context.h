#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <vector>
#include <stdexcept>
#include <string>

#include "config/configuration.h"
#include "database/music_database.h"
#include "engine/effect_manager_impl.h"
#include "json_output.h"
#include "model/recent_title_list.h"
#include "platform/console_user_interface.h"
#include "platform/device_id.h"
#include "platform/result.h"

namespace vantor::cli {

// A wrong command line found after parsing (a track the set does not have):
// the message is printed and the program exits with 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failed operation: the message is printed and the program exits with 1.
class CommandFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What every command works with: the console, the configuration of the
// program directory, and the database, effects and latest titles, each
// opened once on first use. Parsing chooses the action; main runs it once
// the configuration is loaded.
class CommandContext {
public:
    CommandContext(ConsoleUserInterface& ui, CConfiguration& config) : ui(ui), config(config) {}

    ConsoleUserInterface& ui;
    CConfiguration& config;
    std::function<int()> action;

    // The music database of the program directory, open for changes; a
    // failure (a directory that cannot be written) ends the command.
    CMusicDatabase& Database();
    // The same for commands that only read: open for reading only where it
    // cannot be opened for changes.
    CMusicDatabase& ReadDatabase();
    // The effect types of the configured effects directory.
    CEffectManagerImpl& Effects();
    // The latest titles beside the database, with the configured limit.
    CRecentTitleList& RecentTitles();

    // Tells the user why the operation was refused; the command's exit code.
    int Refused(const Refusal& refusal);

private:
    // Opens the database; null, with the reason in error, on a failure.
    std::unique_ptr<CMusicDatabase> OpenDatabase(StoreAccess access, std::string& error);

    std::unique_ptr<CMusicDatabase> m_database;
    std::unique_ptr<CEffectManagerImpl> m_effects;
    std::unique_ptr<CRecentTitleList> m_recent;
};

// Makes the subcommand run the action once parsing is done.
void OnRun(CLI::App* command, CommandContext& context, std::function<int()> action);

// Whole numbers in decimal only: "010" is ten, "0x10" is refused.
const CLI::Validator& DecimalInteger();
// A switch: on/off, yes/no, true/false, 1/0.
bool ParseSwitch(const std::string& text);
extern const CLI::Validator kSwitch;

// A device identifier as 32 hexadecimal digits.
std::string DeviceIdHex(const DeviceId& id);
// "default" (all zero), "null" when allowNull (the silent device), or 32
// hexadecimal digits; a usage error otherwise.
DeviceId ParseDeviceId(const std::string& text, bool allowNull);

// Seconds on the command line to frames at the set's rate.
uint32_t SecondsToFrames(double seconds, int32_t sampleRate);

// The song stored under the key, or under the file's absolute path; null when neither.
RefPtr<CSongProfile> FindStoredSong(CMusicDatabase& database, const std::string& keyOrFile);
// The stored songs of the keys, in their order; a key that finds none is named
// on stderr and sets missing.
std::vector<RefPtr<CSongProfile>> FindStoredSongs(CMusicDatabase& database, const std::vector<std::string>& keys,
                                                  bool& missing);
std::string AbsolutePath(const std::string& path);

// The songs of the keys as listings show them: private ones left out when the
// configuration hides them; keys that do not read are counted in unreadable.
std::vector<RefPtr<CSongProfile>> ListedSongs(CommandContext& context, CMusicDatabase& database,
                                              const std::vector<std::string>& keys, int& unreadable);
// Prints songs as db list does (title, artist, mixer, tempo, key; --json with
// every listed field); the exit code.
int PrintSongs(CommandContext& context, const std::vector<RefPtr<CSongProfile>>& songs, bool json);
// A whole profile as db show --json prints it.
Json JsonProfile(const CConfiguration& config, const CSongProfile& song);

// The command groups, one file each; main.cpp adds them.
void AddSetCommands(CLI::App& app, CommandContext& context);
void AddConfigCommands(CLI::App& app, CommandContext& context);
void AddDbCommands(CLI::App& app, CommandContext& context);
void AddPlaylistCommands(CLI::App& app, CommandContext& context);
void AddMediaCommands(CLI::App& app, CommandContext& context);
void AddEffectsCommands(CLI::App& app, CommandContext& context);
void AddDevicesCommands(CLI::App& app, CommandContext& context);
void AddPlaybackCommands(CLI::App& app, CommandContext& context);
void AddAnalysisCommands(CLI::App& app, CommandContext& context);
void AddEditCommand(CLI::App& app, CommandContext& context);
void AddCategoryCommands(CLI::App& app, CommandContext& context);
void AddPresetsCommands(CLI::App& app, CommandContext& context);
void AddDesignCommands(CLI::App& app, CommandContext& context);
// gui: replaces itself by the desktop workstation.
void AddGuiCommand(CLI::App& app, CommandContext& context);
void AddServerCommands(CLI::App& app, CommandContext& context);
void AddMidiCommands(CLI::App& app, CommandContext& context);
void AddSampleCommands(CLI::App& app, CommandContext& context);
void AddMixerCommands(CLI::App& app, CommandContext& context);

// What `vantor play --server` starts on the Sound Server.
struct ServerPlayOptions {
    std::string set;
    double from = 0.0;
    std::vector<double> loop;
    std::optional<std::string> device;
    bool follow = false;
};
// Starts the server when none answers, plays the set there and returns, or
// with follow shows the position until Ctrl-C, which leaves it playing.
int PlayOnServer(CommandContext& context, const ServerPlayOptions& options);

// db add, load, unload and find, added to the db group.
void AddLibraryCommands(CLI::App* db, CommandContext& context);
// db edit, added to the db group.
void AddProfileEditCommand(CLI::App* db, CommandContext& context);

}  // namespace vantor::cli

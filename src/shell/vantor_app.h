#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "database/music_database.h"
#include "engine/effect_manager_impl.h"
#include "library/load_job.h"
#include "model/recent_title_list.h"
#include "platform/recent_file_list.h"
#include "platform/user_interface.h"
#include "server/link_in_use.h"
#include "shell/window_registry.h"
#include "views/set_audio.h"

namespace vantor {

class CAddBatchDialog;
class CAnalyzerView;
class CConfigurationDialog;
class CDatabaseUpdate;
class CEditCategoriesView;
class CFindMusicView;
class CLoadFilesView;
class CMIDIBindings;
class CMIDIInput;
class CSampleBank;
class CMixdownDialog;
class CMusicDatabaseView;
class CPlaylistView;
class CSetDocument;
class CSongProfileView;

// The main window as the application object sees it.
class IMainFrame {
public:
    virtual ~IMainFrame() = default;
    // False when the window could not be made; the program then ends.
    virtual bool Create() = 0;
    virtual void Show() = 0;
    // The six effect preset names, as the effect buttons' tool tips.
    virtual void SetEffectPresetTips(const std::vector<std::string>& names) = 0;
    // The "Recent Sets" entries of the File menu changed.
    virtual void SetRecentSets(const std::vector<std::string>& paths) = 0;
    // The names of sample slots 0 to 7, as the sample buttons' tool tips;
    // a button whose slot has no name is disabled.
    virtual void SetSampleTips(const std::vector<std::string>& names) = 0;
};

// What a new playlist editor opens: a playlist file, or an empty playlist.
struct PlaylistOpening {
    std::string path;
};

// The workstation's application object: start-up in its fixed order, the
// application commands of the menus, the views wired to the window
// registry, and the exit. The front end supplies the user interface, the
// main window and the document template that makes windows.
class CVantorApp {
public:
    static constexpr const char* kConfigurationFile = "Vantor.cfg";
    static constexpr const char* kRecentTitlesFile = "RECENT.lst";
    static constexpr const char* kRecentSetsFile = "RECENTSETS.lst";
    static constexpr size_t kRecentSets = 5;
    static constexpr const char* kSegmentDesignFormat = "VantorSegment Design";
    static constexpr const char* kSetClipFormat = "VantorSet Clip";
    static constexpr const char* kSetFilter = "set files (*.set)|*.set|playlist files (*.plt)|*.plt||";
    static constexpr const char* kAboutCaption = "About Vantor";
    static constexpr int kEffectPresets = 6;
    // The sample buttons trigger slots 0 to 7; slot 8 is the preview.
    static constexpr int32_t kSampleButtons = 8;

    CVantorApp(IUserInterface& ui, IMainFrame& frame);
    ~CVantorApp();
    CVantorApp(const CVantorApp&) = delete;
    CVantorApp& operator=(const CVantorApp&) = delete;

    // Start-up; false when the program is to end. arguments: the command
    // line after the program name (at most one set or playlist file).
    bool StartUp(const std::string& programDirectory, const std::vector<std::string>& arguments,
                 CWindowRegistry::DocumentTemplate documentTemplate);
    // Closing the main window: true when every window closed and the
    // application has exited.
    bool CloseMainWindow();

    // Application commands.
    void New();
    bool OpenSet();
    bool OpenPath(const std::string& path);
    bool OpenRecent(size_t index);
    void NewPlaylist();
    void ViewMusic();
    void Find();
    void LoadMusic();
    void EditCategories();
    // The Configuration dialog for the front end to show.
    std::unique_ptr<CConfigurationDialog> MakeConfigurationDialog();
    // Asks first; a running pass, or null when the user declined.
    std::unique_ptr<CDatabaseUpdate> UpdateDatabase();
    std::unique_ptr<CAddBatchDialog> MakeAddBatchDialog();
    std::vector<std::string> DecompressMp3();
    bool CompactDatabase();
    void About();
    std::unique_ptr<CMixdownDialog> MakeMixdownDialog();

    // The views of the windows, wired to the registry.
    std::unique_ptr<CMusicDatabaseView> MakeMusicDatabaseView();
    std::unique_ptr<CSongProfileView> MakeSongProfileView();
    std::unique_ptr<CAnalyzerView> MakeAnalyzerView();
    std::unique_ptr<CFindMusicView> MakeFindMusicView();
    std::unique_ptr<CEditCategoriesView> MakeEditCategoriesView();
    std::unique_ptr<CLoadFilesView> MakeLoadFilesView();
    std::unique_ptr<CPlaylistView> MakePlaylistView();

    // Hands a job to the music loader, opened first when none is open.
    void QueueLoad(LoadJob job);
    // Shows the keys in the music database window, opened first when none is.
    void ShowKeys(std::vector<std::string> keys);
    void ShowRefusal(const Refusal& refusal);

    // Work handed to the user interface thread from any thread; wake tells
    // the loop (it may be called from any thread).
    void PostToUserInterface(std::function<void()> call);
    void SetWake(std::function<void()> wake);
    // The user interface thread's turn: handed-over work, then posted
    // notifications. The number of items run.
    size_t RunPosted();

    IUserInterface& UserInterface() { return m_ui; }
    CConfiguration& Configuration() { return m_config; }
    CMusicDatabase& Database() { return m_database; }
    CEffectManagerImpl& Effects() { return m_effects; }
    CRecentTitleList& RecentTitles() { return m_recentTitles; }
    const RecentFileList& RecentSets() const { return m_recentSets; }
    CWindowRegistry& Registry() { return m_registry; }
    // The workstation's own sample bank, MIDI input and controller bindings
    // (null before start-up and after exit).
    CSampleBank* SampleBank() { return m_samples.get(); }
    CMIDIInput* MIDIInput() { return m_midiInput.get(); }
    CMIDIBindings* MIDIBindings() { return m_midiBindings.get(); }
    // Trigger sample 1 to 8 (slot 0 to 7): enabled when the slot has a name.
    bool IsTriggerSampleEnabled(int32_t slot) const;
    bool TriggerSample(int32_t slot);
    // The configured MIDI input device changed: the device is opened anew
    // and every binding moves to the new input table.
    void ReplaceMIDIInput();
    bool IsStarted() const { return m_started; }

    // The one link to the sound server shared by every set editor.
    LinkInUse& ServerLinkInUse() { return m_linkInUse; }
    // How a set editor's audio reaches the rest of the workstation: the
    // effects, the link in use, the MIDI input closed while the sound server
    // owns the controllers and opened again after (its bindings read anew
    // from their file), and the track effect bindings following the local
    // set player.
    SetAudioSetup MakeSetAudioSetup();
    // "Connect": reaches a sound server that plays on without an editor
    // (only while no set is open) and opens a set editor on its set; false
    // when nothing was opened. The new editor takes the connection with
    // TakeConnection.
    bool Connect();
    std::optional<ServerConnection> TakeConnection();

private:
    void OpenSetDocument(std::shared_ptr<CSetDocument> document);
    void RecentSetsChanged();
    void Exit();

    IUserInterface& m_ui;
    IMainFrame& m_frame;
    CConfiguration m_config;
    CRecentTitleList m_recentTitles;
    RecentFileList m_recentSets{kRecentSets};
    CMusicDatabase m_database;
    CEffectManagerImpl m_effects;
    CWindowRegistry m_registry;
    std::unique_ptr<CSampleBank> m_samples;
    std::unique_ptr<CMIDIInput> m_midiInput;
    std::unique_ptr<CMIDIBindings> m_midiBindings;
    LinkInUse m_linkInUse;
    std::optional<ServerConnection> m_connection;
    bool m_started = false;

    std::mutex m_callsLock;
    std::deque<std::function<void()>> m_calls;
    std::function<void()> m_wake;
};

}  // namespace vantor

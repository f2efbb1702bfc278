#include "shell/vantor_app.h"

#include "control/midi_bindings.h"
#include "control/midi_input.h"
#include "control/sample_bank.h"
#include "platform/clipboard.h"
#include "platform/file_io.h"
#include "views/add_batch_dialog.h"
#include "views/analyzer_view.h"
#include "views/configuration_dialog.h"
#include "views/database_update.h"
#include "views/decompress_mp3_files.h"
#include "views/edit_categories_view.h"
#include "views/find_music_view.h"
#include "views/load_files_view.h"
#include "views/mixdown_dialog.h"
#include "views/music_database_view.h"
#include "views/playlist_view.h"
#include "views/set_document.h"
#include "views/song_profile_view.h"

namespace vantor {

namespace {
constexpr const char* kAboutText =
    "Vantor\n\nA mix-design workstation: song profiles, sets of segments on a\n"
    "multi-track timeline, mixdown and live play.";
}  // namespace

CVantorApp::CVantorApp(IUserInterface& ui, IMainFrame& frame) : m_ui(ui), m_frame(frame) {}

CVantorApp::~CVantorApp() {
    if (m_started) Exit();
}

bool CVantorApp::StartUp(const std::string& programDirectory, const std::vector<std::string>& arguments,
                         CWindowRegistry::DocumentTemplate documentTemplate) {
    // Recent sets, configuration and latest titles of the program directory.
    m_config.SetDefaults();
    m_config.SetProgramDirectory(programDirectory);
    m_recentSets.Load(m_config.ProgramPath(kRecentSetsFile));
    m_config.Load(m_config.ProgramPath(kConfigurationFile));
    m_recentTitles.Load(m_config.ProgramPath(kRecentTitlesFile));
    m_recentTitles.SetLimit(m_config.GetMaxLatestTitles());

    if (!m_frame.Create()) return false;

    // The command line is read now but carried out only once the database
    // and the windows exist: a file opened earlier would find neither.
    std::optional<std::string> file;
    for (const auto& argument : arguments) {
        if (argument.empty()) continue;
        if (argument[0] == '-' || file) {
            m_ui.MessageBox("Unknown command line argument: " + argument, "Vantor", MessageButtons::Ok,
                            MessageIcon::Error);
            return false;
        }
        file = argument;
    }

    m_database.Open(m_config.GetProgramDirectory());
    m_effects.LoadEffectLibraries(m_config.GetEffectsDirectory());

    m_frame.Show();

    for (const auto& info : kWindowKinds)
        m_registry.Register(CWindowRegistry::kResource, info.kind, info.multiple, documentTemplate);

    Clipboard::Instance().RegisterFormat(kSegmentDesignFormat);
    Clipboard::Instance().RegisterFormat(kSetClipFormat);

    // The sample bank with its default presets, the MIDI input table with the
    // configured device, and the controller bindings read from their file.
    m_samples = std::make_unique<CSampleBank>(m_config.GetSetOutputDevice());
    m_samples->LoadPresets(m_config.ProgramPath(CSampleBank::kDefaultPresets));
    m_midiInput = std::make_unique<CMIDIInput>();
    if (Status opened = m_midiInput->OpenDevice(m_config.GetMidiInputDevice()); !opened) ShowRefusal(opened.Error());
    m_midiBindings = std::make_unique<CMIDIBindings>(*m_samples);
    m_midiBindings->Load(m_config.ProgramPath(CMIDIBindings::kFileName));
    m_midiBindings->SetInput(m_midiInput.get());

    std::vector<std::string> samples;
    for (int32_t slot = 0; slot < kSampleButtons; ++slot) samples.push_back(m_samples->GetSlotName(slot));
    m_frame.SetSampleTips(samples);
    std::vector<std::string> presets;
    for (int i = 0; i < kEffectPresets; ++i) presets.emplace_back(m_config.GetEffectPresetName(i));
    m_frame.SetEffectPresetTips(presets);
    m_frame.SetRecentSets(m_recentSets.Paths());
    m_started = true;

    if (file) OpenPath(*file);
    return true;
}

bool CVantorApp::CloseMainWindow() {
    if (!m_registry.CloseAll()) return false;
    Exit();
    return true;
}

void CVantorApp::Exit() {
    m_started = false;
    m_registry.DestroyAll();
    // The device first, so that no controller reaches the bindings as they
    // go; then the bindings, the input table and the bank.
    if (m_midiInput) m_midiInput->CloseDevice();
    m_midiBindings.reset();
    m_midiInput.reset();
    m_samples.reset();
    m_database.Close();
    m_recentSets.Save(m_config.ProgramPath(kRecentSetsFile));
}

void CVantorApp::New() {
    auto document = std::make_shared<CSetDocument>(m_ui, &m_recentSets);
    NewSetOptions options;
    options.audioTracks = m_config.GetNumberOfTracks();
    options.tempo = m_config.GetDefaultTempo();
    document->New(options);
    OpenSetDocument(std::move(document));
}

bool CVantorApp::OpenSet() {
    FileChoice choice;
    choice.title = "Open";
    choice.defaultExtension = ".set";
    choice.filter = kSetFilter;
    auto paths = m_ui.ChooseOpenFiles(choice);
    if (paths.empty()) return false;
    return OpenPath(paths.front());
}

bool CVantorApp::OpenPath(const std::string& path) {
    if (!IsRegularFile(path)) {
        m_ui.MessageBox("Unable to find specified file.", "Open Set", MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    if (CSetDocument::IsPlaylistPath(path)) {
        m_registry.Open(WindowKind::Playlist, PlaylistOpening{path}, true);
        m_recentSets.Add(path);
        RecentSetsChanged();
        return true;
    }
    auto document = std::make_shared<CSetDocument>(m_ui, &m_recentSets);
    if (!document->Open(path)) return false;
    OpenSetDocument(std::move(document));
    m_recentSets.Add(path);
    RecentSetsChanged();
    return true;
}

bool CVantorApp::OpenRecent(size_t index) {
    if (index >= m_recentSets.Paths().size()) return false;
    const std::string path = m_recentSets.Paths()[index];
    if (!IsRegularFile(path)) {
        m_recentSets.Remove(path);
        RecentSetsChanged();
    }
    return OpenPath(path);
}

void CVantorApp::OpenSetDocument(std::shared_ptr<CSetDocument> document) {
    m_registry.Open(WindowKind::MusicSet, std::move(document), false);
}

void CVantorApp::RecentSetsChanged() {
    m_recentSets.Save(m_config.ProgramPath(kRecentSetsFile));
    m_frame.SetRecentSets(m_recentSets.Paths());
}

void CVantorApp::NewPlaylist() { m_registry.Open(WindowKind::Playlist, PlaylistOpening{}, true); }
void CVantorApp::ViewMusic() { m_registry.Open(WindowKind::MusicDatabase, std::any(), false); }
void CVantorApp::Find() { m_registry.Open(WindowKind::FindMusic, std::any(), false); }
void CVantorApp::LoadMusic() { m_registry.Open(WindowKind::LoadFiles, std::any(), false); }
void CVantorApp::EditCategories() { m_registry.Open(WindowKind::EditCategories, std::any(), false); }

std::unique_ptr<CConfigurationDialog> CVantorApp::MakeConfigurationDialog() {
    CConfigurationDialog::Hooks hooks;
    hooks.anySetEditorOpen = [this] { return m_registry.IsOpen(WindowKind::MusicSet); };
    hooks.replaceMidiInput = [this] { ReplaceMIDIInput(); };
    hooks.setLatestTitlesMaximum = [this](int32_t maximum) { m_recentTitles.SetLimit(maximum); };
    return std::make_unique<CConfigurationDialog>(m_config, m_ui, std::move(hooks));
}

std::unique_ptr<CDatabaseUpdate> CVantorApp::UpdateDatabase() {
    // The pass stores summaries and levels: the listings show them once it ends.
    auto update = std::make_unique<CDatabaseUpdate>(m_ui, m_database, [this] {
        m_registry.Post(WindowKind::MusicDatabase, Notification{kSongSaved, std::any(), std::any()});
    });
    if (!update->Start()) return nullptr;
    return update;
}

std::unique_ptr<CAddBatchDialog> CVantorApp::MakeAddBatchDialog() {
    return std::make_unique<CAddBatchDialog>(m_ui, m_database, &m_recentTitles,
                                             [this](LoadJob job) { QueueLoad(std::move(job)); });
}

std::vector<std::string> CVantorApp::DecompressMp3() {
    CDecompressMp3Files decompress(m_ui, [this](LoadJob job) { QueueLoad(std::move(job)); });
    return decompress.Run();
}

bool CVantorApp::CompactDatabase() {
    if (m_ui.MessageBox("Are you sure?", "Compact Database", MessageButtons::YesNo, MessageIcon::Question) !=
        MessageAnswer::Yes)
        return false;
    std::vector<std::string> dropped;
    const bool compacted = m_database.CompactDatabase(&dropped);
    if (!compacted)
        m_ui.MessageBox("The music database could not be compacted; it is unchanged.", "Compact Database",
                        MessageButtons::Ok, MessageIcon::Error);
    m_registry.Post(WindowKind::MusicDatabase, Notification{kSongSaved, std::any(), std::any()});
    return compacted;
}

bool CVantorApp::IsTriggerSampleEnabled(int32_t slot) const {
    return m_samples && slot >= 0 && slot < kSampleButtons && !m_samples->GetSlotName(slot).empty();
}

bool CVantorApp::TriggerSample(int32_t slot) {
    if (!IsTriggerSampleEnabled(slot)) return false;
    // While a set plays on the sound server its bank is the one heard.
    if (auto link = m_linkInUse.Get()) return link->TriggerSample(slot);
    m_samples->TriggerSlot(slot);
    return true;
}

void CVantorApp::ReplaceMIDIInput() {
    if (!m_midiInput || !m_midiBindings) return;
    m_midiInput->CloseDevice();
    auto input = std::make_unique<CMIDIInput>();
    if (Status opened = input->OpenDevice(m_config.GetMidiInputDevice()); !opened) ShowRefusal(opened.Error());
    // The bindings move to the new table before the old one goes.
    m_midiBindings->SetInput(input.get());
    m_midiInput = std::move(input);
}

SetAudioSetup CVantorApp::MakeSetAudioSetup() {
    SetAudioSetup setup;
    setup.effects = &m_effects;
    setup.linkInUse = &m_linkInUse;
    setup.releaseControllers = [this] {
        if (m_midiInput) m_midiInput->CloseDevice();
    };
    setup.reopenControllers = [this] {
        if (!m_midiBindings) return;
        m_midiBindings->Load(m_config.ProgramPath(CMIDIBindings::kFileName));
        ReplaceMIDIInput();
    };
    setup.attachPlayer = [this](CSetPlayer* player) {
        if (m_midiBindings && player) m_midiBindings->TrackEffects().AttachPlayer(player->GetSetStream());
    };
    setup.detachPlayer = [this] {
        if (m_midiBindings) m_midiBindings->TrackEffects().DetachPlayer();
    };
    return setup;
}

bool CVantorApp::Connect() {
    auto connection = SetAudio::Connect(m_ui, m_config, m_linkInUse, m_registry.IsOpen(WindowKind::MusicSet));
    if (!connection) return false;
    auto document = std::make_shared<CSetDocument>(m_ui, &m_recentSets);
    document->Adopt(connection->set);
    m_connection = std::move(connection);
    OpenSetDocument(std::move(document));
    // An editor that did not take the connection leaves the server alone.
    if (m_connection) {
        m_linkInUse.Release(m_connection->link.get());
        m_connection.reset();
        return false;
    }
    return true;
}

std::optional<ServerConnection> CVantorApp::TakeConnection() {
    std::optional<ServerConnection> connection = std::move(m_connection);
    m_connection.reset();
    return connection;
}

void CVantorApp::ShowRefusal(const Refusal& refusal) {
    m_ui.MessageBox(refusal.text, refusal.caption, MessageButtons::Ok, refusal.icon);
}

void CVantorApp::About() {
    m_ui.MessageBox(kAboutText, kAboutCaption, MessageButtons::Ok, MessageIcon::Information);
}

std::unique_ptr<CMixdownDialog> CVantorApp::MakeMixdownDialog() {
    return std::make_unique<CMixdownDialog>(m_ui, &m_effects, &m_database, m_config.GetNormalizationEnabled());
}

std::unique_ptr<CMusicDatabaseView> CVantorApp::MakeMusicDatabaseView() {
    CMusicDatabaseView::Listener listener;
    listener.queueLoad = [this](LoadJob job) { QueueLoad(std::move(job)); };
    listener.openProfileEditor = [this](const RefPtr<CSongProfile>& song) {
        m_registry.Open(WindowKind::SongProfile, song, true);
    };
    listener.openAnalyzer = [this](const RefPtr<CSongProfile>& song) {
        m_registry.Open(WindowKind::Analyzer, song, true);
    };
    listener.openMixingDesigns = [this](const RefPtr<CSongProfile>& song) {
        m_registry.Open(WindowKind::ManageMixDesigns, song, true);
    };
    return std::make_unique<CMusicDatabaseView>(m_ui, m_database, m_recentTitles, m_config, std::move(listener));
}

std::unique_ptr<CSongProfileView> CVantorApp::MakeSongProfileView() {
    CSongProfileView::Listener listener;
    listener.queueLoad = [this](LoadJob job) { QueueLoad(std::move(job)); };
    listener.recordChanged = [this](const std::string& key) {
        m_registry.Broadcast(WindowKind::SongProfile, Notification{kSongSaved, key, std::any()});
    };
    return std::make_unique<CSongProfileView>(m_ui, m_database, &m_recentTitles, m_config, std::move(listener));
}

std::unique_ptr<CAnalyzerView> CVantorApp::MakeAnalyzerView() {
    return std::make_unique<CAnalyzerView>(m_ui, m_database, m_config, [this](const std::string& key) {
        m_registry.Broadcast(WindowKind::Analyzer, Notification{kSongSaved, key, std::any()});
    });
}

std::unique_ptr<CFindMusicView> CVantorApp::MakeFindMusicView() {
    return std::make_unique<CFindMusicView>(m_ui, m_database, m_config,
                                            [this](std::vector<std::string> keys) { ShowKeys(std::move(keys)); });
}

std::unique_ptr<CEditCategoriesView> CVantorApp::MakeEditCategoriesView() {
    return std::make_unique<CEditCategoriesView>(m_ui, m_database);
}

std::unique_ptr<CLoadFilesView> CVantorApp::MakeLoadFilesView() {
    // The loader's worker reports from its own thread; the registry is only
    // touched on the user interface thread.
    return std::make_unique<CLoadFilesView>(m_ui, m_config, [this] {
        PostToUserInterface([this] {
            m_registry.Post(WindowKind::MusicDatabase, Notification{kSongSaved, std::any(), std::any()});
        });
    });
}

std::unique_ptr<CPlaylistView> CVantorApp::MakePlaylistView() {
    return std::make_unique<CPlaylistView>(m_database, m_ui, &m_recentSets);
}

void CVantorApp::QueueLoad(LoadJob job) {
    if (!m_registry.IsOpen(WindowKind::LoadFiles)) m_registry.Open(WindowKind::LoadFiles, std::any(), false);
    m_registry.Post(WindowKind::LoadFiles, Notification{kLoadRequest, std::move(job), std::any()});
}

void CVantorApp::ShowKeys(std::vector<std::string> keys) {
    if (!m_registry.IsOpen(WindowKind::MusicDatabase))
        m_registry.Open(WindowKind::MusicDatabase, std::any(), false);
    m_registry.Post(WindowKind::MusicDatabase, Notification{kShowKeys, std::move(keys), std::any()});
}

void CVantorApp::PostToUserInterface(std::function<void()> call) {
    std::function<void()> wake;
    {
        std::lock_guard lock(m_callsLock);
        m_calls.push_back(std::move(call));
        wake = m_wake;
    }
    if (wake) wake();
}

void CVantorApp::SetWake(std::function<void()> wake) {
    {
        std::lock_guard lock(m_callsLock);
        m_wake = wake;
    }
    m_registry.SetWake(std::move(wake));
}

size_t CVantorApp::RunPosted() {
    std::deque<std::function<void()>> calls;
    {
        std::lock_guard lock(m_callsLock);
        calls.swap(m_calls);
    }
    size_t count = calls.size();
    for (auto& call : calls) call();
    return count + m_registry.DispatchPosted();
}

}  // namespace vantor

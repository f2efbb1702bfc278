#include "views/sample_database_view.h"

#include <algorithm>
#include <cctype>

#include "database/music_database.h"

namespace vantor {

CSampleDatabaseView::CSampleDatabaseView(IUserInterface& ui, CMusicDatabase* database, CSampleBank& bank,
                                         LinkInUse& linkInUse, const CConfiguration& config)
    : m_ui(ui), m_database(database), m_bank(bank), m_linkInUse(linkInUse), m_config(config) {}

void CSampleDatabaseView::Refresh() {
    m_samples.clear();
    m_selection = -1;
    if (m_database) {
        for (const std::string& key : m_database->SortedSampleKeys())
            if (RefPtr<CSongProfile> sample = m_database->GetSample(key))
                m_samples.push_back({sample->GetTitle(), sample->GetKey()});
    }
    RefreshLabels();
}

bool CSampleDatabaseView::Select(int row) {
    if (row < -1 || row >= static_cast<int>(m_samples.size())) return false;
    m_selection = row;
    return true;
}

const CSampleDatabaseView::Sample* CSampleDatabaseView::Selected() const {
    if (m_selection < 0 || m_selection >= static_cast<int>(m_samples.size())) return nullptr;
    return &m_samples[static_cast<size_t>(m_selection)];
}

bool CSampleDatabaseView::AssignPreset(int button) {
    const Sample* sample = Selected();
    if (!sample || button < 1 || button > CSampleBank::kTriggerSlots) return false;
    const int slot = button - 1;
    if (auto link = m_linkInUse.Get()) link->LoadSample(slot, sample->name, sample->path);
    const bool loaded = m_bank.LoadSlot(slot, sample->name, sample->path);
    if (m_slotNameListener) m_slotNameListener(slot, sample->name);
    RefreshLabels();
    return loaded;
}

bool CSampleDatabaseView::Play() {
    const Sample* sample = Selected();
    if (!sample) return false;
    if (auto link = m_linkInUse.Get())
        return link->LoadSample(CSampleBank::kPreviewSlot, sample->name, sample->path) &&
               link->TriggerSample(CSampleBank::kPreviewSlot);
    if (!m_bank.LoadSlot(CSampleBank::kPreviewSlot, sample->name, sample->path)) return false;
    m_bank.TriggerSlot(CSampleBank::kPreviewSlot);
    return true;
}

bool CSampleDatabaseView::LoadFrom(const std::string& path) {
    if (auto link = m_linkInUse.Get()) link->LoadPresets(path);
    const bool loaded = m_bank.LoadPresets(path);
    RefreshLabels();
    return loaded;
}

bool CSampleDatabaseView::SaveTo(const std::string& path) {
    if (auto link = m_linkInUse.Get()) return link->SavePresets(path);
    return m_bank.SavePresets(path);
}

bool CSampleDatabaseView::Load() {
    FileChoice choice;
    choice.title = "Load presets";
    choice.filter = kPresetFilter;
    std::vector<std::string> chosen = m_ui.ChooseOpenFiles(choice);
    if (chosen.empty()) return false;
    return LoadFrom(chosen.front());
}

bool CSampleDatabaseView::Save() {
    FileChoice choice;
    choice.title = "Save presets";
    choice.defaultExtension = ".sp";
    choice.filter = kPresetFilter;
    std::optional<std::string> chosen = m_ui.ChooseSaveFile(choice);
    if (!chosen) return false;
    return SaveTo(WithPresetExtension(*chosen));
}

bool CSampleDatabaseView::LoadDefault() { return LoadFrom(m_config.ProgramPath(kDefaultPresets)); }

bool CSampleDatabaseView::SaveDefault() { return SaveTo(m_config.ProgramPath(kDefaultPresets)); }

void CSampleDatabaseView::RefreshLabels() {
    auto link = m_linkInUse.Get();
    for (int slot = 0; slot < CSampleBank::kTriggerSlots; ++slot)
        m_labels[static_cast<size_t>(slot)] = link ? link->GetSampleName(slot) : m_bank.GetSlotName(slot);
}

std::string CSampleDatabaseView::WithPresetExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        std::string extension = path.substr(dot);
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension == ".sp") return path;
    }
    return path + ".sp";
}

}  // namespace vantor

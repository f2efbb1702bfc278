#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "control/sample_bank.h"
#include "platform/user_interface.h"
#include "server/link_in_use.h"

namespace vantor {

class CMusicDatabase;

// The sample database window's logic: the list of stored samples, the
// "Presets (Alt+)" buttons "1" to "8" that put the selected sample in a
// trigger slot, "Play" that previews it in slot 8, and loading and saving
// sound preset files. While a link to the sound server is in use the server
// gets every slot change and trigger as well as (or, for Play and Save,
// instead of) this process's bank, and the slot labels come from it.
class CSampleDatabaseView {
public:
    static constexpr const char* kPresetFilter = "sound presets (*.sp)|*.sp|all files (*.*)|*.*||";
    static constexpr const char* kDefaultPresets = "DEFAULT.SP";

    // One row of the sample list.
    struct Sample {
        std::string name;
        std::string path;
    };

    CSampleDatabaseView(IUserInterface& ui, CMusicDatabase* database, CSampleBank& bank, LinkInUse& linkInUse,
                        const CConfiguration& config);

    // Reads the sample list again (in the database's order) and the labels.
    void Refresh();
    const std::vector<Sample>& GetSamples() const { return m_samples; }
    // False for a row that is not in the list; -1 clears the selection.
    bool Select(int row);
    int GetSelection() const { return m_selection; }

    // Preset button "1" to "8" with a sample selected.
    bool AssignPreset(int button);
    // "Play" with a sample selected.
    bool Play();
    // "Load" and "Save" through file dialogs; "Load Default" and "Save
    // Default" on the program directory's default preset file.
    bool Load();
    bool Save();
    bool LoadDefault();
    bool SaveDefault();

    // The names of slots 0 to 7 as the labels show them.
    const std::array<std::string, CSampleBank::kTriggerSlots>& GetSlotLabels() const { return m_labels; }
    void RefreshLabels();
    // Told a trigger slot's new name, for the main window's tool tips.
    void SetSlotNameListener(std::function<void(int slot, const std::string& name)> listener) {
        m_slotNameListener = std::move(listener);
    }

    // A chosen save path with ".sp" appended unless it already ends so, in
    // any letter case.
    static std::string WithPresetExtension(const std::string& path);

private:
    const Sample* Selected() const;
    bool LoadFrom(const std::string& path);
    bool SaveTo(const std::string& path);

    IUserInterface& m_ui;
    CMusicDatabase* m_database;
    CSampleBank& m_bank;
    LinkInUse& m_linkInUse;
    const CConfiguration& m_config;
    std::vector<Sample> m_samples;
    int m_selection = -1;
    std::array<std::string, CSampleBank::kTriggerSlots> m_labels;
    std::function<void(int, const std::string&)> m_slotNameListener;
};

}  // namespace vantor

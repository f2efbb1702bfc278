#include "views/add_batch_dialog.h"

#include "platform/file_io.h"
#include "platform/user_interface.h"
#include "platform/volume_label.h"

namespace vantor {

CAddBatchDialog::CAddBatchDialog(IUserInterface& ui, CMusicDatabase& database, CRecentTitleList* recent,
                                 std::function<void(LoadJob)> queueLoad, CBatchAdd::LabelOf labelOf)
    : m_ui(ui),
      m_batch(database, recent, std::move(queueLoad), labelOf ? std::move(labelOf) : CBatchAdd::LabelOf(VolumeLabelOf)) {}

BatchAddOutcome CAddBatchDialog::Start() {
    const std::vector<std::string> files = m_ui.ChooseOpenFiles({"Add Files", "", kFilter, "", true});
    if (files.empty()) return {};
    return Report(m_batch.Run(files, m_settings));
}

BatchAddOutcome CAddBatchDialog::AddFiles(const std::vector<std::string>& files) {
    std::vector<std::string> existing;
    std::vector<std::pair<std::string, Refusal>> missing;
    for (const std::string& file : files) {
        if (FileExists(file))
            existing.push_back(file);
        else
            missing.emplace_back(file, Refusal{"Local filename does not exist.", kTitle, MessageIcon::Error});
    }
    BatchAddOutcome outcome = m_batch.Run(existing, m_settings);
    outcome.refused.insert(outcome.refused.begin(), missing.begin(), missing.end());
    return Report(std::move(outcome));
}

BatchAddOutcome CAddBatchDialog::Report(BatchAddOutcome outcome) {
    for (const auto& [file, refusal] : outcome.refused)
        m_ui.MessageBox(file + ": " + refusal.text, refusal.caption, MessageButtons::Ok, refusal.icon);
    return outcome;
}

}  // namespace vantor

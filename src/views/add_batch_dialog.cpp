#include "views/add_batch_dialog.h"

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
    return AddFiles(files);
}

BatchAddOutcome CAddBatchDialog::AddFiles(const std::vector<std::string>& files) {
    BatchAddOutcome outcome = m_batch.Run(files, m_settings);
    for (const auto& [file, refusal] : outcome.refused)
        m_ui.MessageBox(file + ": " + refusal.text, refusal.caption, MessageButtons::Ok, refusal.icon);
    return outcome;
}

}  // namespace vantor

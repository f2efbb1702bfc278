#include "views/decompress_mp3_files.h"

#include "library/song_loading.h"
#include "platform/user_interface.h"

namespace vantor {

CDecompressMp3Files::CDecompressMp3Files(IUserInterface& ui, std::function<void(LoadJob)> queueLoad)
    : m_ui(ui), m_queueLoad(std::move(queueLoad)) {}

std::vector<std::string> CDecompressMp3Files::Run() {
    std::vector<std::string> queued;
    for (const std::string& file : m_ui.ChooseOpenFiles({kTitle, "", kFilter, "", true})) {
        auto job = PlanDecompressMp3(file);
        if (!job) {
            m_ui.MessageBox(file + ": " + job.Error().text, kTitle, MessageButtons::Ok, MessageIcon::Error);
            continue;
        }
        if (m_queueLoad) m_queueLoad(job.Value());
        queued.push_back(file);
    }
    return queued;
}

}  // namespace vantor

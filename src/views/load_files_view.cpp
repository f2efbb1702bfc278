#include "views/load_files_view.h"

#include "config/configuration.h"
#include "platform/user_interface.h"

namespace vantor {

CLoadFilesView::CLoadFilesView(IUserInterface& ui, const CConfiguration& config, std::function<void()> refill)
    : m_ui(ui) {
    CMusicLoader::Listener listener;
    if (refill) listener.carriedOut = [refill](const LoadJob&) { refill(); };
    listener.dropped = [this](const LoadJob& job, const std::string& why) {
        std::lock_guard lock(m_droppedLock);
        m_dropped.push_back(job.sourcePath + ": " + why);
        m_droppedJobs.push_back(job);
    };
    m_loader = std::make_unique<CMusicLoader>(LoadSettings{config.GetGenerateSummaries()}, std::move(listener));
}

CLoadFilesView::~CLoadFilesView() { Close(); }

void CLoadFilesView::QueueLoad(LoadJob job) { m_loader->QueueLoad(std::move(job)); }

bool CLoadFilesView::Pump() {
    QuestionChannel& questions = m_loader->Questions();
    const auto question = questions.Pending();
    if (!question) return false;
    const MessageAnswer answer = m_ui.MessageBox(question->text, question->caption, question->buttons,
                                                 MessageIcon::Question);
    questions.Answer(answer == MessageAnswer::Ok || answer == MessageAnswer::Yes);
    return true;
}

void CLoadFilesView::RunUntilIdle(const std::function<void(size_t)>& onTurn) {
    while (!m_loader->WaitUntilIdle(std::chrono::milliseconds(20))) {
        Pump();
        if (onTurn) onTurn(m_loader->GetCount());
    }
}

std::vector<std::string> CLoadFilesView::GetDropped() const {
    std::lock_guard lock(m_droppedLock);
    return m_dropped;
}

std::vector<LoadJob> CLoadFilesView::GetDroppedJobs() const {
    std::lock_guard lock(m_droppedLock);
    return m_droppedJobs;
}

std::vector<LoadJob> CLoadFilesView::Close() { return m_loader->Close(); }

}  // namespace vantor

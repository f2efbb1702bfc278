#include "views/load_set_music_dialog.h"

#include <chrono>

#include "platform/user_interface.h"
#include "views/database_update.h"

namespace vantor {

CLoadSetMusicDialog::CLoadSetMusicDialog(IUserInterface& ui, CMusicDatabase& database)
    : m_ui(ui), m_database(database) {}

CLoadSetMusicDialog::~CLoadSetMusicDialog() {
    Cancel();
    if (m_worker.joinable()) m_worker.join();
}

void CLoadSetMusicDialog::Start(std::vector<SetMusicPair> pairs) {
    if (m_worker.joinable()) return;
    {
        std::lock_guard lock(m_lock);
        m_progress = {};
        m_progress.total = m_progress.remaining = static_cast<uint32_t>(pairs.size());
    }
    m_worker = std::thread([this, pairs = std::move(pairs)]() mutable {
        CSetMusicLoad load(m_database, m_questions, [this](const SetMusicProgress& progress) {
            std::lock_guard lock(m_lock);
            m_progress = progress;
        });
        load.Run(std::move(pairs), &m_cancel);
    });
}

bool CLoadSetMusicDialog::Pump() {
    if (const auto question = m_questions.Pending()) {
        const MessageAnswer answer =
            m_ui.MessageBox(question->text, question->caption, question->buttons, MessageIcon::Question);
        m_questions.Answer(answer == MessageAnswer::Ok || answer == MessageAnswer::Yes);
    }
    return !GetProgress().finished;
}

SetMusicProgress CLoadSetMusicDialog::Run(std::vector<SetMusicPair> pairs) {
    Start(std::move(pairs));
    while (Pump()) m_questions.WaitForQuestion(10);
    if (m_worker.joinable()) m_worker.join();
    return GetProgress();
}

void CLoadSetMusicDialog::Cancel() {
    m_cancel = true;
    m_questions.Close();
}

SetMusicProgress CLoadSetMusicDialog::GetProgress() const {
    std::lock_guard lock(m_lock);
    return m_progress;
}

std::string CLoadSetMusicDialog::GetStatusText() const {
    const SetMusicProgress progress = GetProgress();
    if (progress.finished) return "Done";
    return "Remaining " + std::to_string(progress.remaining) + ", failed " + std::to_string(progress.failed) +
           ", copied " + std::to_string(progress.copied) + " of " + std::to_string(progress.total);
}

std::string CLoadSetMusicDialog::GetCancelButtonText() const { return GetProgress().finished ? "Finished" : "Cancel"; }

std::string CLoadSetMusicDialog::GetElapsedText() const { return FormatDuration(GetProgress().elapsedSeconds); }

std::string CLoadSetMusicDialog::GetRemainingText() const {
    const SetMusicProgress progress = GetProgress();
    return progress.finished ? "0:00" : FormatDuration(progress.remainingSeconds);
}

}  // namespace vantor

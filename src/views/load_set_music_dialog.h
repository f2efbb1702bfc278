#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "library/question_channel.h"
#include "library/set_music_load.h"

namespace vantor {

class CMusicDatabase;
class IUserInterface;

// The "Load Set Music" dialog: copies a set's missing songs from their
// archives on a worker of its own; the dialog asks the worker's questions
// on its turn and shows the counts, the elapsed and the estimated time.
class CLoadSetMusicDialog {
public:
    static constexpr const char* kCaption = "Load Set Music";

    CLoadSetMusicDialog(IUserInterface& ui, CMusicDatabase& database);
    ~CLoadSetMusicDialog();
    CLoadSetMusicDialog(const CLoadSetMusicDialog&) = delete;
    CLoadSetMusicDialog& operator=(const CLoadSetMusicDialog&) = delete;

    void Start(std::vector<SetMusicPair> pairs);
    // The dialog's turn: asks the worker's question, if any; true while the
    // run goes on.
    bool Pump();
    // Starts and pumps until the run ends.
    SetMusicProgress Run(std::vector<SetMusicPair> pairs);
    // Cancel: the copy at hand stops, its temporary file removed.
    void Cancel();

    SetMusicProgress GetProgress() const;
    std::string GetStatusText() const;
    std::string GetCancelButtonText() const;
    std::string GetElapsedText() const;
    std::string GetRemainingText() const;

private:
    IUserInterface& m_ui;
    CMusicDatabase& m_database;
    QuestionChannel m_questions;
    std::atomic<bool> m_cancel{false};
    mutable std::mutex m_lock;  // guards the progress the worker posts
    SetMusicProgress m_progress;
    std::thread m_worker;
};

}  // namespace vantor

#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <memory>
#include <string>
#include <vector>

#include "library/music_loader.h"

namespace vantor {

class CConfiguration;
class IUserInterface;

// The "Music Loader" window: the queue of load jobs and its count label
// over the loader's worker. The worker's "Insert archive %s. Ready?" is
// asked here, on the user interface side, when the window takes its turn
// (Pump); the worker meanwhile holds no lock. The refill callback is
// called on the worker's thread after every carried-out job; the window
// registry turns it into the database windows' refill notification.
class CLoadFilesView {
public:
    static constexpr const char* kTitle = "Music Loader";

    CLoadFilesView(IUserInterface& ui, const CConfiguration& config, std::function<void()> refill = {});
    ~CLoadFilesView();
    CLoadFilesView(const CLoadFilesView&) = delete;
    CLoadFilesView& operator=(const CLoadFilesView&) = delete;

    // The new-job notification (and the opening data of a new window).
    void QueueLoad(LoadJob job);
    // The window's turn on the user interface thread: asks the question
    // the worker waits on, if any. True when one was asked.
    bool Pump();
    // Pumps until the queue is worked off; the command line's way to run it.
    void RunUntilIdle(const std::function<void(size_t queued)>& onTurn = {});

    std::string GetCountText() const { return m_loader->GetCountText(); }
    std::vector<std::string> GetQueueItems() const { return m_loader->QueuedSources(); }
    // Why jobs were dropped since the window opened, one line each.
    std::vector<std::string> GetDropped() const;
    // The jobs dropped since the window opened.
    std::vector<LoadJob> GetDroppedJobs() const;
    // How far the job at hand has come, in percent.
    int GetJobPercent() const { return m_loader->GetJobPercent(); }

    // Closes the window: the worker stops within the loader's bound; the
    // jobs not carried out are returned.
    std::vector<LoadJob> Close();

private:
    IUserInterface& m_ui;
    mutable std::mutex m_droppedLock;
    std::vector<std::string> m_dropped;
    std::vector<LoadJob> m_droppedJobs;
    std::unique_ptr<CMusicLoader> m_loader;
};

}  // namespace vantor

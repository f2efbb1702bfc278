#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "library/load_job.h"
#include "library/question_channel.h"

namespace vantor {

// The music loader's queue and its worker thread. Jobs are carried out in
// the order queued; before the first job of an archive other than the one
// handled last, the worker asks "Insert archive %s. Ready?" through the
// question channel (with the queue's lock released) and drops the job on a
// "no". The last archive is forgotten whenever the queue runs empty. The
// worker never touches the music database: it reports through the
// listener, on its own thread.
class CMusicLoader {
public:
    struct Listener {
        // A job was carried out: the database windows refill.
        std::function<void(const LoadJob&)> carriedOut;
        // A job could not be carried out (declined, failed or cancelled).
        std::function<void(const LoadJob&, const std::string& why)> dropped;
        // The number of queued jobs changed.
        std::function<void(size_t)> countChanged;
    };

    // The longest a close waits for the job at hand to stop.
    static constexpr std::chrono::milliseconds kCloseBound{5000};

    explicit CMusicLoader(LoadSettings settings, Listener listener = {});
    // Closes with the bounded wait.
    ~CMusicLoader();
    CMusicLoader(const CMusicLoader&) = delete;
    CMusicLoader& operator=(const CMusicLoader&) = delete;

    void QueueLoad(LoadJob job);
    size_t GetCount() const;
    // The source paths of the queued jobs, the one at hand first.
    std::vector<std::string> QueuedSources() const;
    // How far the job at hand has come, in percent.
    int GetJobPercent() const;
    // The "Insert archive" question the worker waits on.
    QuestionChannel& Questions();
    // True once the queue is empty and the worker idle, false after the
    // timeout.
    bool WaitUntilIdle(std::chrono::milliseconds timeout) const;

    // Stops the worker: the copy at hand is cancelled (its temporary file
    // removed, the destination as it was), a waiting question is declined,
    // and the wait for the worker is bounded: a worker still decoding after
    // the bound finishes on its own, holding only state it shares. Returns
    // the jobs that were not carried out, so that nothing queued is lost
    // without a trace.
    std::vector<LoadJob> Close(std::chrono::milliseconds bound = kCloseBound);

    // "%u": the count label's text.
    std::string GetCountText() const;

private:
    struct State;
    static void Work(const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;
    bool m_closed = false;
};

}  // namespace vantor

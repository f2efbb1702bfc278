#include "library/music_loader.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace vantor {

// Everything the worker touches, shared with it so that a worker that
// outlives a bounded close still works on live state.
struct CMusicLoader::State {
    explicit State(LoadSettings settings, Listener listener)
        : settings(settings), listener(std::move(listener)) {}

    const LoadSettings settings;
    QuestionChannel questions;
    std::atomic<bool> stop{false};
    std::atomic<int> jobPercent{0};

    mutable std::mutex queueLock;  // the window's critical section
    mutable std::condition_variable changed;
    std::deque<LoadJob> queue;
    std::string lastArchive;
    bool idle = true;
    bool stopped = false;

    std::mutex listenerLock;  // held while telling; cleared by Close
    Listener listener;

    void TellCount(size_t count) {
        std::lock_guard lock(listenerLock);
        if (listener.countChanged) listener.countChanged(count);
    }
};

CMusicLoader::CMusicLoader(LoadSettings settings, Listener listener)
    : m_state(std::make_shared<State>(settings, std::move(listener))) {
    std::thread(Work, m_state).detach();
}

CMusicLoader::~CMusicLoader() { Close(); }

void CMusicLoader::QueueLoad(LoadJob job) {
    size_t count;
    {
        std::lock_guard lock(m_state->queueLock);
        if (m_state->stopped || m_state->stop) return;
        m_state->queue.push_back(std::move(job));
        m_state->idle = false;
        count = m_state->queue.size();
        m_state->changed.notify_all();
    }
    m_state->TellCount(count);
}

size_t CMusicLoader::GetCount() const {
    std::lock_guard lock(m_state->queueLock);
    return m_state->queue.size();
}

std::string CMusicLoader::GetCountText() const { return std::to_string(GetCount()); }

std::vector<std::string> CMusicLoader::QueuedSources() const {
    std::lock_guard lock(m_state->queueLock);
    std::vector<std::string> sources;
    for (const LoadJob& job : m_state->queue) sources.push_back(job.sourcePath);
    return sources;
}

int CMusicLoader::GetJobPercent() const { return m_state->jobPercent; }

QuestionChannel& CMusicLoader::Questions() { return m_state->questions; }

bool CMusicLoader::WaitUntilIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_state->queueLock);
    return m_state->changed.wait_for(lock, timeout, [this] { return m_state->idle || m_state->stopped; });
}

std::vector<LoadJob> CMusicLoader::Close(std::chrono::milliseconds bound) {
    if (m_closed) return {};
    m_closed = true;
    m_state->stop = true;
    m_state->questions.Close();
    std::unique_lock lock(m_state->queueLock);
    m_state->changed.notify_all();
    m_state->changed.wait_for(lock, bound, [this] { return m_state->stopped; });
    std::vector<LoadJob> left(m_state->queue.begin(), m_state->queue.end());
    lock.unlock();
    // From here on a late worker tells no one.
    std::lock_guard listenerLock(m_state->listenerLock);
    m_state->listener = {};
    return left;
}

void CMusicLoader::Work(const std::shared_ptr<State>& state) {
    for (;;) {
        LoadJob job;
        bool ask = false;
        {
            std::unique_lock lock(state->queueLock);
            if (state->queue.empty()) {
                state->lastArchive.clear();
                state->idle = true;
                state->changed.notify_all();
                state->changed.wait(lock, [&] { return state->stop || !state->queue.empty(); });
            }
            if (state->stop) break;
            state->idle = false;
            job = state->queue.front();
            ask = job.archiveName != state->lastArchive;
        }
        // Asked with the queue's lock released: the window may queue jobs,
        // show the count or close meanwhile.
        const bool accepted = !ask || state->questions.Ask(
                                                       {"Insert archive " + job.archiveName + ". Ready?", "Load Music",
                                                        MessageButtons::OkCancel});
        LoadJobOutcome outcome;
        if (accepted && !state->stop) outcome = CarryOutLoadJob(job, state->settings, &state->stop, &state->jobPercent);
        if (state->stop && !outcome.carriedOut) break;  // the job stays listed as not carried out
        {
            std::lock_guard lock(state->listenerLock);
            if (outcome.carriedOut && state->listener.carriedOut) state->listener.carriedOut(job);
            if (!outcome.carriedOut && state->listener.dropped)
                state->listener.dropped(job, accepted ? outcome.failure : "The archive was not inserted.");
        }
        size_t count;
        {
            std::lock_guard lock(state->queueLock);
            state->queue.pop_front();
            // Also after a "no": the next job of that archive goes ahead.
            state->lastArchive = job.archiveName;
            count = state->queue.size();
        }
        state->TellCount(count);
    }
    std::lock_guard lock(state->queueLock);
    state->stopped = true;
    state->changed.notify_all();
}

}  // namespace vantor

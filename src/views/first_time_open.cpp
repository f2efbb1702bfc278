#include "views/first_time_open.h"

#include <chrono>

#include "analysis/reference_level.h"
#include "database/song_profile.h"
#include "engine/summary_builder.h"
#include "engine/thread.h"
#include "engine/wave_summary_file.h"
#include "platform/message_queue.h"
#include "platform/user_interface.h"

namespace vantor {

namespace {

constexpr uint32_t kDoneMessage = kUserMessage + 1;
constexpr auto kRefresh = std::chrono::milliseconds(200);

class SummaryWorker : public CThread {
public:
    SummaryWorker(const CSongProfile& song, MessageQueue& queue) : m_song(song), m_queue(queue) {}
    ~SummaryWorker() override { Join(-1); }

    std::atomic<int32_t> percent{0};
    std::atomic<bool> succeeded{false};

protected:
    int32_t Run() override {
        succeeded = BuildSongSummary(m_song, percent) && StoreReferenceLevel(m_song);
        m_queue.Post(kDoneMessage);
        return 0;
    }
    // The build runs to its end; there is nothing to wake.
    void OnStopRequest() override {}

private:
    const CSongProfile& m_song;
    MessageQueue& m_queue;
};

}  // namespace

bool CFirstTimeOpen::Run(const CSongProfile& song, IUserInterface& ui) {
    MessageQueue queue;
    SummaryWorker worker(song, queue);
    ui.ShowProgress(kText, 0);
    if (!worker.Start()) return false;
    while (!queue.WaitFor(kRefresh)) ui.ShowProgress(kText, worker.percent.load());
    worker.Join(-1);
    ui.ShowProgress(kText, 100);
    ui.EndProgress();
    return worker.succeeded.load();
}

}  // namespace vantor

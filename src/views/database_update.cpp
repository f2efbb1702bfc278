#include "views/database_update.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "analysis/reference_level.h"
#include "database/music_database.h"
#include "engine/summary_builder.h"
#include "engine/thread.h"
#include "platform/file_io.h"
#include "platform/user_interface.h"

namespace vantor {

namespace {

constexpr auto kTimerPeriod = std::chrono::milliseconds(500);

const char* const kQuestion =
    "Updating the music database can take a long time. Each song\nrequires approximately 40 seconds to update. "
    "For instance, 45\nunproccessed songs would take 30 minutes to process.\n\nAll sets should be inactive (not "
    "playing) when updating the database.\n\nDo you wish to continue?";

}  // namespace

class CDatabaseUpdate::CWorker : public CThread {
public:
    explicit CWorker(CDatabaseUpdate& owner) : m_owner(owner) {}
    ~CWorker() override { Join(-1); }

protected:
    int32_t Run() override {
        m_owner.Work();
        return 0;
    }
    void OnStopRequest() override { m_owner.m_stop = true; }

private:
    CDatabaseUpdate& m_owner;
};

std::string FormatDuration(double seconds) {
    const long total = seconds > 0 ? std::lround(seconds) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    return text;
}

CDatabaseUpdate::CDatabaseUpdate(IUserInterface& ui, CMusicDatabase& database, std::function<void()> finished)
    : m_ui(ui), m_database(database), m_finishedListener(std::move(finished)) {}

CDatabaseUpdate::~CDatabaseUpdate() {
    Stop();
    m_worker.reset();
}

bool CDatabaseUpdate::Start() {
    if (m_ui.MessageBox(kQuestion, kCaption, MessageButtons::OkCancel, MessageIcon::Question) != MessageAnswer::Ok)
        return false;
    m_range = m_database.GetSongCount();
    m_started = std::chrono::steady_clock::now();
    m_worker = std::make_unique<CWorker>(*this);
    return m_worker->Start();
}

void CDatabaseUpdate::Stop() { m_stop = true; }

bool CDatabaseUpdate::Run() {
    if (!Start()) return false;
    while (!IsFinished()) {
        std::this_thread::sleep_for(kTimerPeriod);
        OnTimer();
        const int percent = m_range > 0 ? static_cast<int>(int64_t{GetPosition()} * 100 / m_range) : 100;
        m_ui.ShowProgress(GetStatusText() + "  " + GetElapsedText() + " elapsed, " + GetRemainingText() + " left",
                          percent);
    }
    m_worker->Join(-1);
    OnTimer();
    m_ui.EndProgress();
    return true;
}

void CDatabaseUpdate::OnTimer() {
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
    {
        std::lock_guard lock(m_lock);
        m_elapsed = FormatDuration(elapsed);
        const int32_t left = std::max(m_range - m_position.load(), 0);
        m_remaining = FormatDuration(left * m_secondsPerSong);
    }
    if (IsFinished() && !m_toldFinished) {
        m_toldFinished = true;
        if (m_finishedListener) m_finishedListener();
    }
}

void CDatabaseUpdate::Work() {
    const std::vector<std::string> keys = m_database.SortedSongKeys(CMusicDatabase::kSortTitle);
    auto prepare = [this](const std::string& key) {
        RefPtr<CSongProfile> song = m_database.GetSong(key);
        if (song && FileExists(song->GetLocalPath())) {
            SetStatus("Processing file: " + FileNameOf(song->GetLocalPath()));
            if (!song->HasSummaryFile()) {
                const auto began = std::chrono::steady_clock::now();
                std::atomic<int32_t> percent{0};
                BuildSongSummary(*song, percent);
                const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
                std::lock_guard lock(m_lock);
                m_secondsPerSong = (m_secondsPerSong * m_timedSongs + seconds) / (m_timedSongs + 1);
                ++m_timedSongs;
            }
            StoreReferenceLevel(*song);
        }
        ++m_position;
    };
    // Every song's summary and level live in its own file, so the songs are
    // shared out to every core; which thread takes a song changes nothing
    // that is written.
    std::atomic<size_t> next{0};
    auto walk = [&] {
        for (size_t i = next++; i < keys.size() && !m_stop; i = next++) prepare(keys[i]);
    };
    const size_t helpers = std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()) - 1, keys.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < helpers; ++i) threads.emplace_back(walk);
    walk();
    for (auto& thread : threads) thread.join();
    SetStatus("Done");
    m_finished = true;
}

void CDatabaseUpdate::SetStatus(const std::string& text) {
    std::lock_guard lock(m_lock);
    m_status = text;
}

std::string CDatabaseUpdate::GetStatusText() const {
    std::lock_guard lock(m_lock);
    return m_status;
}

std::string CDatabaseUpdate::GetElapsedText() const {
    std::lock_guard lock(m_lock);
    return m_elapsed;
}

std::string CDatabaseUpdate::GetRemainingText() const {
    std::lock_guard lock(m_lock);
    return m_remaining;
}

}  // namespace vantor

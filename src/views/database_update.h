#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace vantor {

class CMusicDatabase;
class IUserInterface;

// The "Update Music Database" pass: after the user agrees, a worker walks
// every song of the database, builds the summaries that are missing and
// stores each summary's reference level. The window side (a timer every
// 500 ms) reads the progress, the status line and the time estimates.
class CDatabaseUpdate {
public:
    static constexpr const char* kCaption = "Update Music Database";
    static constexpr double kFirstSecondsPerSong = 30.0;

    // finished is told once, from the timer, when the pass has ended (the
    // windows listing songs then show what it changed).
    CDatabaseUpdate(IUserInterface& ui, CMusicDatabase& database, std::function<void()> finished = {});
    ~CDatabaseUpdate();
    CDatabaseUpdate(const CDatabaseUpdate&) = delete;
    CDatabaseUpdate& operator=(const CDatabaseUpdate&) = delete;

    // Asks the question and starts the worker; false when the user declined.
    bool Start();
    // The user's Cancel: the worker stops after the song at hand.
    void Stop();
    // Start, then refresh through the user interface until the pass ends.
    bool Run();
    // The timer: refreshes the elapsed and remaining times, and tells of
    // the end of the pass.
    void OnTimer();

    bool IsFinished() const { return m_finished.load(); }
    int32_t GetRange() const { return m_range; }
    int32_t GetPosition() const { return m_position.load(); }
    std::string GetStatusText() const;
    std::string GetElapsedText() const;
    std::string GetRemainingText() const;
    std::string GetCancelButtonText() const { return IsFinished() ? "Finished" : "Cancel"; }

private:
    class CWorker;
    void Work();
    void SetStatus(const std::string& text);

    IUserInterface& m_ui;
    CMusicDatabase& m_database;
    std::unique_ptr<CWorker> m_worker;
    int32_t m_range = 0;
    std::atomic<int32_t> m_position{0};
    std::atomic<bool> m_finished{false};
    std::function<void()> m_finishedListener;
    bool m_toldFinished = false;
    std::atomic<bool> m_stop{false};
    std::chrono::steady_clock::time_point m_started;

    mutable std::mutex m_lock;  // guards the texts and the average below
    std::string m_status;
    std::string m_elapsed = "0:00";
    std::string m_remaining = "0:00";
    double m_secondsPerSong = kFirstSecondsPerSong;
    int m_timedSongs = 1;
};

// Seconds as "%H:%M:%S".
std::string FormatDuration(double seconds);

}  // namespace vantor

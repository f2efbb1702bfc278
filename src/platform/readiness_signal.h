#pragma once

#include <semaphore.h>

#include <string>

namespace vantor {

// A start-up handshake between two processes of one user: the starter
// creates the signal (not set) before it starts the other process, which
// sets it once it can serve. A POSIX named semaphore whose name joins the
// user, the runtime directory and the given name.
class ReadinessSignal {
public:
    explicit ReadinessSignal(const std::string& name, const std::string& runtimeDirectory);
    ~ReadinessSignal();
    ReadinessSignal(const ReadinessSignal&) = delete;
    ReadinessSignal& operator=(const ReadinessSignal&) = delete;

    // Creates the signal anew, not set; false when it cannot be made.
    bool Create();
    // Waits up to the time given for the signal; false when it was not
    // created or not set in time.
    bool Wait(int milliseconds);
    // Sets a signal another process created; a missing one is skipped.
    void Set() const;
    // Removes the name (the starter, once it has waited).
    void Remove();

    const std::string& Name() const { return m_name; }

private:
    std::string m_name;
    sem_t* m_semaphore = SEM_FAILED;
};

}  // namespace vantor

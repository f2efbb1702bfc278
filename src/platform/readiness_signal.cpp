#include "platform/readiness_signal.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

namespace vantor {

ReadinessSignal::ReadinessSignal(const std::string& name, const std::string& runtimeDirectory) {
    // Named semaphores share one flat namespace: the runtime directory's hash
    // keeps apart servers of different directories.
    const size_t hash = std::hash<std::string>{}(runtimeDirectory);
    m_name = "/vantor-" + std::to_string(::getuid()) + "-" + std::to_string(hash % 1000000007u) + "-" + name;
}

ReadinessSignal::~ReadinessSignal() {
    if (m_semaphore != SEM_FAILED) ::sem_close(m_semaphore);
}

bool ReadinessSignal::Create() {
    Remove();
    m_semaphore = ::sem_open(m_name.c_str(), O_CREAT | O_EXCL, 0600, 0);
    return m_semaphore != SEM_FAILED;
}

bool ReadinessSignal::Wait(int milliseconds) {
    if (m_semaphore == SEM_FAILED) return false;
    timespec deadline{};
    ::clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    for (;;) {
        if (::sem_timedwait(m_semaphore, &deadline) == 0) return true;
        if (errno != EINTR) return false;
    }
}

void ReadinessSignal::Set() const {
    sem_t* semaphore = ::sem_open(m_name.c_str(), 0);
    if (semaphore == SEM_FAILED) return;
    ::sem_post(semaphore);
    ::sem_close(semaphore);
}

void ReadinessSignal::Remove() {
    if (m_semaphore != SEM_FAILED) {
        ::sem_close(m_semaphore);
        m_semaphore = SEM_FAILED;
    }
    ::sem_unlink(m_name.c_str());
}

}  // namespace vantor

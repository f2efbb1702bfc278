#pragma once

#include <string>

namespace vantor {

// An advisory lock on a file (flock), for processes that share files: any
// number of shared holders, or one exclusive holder. The lock belongs to the
// open file, so every thread of a process holds it together; callers keep
// their own threads apart. Closing the file, or the process ending in any
// way, releases it.
class FileLock {
public:
    enum class Mode { Shared, Exclusive };
    enum class Wait { Block, Try };
    enum class Outcome { Locked, Busy, Failed };

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens the lock file, creating it when create is set. False, with the
    // operating system's reason in Error(), when it cannot be opened.
    bool Open(const std::string& path, bool create);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Takes the lock, or changes a held one to the other mode (not in one
    // step: another process may take it in between). Busy only with Try.
    Outcome Lock(Mode mode, Wait wait);
    void Unlock();

    const std::string& Error() const { return m_error; }

private:
    int m_fd = -1;
    std::string m_error;
};

}  // namespace vantor

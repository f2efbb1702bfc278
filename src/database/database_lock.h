#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "database/record_store.h"
#include "platform/store_file_system.h"
#include "platform/file_lock.h"

namespace vantor {

// Keeps the processes that share a program directory from changing its
// database at once, and their readers from seeing half a change: any number
// of processes reading, or one changing. It is an advisory lock on a lock
// file beside the stores, taken shared for reading and exclusive for a change.
//
// The lock file also holds a change number, raised by every writer before it
// changes anything. A holder that finds another number than the one it left
// knows that another process has changed the stores (or died while changing
// them) and has them reloaded (Reload) before it looks at them.
//
// Inside one process the threads share the lock, which belongs to the open
// file: the first reader in takes it and the last one out lets it go. The
// caller keeps a writer apart from this process's readers (the store gate).
class DatabaseLock {
public:
    // What a reload did: done, or it found the remains of a change that a
    // writer must first finish or undo (a holder of the shared lock is then
    // given the exclusive one and asked again).
    enum class Reload { Done, NeedsExclusive, Failed };
    // Called with true while the lock is held exclusively.
    using Reloader = std::function<Reload(bool exclusive)>;
    using WaitReport = std::function<void(const std::string& message)>;

    // How long a holder waits quietly before the wait is reported.
    static constexpr int kPatienceMilliseconds = 300;
    static const char* const kWaitMessage;

    DatabaseLock(IStoreFileSystem& fs, Reloader reloader);
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    // Opens the lock file, creating it for writing. For reading, a lock file
    // that does not exist (and cannot be made) is looked for again at each
    // entry, and until it is there no writer can be at work. False, with the
    // reason in GetError(), when a writer cannot open it.
    bool Open(const std::string& path, StoreAccess access);
    void Close();
    const std::string& GetError() const { return m_error; }

    // Called at most once, the first time a holder has waited longer than
    // the patience for another process.
    void SetWaitReport(WaitReport report) { m_report = std::move(report); }
    // The next holder reloads the stores whether or not the number moved.
    // Called while the lock is held exclusively.
    void Invalidate() { m_seen.reset(); }

    // False when the lock or the reload failed; nothing is held then.
    bool EnterShared();
    void LeaveShared();
    // Refused for reading; false also when the change number cannot be written.
    bool EnterExclusive();
    void LeaveExclusive();

    class Shared {
    public:
        explicit Shared(DatabaseLock& lock) : m_lock(lock), m_held(lock.EnterShared()) {}
        ~Shared() {
            if (m_held) m_lock.LeaveShared();
        }
        Shared(const Shared&) = delete;
        Shared& operator=(const Shared&) = delete;
        explicit operator bool() const { return m_held; }

    private:
        DatabaseLock& m_lock;
        bool m_held;
    };

    class Exclusive {
    public:
        explicit Exclusive(DatabaseLock& lock) : m_lock(lock), m_held(lock.EnterExclusive()) {}
        ~Exclusive() {
            if (m_held) m_lock.LeaveExclusive();
        }
        Exclusive(const Exclusive&) = delete;
        Exclusive& operator=(const Exclusive&) = delete;
        explicit operator bool() const { return m_held; }

    private:
        DatabaseLock& m_lock;
        bool m_held;
    };

private:
    // Takes the file lock in the mode, waiting as long as it takes.
    bool Take(FileLock::Mode mode);
    void Release();
    bool OpenFiles();
    uint64_t ReadNumber();
    bool WriteNumber(uint64_t number);
    // Reloads when the number moved; under the exclusive lock also raises it.
    bool Synchronize(bool exclusive);

    IStoreFileSystem& m_fs;
    Reloader m_reloader;
    WaitReport m_report;
    bool m_reported = false;
    std::string m_path;
    StoreAccess m_access = StoreAccess::ReadOnly;
    std::string m_error;
    FileLock m_file;
    // The change number is read and written through the store's file system.
    std::unique_ptr<IStoreFile> m_number;
    // The number as this process left it; none: reload at the next entry.
    std::optional<uint64_t> m_seen;
    std::mutex m_sharedMutex;
    int32_t m_sharers = 0;
};

}  // namespace vantor

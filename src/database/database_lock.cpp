#include "database/database_lock.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "model/value_io.h"

namespace vantor {

const char* const DatabaseLock::kWaitMessage =
    "waiting for another vantor process to finish changing the music database...";

DatabaseLock::DatabaseLock(IStoreFileSystem& fs, Reloader reloader) : m_fs(fs), m_reloader(std::move(reloader)) {}

DatabaseLock::~DatabaseLock() = default;

bool DatabaseLock::Open(const std::string& path, StoreAccess access) {
    Close();
    m_path = path;
    m_access = access;
    m_error.clear();
    return OpenFiles() || access == StoreAccess::ReadOnly;
}

void DatabaseLock::Close() {
    m_file.Close();
    m_number.reset();
    m_seen.reset();
    // Closed means closed: no later entry may open the files again and have
    // the stores reloaded behind the owner's back.
    m_path.clear();
}

bool DatabaseLock::OpenFiles() {
    if (m_file.IsOpen()) return true;
    if (m_path.empty()) return false;
    const bool writable = m_access == StoreAccess::ReadWrite;
    if (!m_file.Open(m_path, writable)) {
        m_error = "cannot open the lock file " + m_file.Error();
        return false;
    }
    m_number = writable ? m_fs.Open(m_path) : m_fs.OpenForReading(m_path);
    if (writable && !m_number) {
        m_file.Close();
        m_error = "cannot open the lock file " + m_path + " for writing";
        return false;
    }
    return true;
}

uint64_t DatabaseLock::ReadNumber() {
    uint8_t bytes[8] = {};
    // A new (empty) lock file reads as 0.
    if (!m_number || m_number->ReadAt(0, bytes, sizeof bytes) != sizeof bytes) return 0;
    return static_cast<uint64_t>(LoadLE32(bytes)) | static_cast<uint64_t>(LoadLE32(bytes + 4)) << 32;
}

bool DatabaseLock::WriteNumber(uint64_t number) {
    uint8_t bytes[8];
    StoreLE32(bytes, static_cast<uint32_t>(number));
    StoreLE32(bytes + 4, static_cast<uint32_t>(number >> 32));
    // Not flushed: the number only matters to processes that are running,
    // and they all see the same file contents.
    return m_number && m_number->WriteAt(0, bytes, sizeof bytes);
}

bool DatabaseLock::Take(FileLock::Mode mode) {
    FileLock::Outcome outcome = m_file.Lock(mode, FileLock::Wait::Try);
    if (outcome == FileLock::Outcome::Busy) {
        // Polled for a while, so that a short wait goes unmentioned; then
        // reported once and waited for in earnest.
        const auto start = std::chrono::steady_clock::now();
        auto pause = std::chrono::milliseconds(1);
        while (outcome == FileLock::Outcome::Busy && !m_reported &&
               std::chrono::steady_clock::now() - start < std::chrono::milliseconds(kPatienceMilliseconds)) {
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, std::chrono::milliseconds(20));
            outcome = m_file.Lock(mode, FileLock::Wait::Try);
        }
        if (outcome == FileLock::Outcome::Busy) {
            if (!m_reported && m_report) m_report(kWaitMessage);
            m_reported = true;
            outcome = m_file.Lock(mode, FileLock::Wait::Block);
        }
    }
    if (outcome == FileLock::Outcome::Locked) return true;
    m_error = "cannot lock " + m_path + ": " + m_file.Error();
    return false;
}

bool DatabaseLock::Synchronize(bool exclusive) {
    for (;;) {
        const uint64_t number = ReadNumber();
        if (exclusive) {
            // Raised before anything changes, so that a writer that dies
            // halfway still makes the others look again.
            if (!WriteNumber(number + 1)) {
                m_error = "cannot write the lock file " + m_path;
                return false;
            }
            if (m_seen != number && m_reloader(true) != Reload::Done) {
                m_seen.reset();
                return false;
            }
            m_seen = number + 1;
            return true;
        }
        if (m_seen == number) return true;
        switch (m_reloader(false)) {
            case Reload::Done:
                m_seen = number;
                return true;
            case Reload::Failed:
                m_seen.reset();
                return false;
            case Reload::NeedsExclusive:
                break;
        }
        // Converting the lock lets go of it for a moment, so the number is
        // read again once it is shared again.
        if (m_access == StoreAccess::ReadOnly || !Take(FileLock::Mode::Exclusive)) return false;
        const bool finished = Synchronize(true);
        if (!Take(FileLock::Mode::Shared) || !finished) return false;
    }
}

bool DatabaseLock::EnterShared() {
    std::lock_guard lock(m_sharedMutex);
    if (m_sharers > 0) {
        ++m_sharers;
        return true;
    }
    // A reader finds no lock file only in a directory it may not write and
    // where no writer has been yet: there is nobody to wait for.
    if (OpenFiles()) {
        if (!Take(FileLock::Mode::Shared)) return false;
    } else if (m_access == StoreAccess::ReadWrite) {
        return false;
    }
    if (!Synchronize(false)) {
        m_file.Unlock();
        return false;
    }
    ++m_sharers;
    return true;
}

void DatabaseLock::LeaveShared() {
    std::lock_guard lock(m_sharedMutex);
    if (--m_sharers == 0) m_file.Unlock();
}

bool DatabaseLock::EnterExclusive() {
    if (m_access == StoreAccess::ReadOnly || !OpenFiles() || !Take(FileLock::Mode::Exclusive)) return false;
    if (!Synchronize(true)) {
        m_file.Unlock();
        return false;
    }
    return true;
}

void DatabaseLock::LeaveExclusive() { m_file.Unlock(); }

}  // namespace vantor

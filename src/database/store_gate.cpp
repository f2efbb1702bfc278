#include "database/store_gate.h"

namespace vantor {

void CStoreGate::EnterReader() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_writer && m_waitingWriters == 0; });
    ++m_readers;
}

void CStoreGate::LeaveReader() {
    std::lock_guard lock(m_mutex);
    if (--m_readers == 0) m_changed.notify_all();
}

void CStoreGate::EnterWriter() {
    std::unique_lock lock(m_mutex);
    ++m_waitingWriters;
    m_changed.wait(lock, [this] { return !m_writer && m_readers == 0; });
    --m_waitingWriters;
    m_writer = true;
}

void CStoreGate::LeaveWriter() {
    std::lock_guard lock(m_mutex);
    m_writer = false;
    m_changed.notify_all();
}

}  // namespace vantor

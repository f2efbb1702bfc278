#include "engine/data_stream.h"

#include <algorithm>
#include <cstring>

namespace vantor {

IDataStream::IDataStream(uint32_t capacity, uint32_t chunk)
    : m_ring(capacity & ~3u),
      m_capacity(capacity & ~3u),
      m_chunk(chunk),
      m_pulledChunk(chunk),
      m_hub(std::make_shared<EventHub>()),
      m_dataWanted(Event::Reset::Auto, m_hub),
      m_dataAvailable(Event::Reset::Manual, m_hub),
      m_stop(Event::Reset::Manual, m_hub) {}

IDataStream::~IDataStream() {
    Lock(false);
    Join(-1);
}

bool IDataStream::StartStream() {
    if (IsPulled()) return false;
    return Start();
}

bool IDataStream::StartPulled() {
    std::lock_guard lock(m_indexLock);
    if (IsRunning() || IsPulled()) return false;
    m_exhausted = false;
    m_pulled.store(true, std::memory_order_release);
    return true;
}

void IDataStream::StopStream() {
    Join(-1);
    std::lock_guard lock(m_indexLock);
    m_pulled.store(false, std::memory_order_release);
    FlushRing();
}

void IDataStream::OnStopRequest() { m_stop.Set(); }

void IDataStream::FlushRing() {
    std::lock_guard lock(m_indexLock);
    m_readIndex = 0;
    m_writeIndex = 0;
    m_dataAvailable.Reset();
    // A producer asleep on a full ring must refill the emptied one.
    m_dataWanted.Set();
}

uint32_t IDataStream::UsedLocked() const {
    return m_writeIndex >= m_readIndex ? m_writeIndex - m_readIndex : m_capacity - m_readIndex + m_writeIndex;
}

uint32_t IDataStream::GetBuffered() const {
    std::lock_guard lock(m_indexLock);
    return UsedLocked();
}

int32_t IDataStream::Run() {
    m_stop.Reset();
    while (!IsStopRequested()) {
        for (;;) {
            if (IsStopRequested()) break;
            std::lock_guard lock(m_indexLock);
            if (UsedLocked() >= m_capacity - 64) break;
            // Contiguous free space at the write index, keeping 4 bytes
            // before the read index free.
            uint32_t free = m_writeIndex < m_readIndex ? m_readIndex - m_writeIndex - 1 : m_capacity - m_writeIndex;
            free &= ~3u;
            if (m_readIndex == 0) free = free >= 4 ? free - 4 : 0;
            uint32_t ask = std::min(m_chunk, free);
            uint32_t made = ask > 0 ? Generate(m_ring.data() + m_writeIndex, ask) : 0;
            made = std::min(made, ask);
            if (made == 0 && ask >= 4) RequestStop();  // the source is exhausted
            m_writeIndex = (m_writeIndex + made) % m_capacity;
            if (made > 0 && UsedLocked() > 0) m_dataAvailable.Set();
            if (made == 0) break;
        }
        while (IsSuspended() && !IsStopRequested()) std::this_thread::yield();
        if (IsStopRequested()) break;
        int which = Event::WaitAny({&m_stop, &m_dataWanted});
        if (which == 0) m_stop.Set();
    }
    m_stop.Set();
    return 0;
}

uint32_t IDataStream::ReadPart(uint8_t* buffer, uint32_t bytes) {
    {
        std::unique_lock lock(m_indexLock);
        if (UsedLocked() == 0) {
            if (!IsRunning()) return 0;
            lock.unlock();
            // Wake on data, or on the producer's stop (which stays set).
            Event::WaitAny({&m_dataAvailable, &m_stop});
        }
    }
    std::lock_guard lock(m_indexLock);
    uint32_t end = m_writeIndex < m_readIndex ? m_capacity : m_writeIndex;
    uint32_t n = std::min(bytes, end - m_readIndex);
    if (n > 0) {
        std::memcpy(buffer, m_ring.data() + m_readIndex, n);
        m_readIndex = (m_readIndex + n) % m_capacity;
    }
    if (UsedLocked() == 0) m_dataAvailable.Reset();
    return n;
}

uint32_t IDataStream::ReadPulled(uint8_t* out, uint32_t bytes) {
    // The reader is the producer: the index lock is held across Generate, as
    // the producer thread holds it, so repositioning waits for the block.
    std::lock_guard lock(m_indexLock);
    uint32_t done = 0;
    while (done < bytes) {
        if (UsedLocked() > 0) {
            // What a part-frame request left in the ring comes first.
            uint32_t end = m_writeIndex < m_readIndex ? m_capacity : m_writeIndex;
            uint32_t n = std::min(bytes - done, end - m_readIndex);
            std::memcpy(out + done, m_ring.data() + m_readIndex, n);
            m_readIndex = (m_readIndex + n) % m_capacity;
            done += n;
            continue;
        }
        if (m_exhausted) break;
        const uint32_t want = bytes - done;
        // As for the producer, a Generate that makes nothing of 4 bytes or
        // more means the source has ended.
        if (want >= 4) {
            uint32_t ask = std::min(want, m_pulledChunk);
            uint32_t made = std::min(Generate(out + done, ask), ask);
            if (made == 0) m_exhausted = true;  // as the producer stops on an empty Generate
            done += made;
            continue;
        }
        // A short request: one chunk into the emptied ring, as the producer
        // would render it, and the request served from there.
        m_readIndex = 0;
        m_writeIndex = 0;
        uint32_t ask = std::min(m_chunk, m_capacity - 4) & ~3u;
        uint32_t made = ask > 0 ? std::min(Generate(m_ring.data(), ask), ask) : 0;
        if (made == 0) m_exhausted = true;
        m_writeIndex = made;
    }
    return done;
}

uint32_t IDataStream::Read(void* buffer, uint32_t bytes) {
    std::lock_guard lock(m_readLock);
    auto* out = static_cast<uint8_t*>(buffer);
    if (IsPulled()) return ReadPulled(out, bytes);
    uint32_t done = 0;
    while (done < bytes) {
        uint32_t n = ReadPart(out + done, bytes - done);
        done += n;
        {
            std::lock_guard indexLock(m_indexLock);
            if (UsedLocked() < m_capacity - 4) m_dataWanted.Set();
        }
        if (n == 0 && !IsRunning()) {
            // The producer has ended: hand out what it left, then stop.
            std::lock_guard indexLock(m_indexLock);
            if (UsedLocked() == 0) break;
        }
    }
    return done;
}

void IDataStream::SetPosition(uint32_t, bool flush) {
    if (flush) FlushRing();
}

void IDataStream::Lock(bool lock) {
    if (lock) {
        if (m_locked.load()) return;
        m_readLock.lock();
        m_indexLock.lock();
        m_locked.store(true);
    } else {
        if (!m_locked.load()) return;
        m_locked.store(false);
        m_indexLock.unlock();
        m_readLock.unlock();
    }
}

bool IDataStream::IsLocked() const { return m_locked.load(); }

}  // namespace vantor

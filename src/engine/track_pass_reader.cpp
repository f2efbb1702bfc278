#include "engine/track_pass_reader.h"

#include <cstring>
#include <thread>

namespace vantor {

CTrackPassReader::CTrackPassReader(std::vector<IDataStream*> tracks, uint32_t blockBytes)
    : m_tracks(std::move(tracks)),
      m_blockBytes(blockBytes & ~1u),
      m_blocks(m_tracks.size(), std::vector<int16_t>(m_blockBytes / 2)),
      m_ready(m_tracks.size(), false) {}

CTrackPassReader::~CTrackPassReader() { Join(-1); }

void CTrackPassReader::StartHelper() {
    if (m_tracks.size() > 1 && std::thread::hardware_concurrency() > 1) Start();
}

void CTrackPassReader::OnStopRequest() {
    // Under the mutex, so that the helper cannot miss the wake between its
    // look at the stop flag and its wait.
    std::lock_guard lock(m_mutex);
    m_helperWake.notify_one();
}

void CTrackPassReader::BeginPass(uint32_t bytes) {
    std::lock_guard lock(m_mutex);
    m_bytes = std::min(bytes, m_blockBytes);
    m_front = 0;
    m_back = m_tracks.size();
    m_ready.assign(m_tracks.size(), false);
    if (m_helperWaiting) m_helperWake.notify_one();
}

void CTrackPassReader::ReadTrack(size_t index, uint32_t bytes) {
    auto* block = reinterpret_cast<uint8_t*>(m_blocks[index].data());
    uint32_t got = m_tracks[index]->Read(block, bytes);
    if (got < bytes) std::memset(block + got, 0, bytes - got);
}

int16_t* CTrackPassReader::TakeTrack(size_t index) {
    if (index >= m_tracks.size()) return nullptr;
    std::unique_lock lock(m_mutex);
    if (index >= m_back) {
        // The helper has it: wait until it is read.
        while (!m_ready[index]) {
            m_callerWaiting = true;
            m_callerWake.wait(lock);
            m_callerWaiting = false;
        }
        return m_blocks[index].data();
    }
    m_front = index + 1;
    const uint32_t bytes = m_bytes;
    lock.unlock();
    ReadTrack(index, bytes);
    return m_blocks[index].data();
}

int32_t CTrackPassReader::Run() {
    std::unique_lock lock(m_mutex);
    while (!IsStopRequested()) {
        if (m_back > m_front) {
            const size_t index = --m_back;
            const uint32_t bytes = m_bytes;
            lock.unlock();
            ReadTrack(index, bytes);
            lock.lock();
            m_ready[index] = true;
            if (m_callerWaiting) m_callerWake.notify_one();
            continue;
        }
        m_helperWaiting = true;
        m_helperWake.wait(lock);
        m_helperWaiting = false;
    }
    return 0;
}

}  // namespace vantor

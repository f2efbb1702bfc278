#include "engine/track_pass_reader.h"

#include <cstring>
#include <thread>

namespace vantor {

CTrackPassReader::CTrackPassReader(std::vector<IDataStream*> tracks, uint32_t passBytes)
    : m_tracks(std::move(tracks)), m_passBytes(passBytes & ~1u) {
    for (uint64_t pass = 0; pass < 2; ++pass) {
        Slot& slot = SlotOf(pass);
        slot.blocks.assign(m_tracks.size(), std::vector<int16_t>(m_passBytes / 2));
        Open(slot, pass);
    }
}

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

void CTrackPassReader::Open(Slot& slot, uint64_t pass) {
    slot.pass = pass;
    slot.front = 0;
    slot.back = m_tracks.size();
    slot.callerRead = 0;
    slot.ready.assign(m_tracks.size(), false);
}

void CTrackPassReader::ReadTrack(Slot& slot, size_t index) {
    auto* block = reinterpret_cast<uint8_t*>(slot.blocks[index].data());
    uint32_t got = m_tracks[index]->Read(block, m_passBytes);
    if (got < m_passBytes) std::memset(block + got, 0, m_passBytes - got);
}

int16_t* CTrackPassReader::TakeTrack(size_t index) {
    std::unique_lock lock(m_mutex);
    Slot& slot = SlotOf(m_pass);
    if (index >= m_tracks.size() || index != slot.front) return nullptr;
    if (index >= slot.back) {
        while (!slot.ready[index]) {
            m_callerWaiting = true;
            m_callerWake.wait(lock);
            m_callerWaiting = false;
        }
        slot.front = index + 1;
        return slot.blocks[index].data();
    }
    slot.front = index + 1;
    lock.unlock();
    ReadTrack(slot, index);
    lock.lock();
    slot.callerRead = index + 1;
    // The helper may be waiting for this track to read the next pass of it.
    if (m_helperWaiting) m_helperWake.notify_one();
    return slot.blocks[index].data();
}

void CTrackPassReader::FinishPass() {
    std::lock_guard lock(m_mutex);
    Open(SlotOf(m_pass), m_pass + 2);
    ++m_pass;
    if (m_helperWaiting) m_helperWake.notify_one();
}

bool CTrackPassReader::FindHelperWork(Slot*& slot, size_t& index) {
    Slot& current = SlotOf(m_pass);
    if (current.back > current.front) {
        slot = &current;
        index = current.back - 1;
        return true;
    }
    // The pass ahead: a track only once its block of the current pass has
    // been read, by the helper (from the current back up, all read, since
    // the helper reads one block at a time) or by the caller.
    Slot& next = SlotOf(m_pass + 1);
    if (next.pass != m_pass + 1 || next.back <= next.front) return false;
    const size_t candidate = next.back - 1;
    if (candidate >= current.back || candidate < current.callerRead) {
        slot = &next;
        index = candidate;
        return true;
    }
    return false;
}

int32_t CTrackPassReader::Run() {
    std::unique_lock lock(m_mutex);
    while (!IsStopRequested()) {
        Slot* slot = nullptr;
        size_t index = 0;
        if (FindHelperWork(slot, index)) {
            slot->back = index;
            lock.unlock();
            ReadTrack(*slot, index);
            lock.lock();
            slot->ready[index] = true;
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

#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "engine/data_stream.h"
#include "engine/thread.h"

namespace vantor {

// Reads the track streams of a set in passes of a fixed size, every track
// into a block of its own, on two threads: the caller's and a helper thread.
// In each pass the caller takes tracks from the front and the helper from
// the back, and the caller receives the blocks in track order, so that it
// mixes the first tracks while the helper still renders the last ones. The
// helper reads up to one pass ahead, so that it keeps working while the
// caller mixes the rest of a pass and writes it.
//
// Which thread reads a block changes nothing in its bytes: a track's blocks
// are read one after the other, a block only once the track's block of the
// pass before it has been read. The threads wake each other only when one
// of them waits.
class CTrackPassReader : public CThread {
public:
    // The streams are not owned and must outlive the reader.
    CTrackPassReader(std::vector<IDataStream*> tracks, uint32_t passBytes);
    ~CTrackPassReader() override;

    // Starts the helper, when there is more than one track and more than one
    // core to share them; without it the caller reads every track.
    void StartHelper();
    uint32_t GetPassBytes() const { return m_passBytes; }

    // Track i's block of the current pass, read now or waited for when the
    // helper has it; tracks are taken in order, 0, 1, ... Bytes a track did
    // not deliver are silence. Null for an index out of range or out of order.
    int16_t* TakeTrack(size_t index);
    // Ends the current pass (every track taken): its blocks are free for the
    // helper to read the pass after the next one into.
    void FinishPass();

protected:
    int32_t Run() override;
    void OnStopRequest() override;

private:
    struct Slot {
        uint64_t pass = 0;
        size_t front = 0;       // tracks below are the caller's
        size_t back = 0;        // tracks from here up are the helper's
        size_t callerRead = 0;  // tracks below have been read by the caller
        std::vector<bool> ready;  // the helper has read the track
        std::vector<std::vector<int16_t>> blocks;
    };

    Slot& SlotOf(uint64_t pass) { return m_slots[pass % 2]; }
    void Open(Slot& slot, uint64_t pass);
    // The slot and track the helper may read next; false when none.
    bool FindHelperWork(Slot*& slot, size_t& index);
    void ReadTrack(Slot& slot, size_t index);

    std::vector<IDataStream*> m_tracks;
    uint32_t m_passBytes;

    std::mutex m_mutex;
    std::condition_variable m_helperWake;
    std::condition_variable m_callerWake;
    Slot m_slots[2];
    uint64_t m_pass = 0;  // the caller's current pass
    bool m_helperWaiting = false;
    bool m_callerWaiting = false;
};

}  // namespace vantor

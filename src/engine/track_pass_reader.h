#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "engine/data_stream.h"
#include "engine/thread.h"

namespace vantor {

// Reads one pass of every track stream of a set into a block of its own, on
// two threads: the caller's and a helper thread. The caller takes tracks
// from the front and the helper from the back, and the caller receives the
// blocks in track order, so that it can mix the first tracks while the
// helper still renders the last ones. Which thread reads a track changes
// nothing in its bytes: each track is read by one thread per pass, in order.
//
// The two threads wake each other only when one of them waits: a pass costs
// a wake-up of the helper and at most one of the caller.
class CTrackPassReader : public CThread {
public:
    // The streams are not owned and must outlive the reader.
    CTrackPassReader(std::vector<IDataStream*> tracks, uint32_t blockBytes);
    ~CTrackPassReader() override;

    // Starts the helper, when there is more than one track and more than one
    // core to share them; without it the caller reads every track.
    void StartHelper();

    // Begins a pass of bytes (at most the block size). Every track of the
    // previous pass must have been taken.
    void BeginPass(uint32_t bytes);
    // Track i's block of the pass, read now or waited for when the helper
    // has it; tracks are taken in order, 0, 1, ... Bytes a track did not
    // deliver are silence.
    int16_t* TakeTrack(size_t index);

protected:
    int32_t Run() override;
    void OnStopRequest() override;

private:
    void ReadTrack(size_t index, uint32_t bytes);

    std::vector<IDataStream*> m_tracks;
    uint32_t m_blockBytes;
    std::vector<std::vector<int16_t>> m_blocks;

    std::mutex m_mutex;
    std::condition_variable m_helperWake;
    std::condition_variable m_callerWake;
    uint32_t m_bytes = 0;
    // Tracks below m_front are the caller's, from m_back up the helper's.
    size_t m_front = 0;
    size_t m_back = 0;
    std::vector<bool> m_ready;  // the helper has read the track this pass
    bool m_helperWaiting = false;
    bool m_callerWaiting = false;
};

}  // namespace vantor

#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/thread.h"
#include "platform/event.h"

namespace vantor {

// A pull stream of PCM bytes: a producer thread renders ahead into a ring
// buffer with Generate, and Read takes bytes out, blocking until the stage
// below has produced them.
//
// A stream started pulled has no producer thread: each Read calls Generate
// itself, on the reader's thread, straight into the reader's buffer (through
// the ring only for a part frame). That is for a reader without a device to
// keep pace with (a mixdown): the bytes are the same, without a hand-off
// between threads for every chunk.
//
// The ring: equal read and write indices mean empty; the producer never fills
// the last 4 bytes before the read index, so full is never mistaken for
// empty. Lock order: read lock, then index lock. The producer holds the index
// lock while it generates one chunk; Read takes it only briefly.
class IDataStream : public CThread {
public:
    // The chunk every stream of the system produces at most per Generate call.
    static constexpr uint32_t kChunkBytes = 10240;

    IDataStream(uint32_t capacity, uint32_t chunk);
    ~IDataStream() override;

    // False when the stream already runs, threaded or pulled.
    virtual bool StartStream();
    // Starts the stream without a producer thread (see above).
    virtual bool StartPulled();
    bool IsPulled() const { return m_pulled.load(std::memory_order_acquire); }
    // Stops the producer, waits for it and empties the ring; a pulled stream
    // stops being pulled.
    virtual void StopStream();
    // Copies up to bytes into buffer; fewer only once the producer has stopped.
    virtual uint32_t Read(void* buffer, uint32_t bytes);
    // The base empties the ring when flush is set; streams move their source.
    virtual void SetPosition(uint32_t position, bool flush);
    // Freezes the stream: neither Read nor the producer proceeds until
    // Lock(false) from the same thread.
    virtual void Lock(bool lock);
    virtual bool IsLocked() const;
    virtual void SetPriority(int32_t priority) = 0;
    virtual bool IsSuspended() const = 0;

    uint32_t GetCapacity() const { return m_capacity; }
    // Bytes in the ring now (a snapshot).
    uint32_t GetBuffered() const;

protected:
    // Produces up to bytes into buffer; called only by the producer thread.
    virtual uint32_t Generate(void* buffer, uint32_t bytes) = 0;
    int32_t Run() override;
    void OnStopRequest() override;
    // Empties the ring (both indices 0); callers hold the index lock or know
    // the producer is not running.
    void FlushRing();

    // Subclasses that guard their source with a lock of their own take the
    // index lock first, as the producer does around Generate.
    std::recursive_mutex& IndexLock() { return m_indexLock; }
    // The most bytes one Generate call is asked for while the stream is
    // pulled (the chunk unless set).
    void SetPulledChunk(uint32_t bytes) { m_pulledChunk = std::max(bytes, m_chunk); }

private:
    uint32_t UsedLocked() const;
    uint32_t ReadPart(uint8_t* buffer, uint32_t bytes);
    uint32_t ReadPulled(uint8_t* buffer, uint32_t bytes);

    std::vector<uint8_t> m_ring;
    uint32_t m_capacity;
    uint32_t m_chunk;
    uint32_t m_pulledChunk;
    uint32_t m_readIndex = 0;
    uint32_t m_writeIndex = 0;

    // One hub: the producer waits for stop or data wanted, the reader for
    // stop or data available.
    std::shared_ptr<EventHub> m_hub;
    Event m_dataWanted;     // auto-reset, set by the reader when the ring is not full
    Event m_dataAvailable;  // manual-reset, set by the producer, cleared when the ring empties
    Event m_stop;           // manual-reset, set when the producer is asked to stop or has stopped

    std::recursive_mutex m_readLock;
    mutable std::recursive_mutex m_indexLock;
    std::atomic<bool> m_locked{false};
    std::atomic<bool> m_pulled{false};
    bool m_exhausted = false;  // a pulled Generate produced nothing: the source has ended
};

}  // namespace vantor

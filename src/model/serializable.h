#pragma once

#include <atomic>
#include <cstdint>

namespace vantor {

class CMemoryOStream;
class CMemoryIStream;

// Base of every persistent object. Objects are reference counted: a new object
// starts at 0, whoever stores a pointer takes a reference, and the last
// Release destroys it. The count itself is atomic, so that a profile handed
// out by the database cache may be dropped on any thread; everything else
// about a shared object is still reached only under the lock of the
// container that holds it.
class ISerializable {
public:
    ISerializable() = default;
    ISerializable(const ISerializable&) = delete;
    ISerializable& operator=(const ISerializable&) = delete;
    virtual ~ISerializable() = default;

    // Appends the object's record.
    virtual void Serialize(CMemoryOStream& out) const = 0;
    // Resets the object to its defaults, then fills it from the stream.
    virtual void Deserialize(CMemoryIStream& in) = 0;
    // A deep copy with a reference count of 0.
    virtual ISerializable* Clone() const = 0;
    // The object's key, or null for objects without one.
    virtual const char* GetKey() const { return nullptr; }

    int32_t AddRef() { return m_refCount.fetch_add(1, std::memory_order_relaxed) + 1; }
    // Destroys the object when the count drops to 0 or below.
    int32_t Release() {
        int32_t count = m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (count <= 0) {
            delete this;
            return 0;
        }
        return count;
    }
    int32_t GetRefCount() const { return m_refCount.load(std::memory_order_relaxed); }

private:
    std::atomic<int32_t> m_refCount{0};
};

}  // namespace vantor

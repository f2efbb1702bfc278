#pragma once

#include <cstdint>

namespace vantor {

class CMemoryOStream;
class CMemoryIStream;

// Base of every persistent object. Objects are reference counted: a new object
// starts at 0, whoever stores a pointer takes a reference, and the last
// Release destroys it. The count is a plain integer; objects shared between
// threads are reached only under the lock of the container that holds them.
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

    int32_t AddRef() { return ++m_refCount; }
    // Destroys the object when the count drops to 0 or below.
    int32_t Release() {
        if (--m_refCount <= 0) {
            delete this;
            return 0;
        }
        return m_refCount;
    }
    int32_t GetRefCount() const { return m_refCount; }

private:
    int32_t m_refCount = 0;
};

}  // namespace vantor

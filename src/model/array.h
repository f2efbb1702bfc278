#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "model/ref_ptr.h"
#include "model/serializable.h"
#include "model/value_io.h"

namespace vantor {

// A growable persistent array of reference-counted objects. Every item holds
// one reference from the array. All operations hold the array's recursive
// lock; callers that need several operations to be atomic take Lock() too.
//
// Record: capacity, count, growth step, initial capacity, then each item's
// record. The element class is not stored, so the owner reads the items with
// ReadItems and a prototype of the element class.
template <class T>
class CArray : public ISerializable {
public:
    explicit CArray(int32_t initialCapacity = 5, int32_t growStep = 5)
        : m_initialCapacity(initialCapacity > 0 ? initialCapacity : 5),
          m_growStep(growStep > 0 ? growStep : 5) {
        m_capacity = m_initialCapacity;
        m_items.reserve(static_cast<size_t>(m_capacity));
    }
    ~CArray() override {
        for (T* item : m_items) item->Release();
    }

    // Appends the item, taking a reference; returns its index.
    int32_t Add(T* item) {
        std::lock_guard lock(m_lock);
        if (static_cast<int32_t>(m_items.size()) == m_capacity) {
            m_capacity += m_growStep;
            m_items.reserve(static_cast<size_t>(m_capacity));
        }
        item->AddRef();
        m_items.push_back(item);
        return static_cast<int32_t>(m_items.size()) - 1;
    }

    // Inserts the item before index (appends when index >= count).
    void InsertAt(int32_t index, T* item) {
        std::lock_guard lock(m_lock);
        if (index < 0 || index >= GetCount()) {
            Add(item);
            return;
        }
        if (static_cast<int32_t>(m_items.size()) == m_capacity) {
            m_capacity += m_growStep;
            m_items.reserve(static_cast<size_t>(m_capacity));
        }
        item->AddRef();
        m_items.insert(m_items.begin() + index, item);
    }

    // The item, or null when the index is out of range.
    T* GetAt(int32_t index) const {
        std::lock_guard lock(m_lock);
        if (index < 0 || index >= static_cast<int32_t>(m_items.size())) return nullptr;
        return m_items[static_cast<size_t>(index)];
    }

    int32_t GetCount() const {
        std::lock_guard lock(m_lock);
        return static_cast<int32_t>(m_items.size());
    }

    // Index of the item, or -1.
    int32_t IndexOf(const T* item) const {
        std::lock_guard lock(m_lock);
        for (size_t i = 0; i < m_items.size(); ++i)
            if (m_items[i] == item) return static_cast<int32_t>(i);
        return -1;
    }

    void RemoveAt(int32_t index) {
        std::lock_guard lock(m_lock);
        if (index < 0 || index >= static_cast<int32_t>(m_items.size())) return;
        T* item = m_items[static_cast<size_t>(index)];
        m_items.erase(m_items.begin() + index);
        item->Release();
    }

    // Releases every item and shrinks the storage back to the initial capacity.
    void RemoveAll() {
        std::lock_guard lock(m_lock);
        std::vector<T*> items;
        items.swap(m_items);
        m_capacity = m_initialCapacity;
        m_items.reserve(static_cast<size_t>(m_capacity));
        for (T* item : items) item->Release();
    }

    int32_t GetCapacity() const { return m_capacity; }
    int32_t GetGrowStep() const { return m_growStep; }
    int32_t GetInitialCapacity() const { return m_initialCapacity; }
    std::recursive_mutex& Lock() const { return m_lock; }

    void Serialize(CMemoryOStream& out) const override {
        std::lock_guard lock(m_lock);
        WriteInt32(out, m_capacity);
        WriteInt32(out, static_cast<int32_t>(m_items.size()));
        WriteInt32(out, m_growStep);
        WriteInt32(out, m_initialCapacity);
        for (const T* item : m_items) item->Serialize(out);
    }

    // Only the owner knows the element class: see ReadItems.
    void Deserialize(CMemoryIStream&) override {}

    // Replaces the contents with the stored array, each item a clone of the
    // prototype filled from the stream. A count larger than the bytes left is
    // a corrupt array: it comes back empty (capacity 0, growth step 1). Items
    // stop when the stream runs dry, so a damaged count never makes more
    // objects than the input could describe.
    void ReadItems(CMemoryIStream& in, const T& prototype) {
        std::lock_guard lock(m_lock);
        RemoveAll();
        int32_t capacity = ReadInt32(in);
        int32_t count = ReadInt32(in);
        int32_t growStep = ReadInt32(in);
        int32_t initialCapacity = ReadInt32(in);
        (void)capacity;
        (void)initialCapacity;
        if (static_cast<uint32_t>(count) > static_cast<uint32_t>(in.GetRemaining())) {
            // Stated items after the end of the input: it was cut short.
            if (count > 0 && in.GetRemaining() == 0) in.MarkDamaged();
            m_items.clear();
            m_items.shrink_to_fit();
            m_capacity = 0;
            m_initialCapacity = 0;
            m_growStep = 1;
            return;
        }
        m_capacity = count;
        m_initialCapacity = count;
        m_growStep = growStep > 0 ? growStep : 1;
        m_items.clear();
        m_items.reserve(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            if (in.GetRemaining() <= 0) {
                // A stated item with no bytes left: the input was cut short.
                uint8_t missing;
                in.Read(&missing, 1);
                break;
            }
            T* item = static_cast<T*>(prototype.Clone());
            item->AddRef();
            m_items.push_back(item);
            item->Deserialize(in);
        }
        m_capacity = m_initialCapacity = static_cast<int32_t>(m_items.size());
    }

    CArray* Clone() const override {
        std::lock_guard lock(m_lock);
        auto* copy = new CArray(m_initialCapacity, m_growStep);
        copy->m_capacity = m_capacity;
        copy->m_initialCapacity = m_initialCapacity;
        copy->m_growStep = m_growStep;
        copy->m_items.reserve(m_items.size());
        for (const T* item : m_items) {
            T* clone = static_cast<T*>(item->Clone());
            clone->AddRef();
            copy->m_items.push_back(clone);
        }
        return copy;
    }

private:
    std::vector<T*> m_items;
    int32_t m_capacity = 0;
    int32_t m_initialCapacity;
    int32_t m_growStep;
    mutable std::recursive_mutex m_lock;
};

}  // namespace vantor

#pragma once

#include <cstdint>
#include <mutex>

#include "model/serializable.h"
#include "model/value_io.h"

namespace vantor {

// A doubly linked persistent list kept in ascending order of weight, taken
// relative to the base weight as unsigned 32-bit numbers; equal weights keep
// their insertion order. Timeline lists weigh each event by its position.
// Every item holds one reference from the list. All operations hold the
// list's recursive lock; callers walking the links take Lock() themselves.
//
// Record: count, base weight, then for each node its weight and the item's
// record.
template <class T>
class CWeightedLinkedList : public ISerializable {
public:
    class Node {
    public:
        int32_t GetWeight() const { return m_weight; }
        T* GetItem() const { return m_item; }
        Node* GetNext() const { return m_next; }
        Node* GetPrev() const { return m_prev; }

    private:
        friend class CWeightedLinkedList;
        Node(T* item, int32_t weight) : m_weight(weight), m_item(item) {}
        int32_t m_weight;
        T* m_item;
        Node* m_next = nullptr;
        Node* m_prev = nullptr;
    };

    CWeightedLinkedList() = default;
    ~CWeightedLinkedList() override { Clear(); }

    // Places the item after every node whose weight is not greater; takes a
    // reference.
    Node* Insert(T* item, int32_t weight) {
        std::lock_guard lock(m_lock);
        auto* node = new Node(item, weight);
        item->AddRef();
        uint32_t key = Relative(weight);
        Node* before = m_head;
        while (before && Relative(before->m_weight) <= key) before = before->m_next;
        if (before) {
            node->m_next = before;
            node->m_prev = before->m_prev;
            if (before->m_prev) before->m_prev->m_next = node; else m_head = node;
            before->m_prev = node;
        } else {
            Append(node);
        }
        ++m_count;
        return node;
    }

    // Releases the node's item, unlinks the node and frees it.
    void Remove(Node* node) {
        std::lock_guard lock(m_lock);
        if (!node) return;
        if (node->m_prev) node->m_prev->m_next = node->m_next; else m_head = node->m_next;
        if (node->m_next) node->m_next->m_prev = node->m_prev; else m_tail = node->m_prev;
        --m_count;
        T* item = node->m_item;
        delete node;
        item->Release();
    }

    // The node holding this very item, or null.
    Node* Find(const T* item) const {
        std::lock_guard lock(m_lock);
        for (Node* n = m_head; n; n = n->m_next)
            if (n->m_item == item) return n;
        return nullptr;
    }

    void RemoveAll() {
        std::lock_guard lock(m_lock);
        Clear();
    }

    Node* GetHead() const { return m_head; }
    Node* GetTail() const { return m_tail; }
    int32_t GetCount() const { return m_count; }
    int32_t GetBaseWeight() const { return m_baseWeight; }
    std::recursive_mutex& Lock() const { return m_lock; }

    void Serialize(CMemoryOStream& out) const override {
        std::lock_guard lock(m_lock);
        WriteInt32(out, m_count);
        WriteInt32(out, m_baseWeight);
        for (const Node* n = m_head; n; n = n->m_next) {
            WriteInt32(out, n->m_weight);
            n->m_item->Serialize(out);
        }
    }

    // Only the owner knows the element class: see ReadItems.
    void Deserialize(CMemoryIStream&) override {}

    // Replaces the contents with the stored nodes, in their stored order. A
    // count larger than the bytes left gives an empty list; nodes stop when
    // the stream runs dry.
    void ReadItems(CMemoryIStream& in, const T& prototype) {
        std::lock_guard lock(m_lock);
        Clear();
        int32_t count = ReadInt32(in);
        m_baseWeight = ReadInt32(in);
        if (static_cast<uint32_t>(count) > static_cast<uint32_t>(in.GetRemaining())) {
            // Stated nodes after the end of the input: it was cut short.
            if (count > 0 && in.GetRemaining() == 0) in.MarkDamaged();
            return;
        }
        for (int32_t i = 0; i < count; ++i) {
            if (in.GetRemaining() <= 0) {
                // A stated item with no bytes left: the input was cut short.
                uint8_t missing;
                in.Read(&missing, 1);
                break;
            }
            int32_t weight = ReadInt32(in);
            T* item = static_cast<T*>(prototype.Clone());
            item->AddRef();
            Append(new Node(item, weight));
            ++m_count;
            item->Deserialize(in);
        }
    }

    CWeightedLinkedList* Clone() const override {
        std::lock_guard lock(m_lock);
        auto* copy = new CWeightedLinkedList();
        copy->m_baseWeight = m_baseWeight;
        for (const Node* n = m_head; n; n = n->m_next) {
            T* clone = static_cast<T*>(n->m_item->Clone());
            clone->AddRef();
            copy->Append(new Node(clone, n->m_weight));
            ++copy->m_count;
        }
        return copy;
    }

private:
    uint32_t Relative(int32_t weight) const {
        return static_cast<uint32_t>(weight) - static_cast<uint32_t>(m_baseWeight);
    }

    void Append(Node* node) {
        node->m_prev = m_tail;
        node->m_next = nullptr;
        if (m_tail) m_tail->m_next = node; else m_head = node;
        m_tail = node;
    }

    void Clear() {
        Node* n = m_head;
        m_head = m_tail = nullptr;
        m_count = 0;
        while (n) {
            Node* next = n->m_next;
            T* item = n->m_item;
            delete n;
            item->Release();
            n = next;
        }
    }

    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    int32_t m_count = 0;
    int32_t m_baseWeight = 0;
    mutable std::recursive_mutex m_lock;
};

}  // namespace vantor

#pragma once

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "control/midi_control_owner.h"
#include "control/midi_input.h"
#include "model/memory_istream.h"
#include "model/memory_ostream.h"
#include "model/value_io.h"

namespace vantor {

// A list of controller bindings of one kind, each bound by a record in the
// process's MIDI input table. Every binding carries an id that the map gives
// it; records whose key is not fixed by the binding itself carry that id,
// and the map looks it up under its own lock, so that a value arriving on the
// MIDI thread never reaches a binding that has gone.
//
// Binding provides: channel and controller members; SameControl(other), true
// when the new binding replaces the old; Description(); Write(out); Read(in),
// false on a damaged record; kRecordBytes, the size of its stored record.
//
// The list record is the one of every weighted list with all weights 0:
// count, base weight, then per binding its weight and its record.
//
// Lock order: a map's lock, then the table's cell lock. Derived maps call
// SetInput(nullptr) in their destructor, before their own members go.
template <class Binding>
class CMIDIBindingMap : public IMIDIControlOwner {
public:
    CMIDIBindingMap() = default;
    CMIDIBindingMap(const CMIDIBindingMap&) = delete;
    CMIDIBindingMap& operator=(const CMIDIBindingMap&) = delete;

    // Moves every binding's record from the table it was bound in to this
    // one (none: the bindings stay, bound nowhere).
    void SetInput(CMIDIInput* input) {
        CMIDIInput* old;
        {
            std::lock_guard lock(m_lock);
            old = m_input;
            m_input = nullptr;
        }
        // Without the map's lock: a dispatch in progress may still need it.
        if (old) old->ForgetOwner(this);
        std::lock_guard lock(m_lock);
        m_input = input;
        for (const Entry& entry : m_entries) BindLocked(entry);
    }

    std::vector<Binding> GetBindings() const {
        std::lock_guard lock(m_lock);
        std::vector<Binding> bindings;
        for (const Entry& entry : m_entries) bindings.push_back(entry.binding);
        return bindings;
    }
    int32_t GetCount() const {
        std::lock_guard lock(m_lock);
        return static_cast<int32_t>(m_entries.size());
    }

    void RemoveAll() {
        std::lock_guard lock(m_lock);
        for (const Entry& entry : m_entries) UnbindLocked(entry);
        m_entries.clear();
        Changed();
    }

    void Serialize(CMemoryOStream& out) const {
        std::lock_guard lock(m_lock);
        WriteInt32(out, static_cast<int32_t>(m_entries.size()));
        WriteInt32(out, 0);
        for (const Entry& entry : m_entries) {
            WriteInt32(out, 0);
            entry.binding.Write(out);
        }
    }

    // Replaces the bindings with the stored ones and binds them. A count that
    // the bytes left cannot hold, or a damaged record, leaves the map empty
    // and marks the stream damaged: false.
    bool Deserialize(CMemoryIStream& in) {
        std::lock_guard lock(m_lock);
        for (const Entry& entry : m_entries) UnbindLocked(entry);
        m_entries.clear();
        Changed();
        const int32_t count = ReadInt32(in);
        ReadInt32(in);  // base weight: every weight is 0
        constexpr int64_t kStored = 4 + Binding::kRecordBytes;
        if (in.RanShort() || count < 0 || count * kStored > in.GetRemaining()) {
            in.MarkDamaged();
            return false;
        }
        std::vector<Entry> read;
        for (int32_t i = 0; i < count; ++i) {
            ReadInt32(in);
            Entry entry{m_nextId++, Binding{}};
            if (!entry.binding.Read(in)) {
                in.MarkDamaged();
                return false;
            }
            read.push_back(entry);
        }
        m_entries = std::move(read);
        for (const Entry& entry : m_entries) BindLocked(entry);
        Changed();
        return true;
    }

protected:
    struct Entry {
        uint32_t id = 0;
        Binding binding;
    };

    // The record key of a binding.
    virtual uint32_t KeyOf(const Entry& entry) const { return entry.id; }
    // Told, under the lock, after the bindings changed.
    virtual void Changed() {}

    // Replaces a binding of the same control, appends the new one, binds it.
    void AddBinding(const Binding& binding) {
        std::lock_guard lock(m_lock);
        RemoveLocked([&](const Binding& b) { return b.SameControl(binding); });
        m_entries.push_back(Entry{m_nextId++, binding});
        BindLocked(m_entries.back());
        Changed();
    }

    // Removes the first binding matching the predicate; false when none.
    template <class Match>
    bool RemoveBinding(Match match) {
        std::lock_guard lock(m_lock);
        const bool removed = RemoveLocked(match);
        if (removed) Changed();
        return removed;
    }

    const Entry* FindLocked(uint32_t id) const {
        for (const Entry& entry : m_entries)
            if (entry.id == id) return &entry;
        return nullptr;
    }

    mutable std::mutex m_lock;
    std::vector<Entry> m_entries;

private:
    template <class Match>
    bool RemoveLocked(Match match) {
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (!match(it->binding)) continue;
            UnbindLocked(*it);
            m_entries.erase(it);
            return true;
        }
        return false;
    }
    void BindLocked(const Entry& entry) {
        if (m_input)
            m_input->Bind(entry.binding.channel, entry.binding.controller, entry.binding.Description(), this,
                          KeyOf(entry));
    }
    void UnbindLocked(const Entry& entry) {
        if (m_input) m_input->Unbind(entry.binding.channel, entry.binding.controller, this, KeyOf(entry));
    }

    CMIDIInput* m_input = nullptr;
    uint32_t m_nextId = 1;
};

}  // namespace vantor

#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace vantor {

// The engine's name-keyed table: 113 slots of open addressing, probing in
// steps of 13, that never grows. Keys are names of up to 255 characters
// (longer names are cut there, on insertion and lookup alike); case matters.
template <class Value>
class NameHashTable {
public:
    static constexpr uint32_t kSlots = 113;
    static constexpr uint32_t kStep = 13;
    static constexpr size_t kMaxKey = 255;

    // The exclusive-or of the key's bytes taken as little-endian 32-bit
    // words, the last one padded with zero bytes; 0 for no key.
    static uint32_t Hash(const char* key) {
        if (!key) return 0;
        uint32_t hash = 0;
        size_t length = strnlen(key, kMaxKey);
        for (size_t i = 0; i < length; ++i)
            hash ^= static_cast<uint32_t>(static_cast<uint8_t>(key[i])) << (8 * (i % 4));
        return hash;
    }

    Value* Find(const char* key) {
        auto slot = Locate(key);
        return slot ? &m_slots[*slot].value : nullptr;
    }

    // False when the key is present already or every slot is taken.
    bool Insert(const char* key, Value value) {
        if (!key || Locate(key)) return false;
        uint32_t slot = Hash(key) % kSlots;
        for (uint32_t probe = 0; probe < kSlots; ++probe, slot = (slot + kStep) % kSlots) {
            if (m_slots[slot].state != State::Used) {
                m_slots[slot].state = State::Used;
                m_slots[slot].key.assign(key, strnlen(key, kMaxKey));
                m_slots[slot].value = std::move(value);
                ++m_count;
                return true;
            }
        }
        return false;
    }

    // Leaves a deleted mark, so that keys inserted past this slot are still found.
    bool Remove(const char* key) {
        auto slot = Locate(key);
        if (!slot) return false;
        m_slots[*slot].state = State::Deleted;
        m_slots[*slot].key.clear();
        m_slots[*slot].value = Value();
        --m_count;
        return true;
    }

    uint32_t Count() const { return m_count; }

    // The key of the index-th occupied slot in slot order, or null.
    const char* KeyAt(uint32_t index) const {
        for (const auto& slot : m_slots)
            if (slot.state == State::Used && index-- == 0) return slot.key.c_str();
        return nullptr;
    }

    template <class Visit>
    void ForEach(Visit visit) {
        for (auto& slot : m_slots)
            if (slot.state == State::Used) visit(slot.key.c_str(), slot.value);
    }

private:
    enum class State : uint8_t { Empty, Deleted, Used };
    struct Slot {
        State state = State::Empty;
        std::string key;
        Value value{};
    };

    std::optional<uint32_t> Locate(const char* key) const {
        if (!key) return std::nullopt;
        const size_t length = strnlen(key, kMaxKey);
        uint32_t slot = Hash(key) % kSlots;
        // Every slot is visited once at most (13 and 113 are coprime), so a
        // full table ends the search too.
        for (uint32_t probe = 0; probe < kSlots; ++probe, slot = (slot + kStep) % kSlots) {
            const Slot& s = m_slots[slot];
            if (s.state == State::Empty) return std::nullopt;
            if (s.state == State::Used && s.key.size() == length && std::memcmp(s.key.data(), key, length) == 0)
                return slot;
        }
        return std::nullopt;
    }

    std::array<Slot, kSlots> m_slots{};
    uint32_t m_count = 0;
};

}  // namespace vantor

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/fixed_text.h"
#include "model/ref_ptr.h"
#include "model/weighted_linked_list.h"

namespace vantor {

// The songs most recently added to the music database, oldest first, at most
// a limit of them, kept in "RECENT.lst": a 32-bit byte count, then the
// list's record (limit, then the linked list of title entries, each with
// weight 0 so that the list keeps its insertion order).
class CRecentTitleList : public ISerializable {
public:
    // One song key. Record: song key (255).
    class CTitleEntry : public ISerializable {
    public:
        CTitleEntry() = default;
        explicit CTitleEntry(std::string_view key) : m_songKey(key) {}
        const char* GetKey() const override { return m_songKey.c_str(); }
        void Serialize(CMemoryOStream& out) const override { m_songKey.Write(out); }
        void Deserialize(CMemoryIStream& in) override;
        CTitleEntry* Clone() const override { return new CTitleEntry(m_songKey.c_str()); }

    private:
        FixedText<255> m_songKey;
    };
    using Entries = CWeightedLinkedList<CTitleEntry>;

    static constexpr int32_t kDefaultLimit = 60;

    CRecentTitleList();

    // Remembers the path and reads the file; a missing or empty file leaves
    // the list as it was.
    void Load(const std::string& path);
    // Appends the key unless it is there already, drops the oldest entries
    // beyond the limit and writes the file (when a path is known).
    void AddTitle(std::string_view key);
    // Removes the key's entry. The file is not written: the removal reaches
    // it with the next AddTitle.
    void RemoveTitle(std::string_view key);
    // Drops the oldest entries beyond the new limit.
    void SetLimit(int32_t limit);
    int32_t GetLimit() const { return m_limit; }
    // The key at index, counted from the oldest, or null. Neighbouring
    // indexes are reached from the last one fetched without a walk.
    const char* GetTitle(int32_t index) const;
    int32_t GetCount() const { return m_entries->GetCount(); }
    const std::string& GetPath() const { return m_path; }

    // The file's bytes: the record's size, then the record.
    std::vector<uint8_t> ToFileBytes() const;
    // Reads the list from a file's bytes.
    void FromFileBytes(const uint8_t* data, size_t size);

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CRecentTitleList* Clone() const override;

private:
    bool Save() const;
    void DropOldest();
    void ResetLookup() const {
        m_lookupNode = nullptr;
        m_lookupIndex = -1;
    }

    int32_t m_limit = kDefaultLimit;
    RefPtr<Entries> m_entries;
    std::string m_path;
    // Where the last GetTitle ended; reset by every change of the list.
    mutable Entries::Node* m_lookupNode = nullptr;
    mutable int32_t m_lookupIndex = -1;
};

}  // namespace vantor

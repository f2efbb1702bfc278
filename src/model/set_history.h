#pragma once

#include "model/array.h"
#include "model/event.h"
#include "model/music_set.h"
#include "model/ref_ptr.h"

namespace vantor {

// The undo history of a set: every edit of the timeline as a record with
// copies of the events involved. It takes edits back, marks the events
// changed since the audio side last saw the set, and is the change list that
// Commit hands to the playing copy, which replays it. Record: the records
// array alone.
class CSetHistory : public ISerializable {
public:
    // One recorded edit. Record: kind, track, linked, has-old-copy, old copy,
    // has-new-copy, new copy. The live events are not stored.
    class CSetOperationInfo : public ISerializable {
    public:
        enum Kind : int32_t { kGroupEnd = 0, kInsert = 1, kRemove = 2, kReplace = 3 };

        CSetOperationInfo() = default;
        CSetOperationInfo(int32_t kind, int32_t track, bool linked) : m_kind(kind), m_track(track), m_linked(linked) {}

        int32_t GetKind() const { return m_kind; }
        int32_t GetTrack() const { return m_track; }
        bool IsLinked() const { return m_linked; }
        CEvent* GetOldCopy() const { return m_oldCopy.get(); }
        CEvent* GetNewCopy() const { return m_newCopy.get(); }
        CEvent* GetOldEvent() const { return m_oldEvent.get(); }
        CEvent* GetNewEvent() const { return m_newEvent.get(); }
        void SetOldCopy(CEvent* event) { m_oldCopy = RefPtr<CEvent>(event); }
        void SetNewCopy(CEvent* event) { m_newCopy = RefPtr<CEvent>(event); }
        void SetOldEvent(CEvent* event) { m_oldEvent = RefPtr<CEvent>(event); }
        void SetNewEvent(CEvent* event) { m_newEvent = RefPtr<CEvent>(event); }

        void Serialize(CMemoryOStream& out) const override;
        void Deserialize(CMemoryIStream& in) override;
        // Copies only: the clone's live events are none.
        CSetOperationInfo* Clone() const override;

    private:
        int32_t m_kind = kGroupEnd;
        int32_t m_track = 0;
        bool m_linked = false;
        RefPtr<CEvent> m_oldCopy;
        RefPtr<CEvent> m_newCopy;
        RefPtr<CEvent> m_oldEvent;
        RefPtr<CEvent> m_newEvent;
    };

    using Records = CArray<CSetOperationInfo>;

    // A history of the set, holding a reference to it (none for histories
    // that are cloned or read).
    explicit CSetHistory(CMusicSet* set = nullptr);

    void RecordInsert(int32_t track, CEvent* event, bool linked = false);
    void RecordRemove(int32_t track, CEvent* event, bool linked = false);
    void RecordReplace(int32_t track, CEvent* oldEvent, CEvent* newEvent, bool linked = false);

    // Opens (true) or closes (false) a group; returns the depth.
    int32_t Group(bool begin);
    // Takes back the last record and every record linked to the one after it.
    void Undo();
    void UndoAll();
    bool HasRecords() const { return m_records->GetCount() > 0; }
    // Applies every record, oldest first, to another copy of the set.
    void Replay(CMusicSet& set) const;
    // Clears the pending marks of the events involved and drops every record.
    void Commit();

    CMusicSet* GetSet() const { return m_set.get(); }
    Records& GetRecords() const { return *m_records; }
    int32_t GetGroupDepth() const { return m_groupDepth; }
    bool IsInGroup() const { return m_inGroup; }

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CSetHistory* Clone() const override;

private:
    CSetOperationInfo* NewRecord(int32_t kind, int32_t track, bool linked);
    void MarkModified();

    RefPtr<CMusicSet> m_set;
    RefPtr<Records> m_records;
    int32_t m_groupDepth = 0;
    bool m_inGroup = false;
};

using CSetOperationInfo = CSetHistory::CSetOperationInfo;

}  // namespace vantor

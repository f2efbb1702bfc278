#include "model/set_history.h"

namespace vantor {

namespace {

using Node = CTrack::Events::Node;

// The first node whose event sits at the position; the walk stops at the
// first weight past it.
Node* FindEventAt(CTrack& track, int32_t position) {
    for (Node* n = track.GetEvents().GetHead(); n; n = n->GetNext()) {
        if (position < n->GetWeight()) return nullptr;
        if (n->GetItem()->GetPosition() == position) return n;
    }
    return nullptr;
}

// Replay finds the node to drop by its weight, which equals the position in
// every well-formed list.
Node* FindWeightAt(CTrack& track, int32_t position) {
    for (Node* n = track.GetEvents().GetHead(); n; n = n->GetNext()) {
        if (n->GetWeight() > position) return nullptr;
        if (n->GetWeight() == position) return n;
    }
    return nullptr;
}

CEvent* FreshCopy(const CEvent& event) {
    CEvent* copy = event.Clone();
    copy->ClearPendingEdits();
    return copy;
}

}  // namespace

// ---- CSetOperationInfo ----

void CSetOperationInfo::Serialize(CMemoryOStream& out) const {
    WriteInt32(out, m_kind);
    WriteInt32(out, m_track);
    WriteInt32(out, m_linked ? 1 : 0);
    WriteInt32(out, m_oldCopy ? 1 : 0);
    if (m_oldCopy) m_oldCopy->Serialize(out);
    WriteInt32(out, m_newCopy ? 1 : 0);
    if (m_newCopy) m_newCopy->Serialize(out);
}

void CSetOperationInfo::Deserialize(CMemoryIStream& in) {
    m_oldCopy.reset();
    m_newCopy.reset();
    m_oldEvent.reset();
    m_newEvent.reset();
    m_kind = ReadInt32(in);
    m_track = ReadInt32(in);
    m_linked = ReadInt32(in) != 0;
    if (ReadInt32(in) != 0) {
        m_oldCopy = MakeRef<CEvent>();
        m_oldCopy->Deserialize(in);
    }
    if (in.IsDamaged()) return;
    if (ReadInt32(in) != 0) {
        m_newCopy = MakeRef<CEvent>();
        m_newCopy->Deserialize(in);
    }
}

CSetOperationInfo* CSetOperationInfo::Clone() const {
    auto* copy = new CSetOperationInfo(m_kind, m_track, m_linked);
    if (m_oldCopy) copy->m_oldCopy = RefPtr<CEvent>(m_oldCopy->Clone());
    if (m_newCopy) copy->m_newCopy = RefPtr<CEvent>(m_newCopy->Clone());
    return copy;
}

// ---- CSetHistory ----

CSetHistory::CSetHistory(CMusicSet* set) : m_set(set), m_records(new Records(5, 5)) {}

CSetOperationInfo* CSetHistory::NewRecord(int32_t kind, int32_t track, bool linked) {
    return new CSetOperationInfo(kind, track, linked || m_inGroup);
}

void CSetHistory::MarkModified() {
    if (m_set) m_set->SetModified(true);
}

void CSetHistory::RecordInsert(int32_t track, CEvent* event, bool linked) {
    event->IncrementPendingEdits();
    MarkModified();
    auto* record = NewRecord(CSetOperationInfo::kInsert, track, linked);
    record->SetNewCopy(event->Clone());
    record->SetNewEvent(event);
    m_records->Add(record);
}

void CSetHistory::RecordRemove(int32_t track, CEvent* event, bool linked) {
    event->IncrementPendingEdits();
    MarkModified();
    auto* record = NewRecord(CSetOperationInfo::kRemove, track, linked);
    record->SetOldCopy(event->Clone());
    record->SetOldEvent(event);
    m_records->Add(record);
}

void CSetHistory::RecordReplace(int32_t track, CEvent* oldEvent, CEvent* newEvent, bool linked) {
    oldEvent->IncrementPendingEdits();
    newEvent->IncrementPendingEdits();
    MarkModified();
    auto* record = NewRecord(CSetOperationInfo::kReplace, track, linked);
    record->SetOldCopy(oldEvent->Clone());
    record->SetNewCopy(newEvent->Clone());
    record->SetOldEvent(oldEvent);
    record->SetNewEvent(newEvent);
    m_records->Add(record);
}

int32_t CSetHistory::Group(bool begin) {
    if (begin) {
        ++m_groupDepth;
    } else {
        int32_t before = m_groupDepth--;
        int32_t count = m_records->GetCount();
        if (before == 1 && count > 0 && m_records->GetAt(count - 1)->IsLinked())
            m_records->Add(new CSetOperationInfo(CSetOperationInfo::kGroupEnd, 0, false));
    }
    if (m_groupDepth < 0) m_groupDepth = 0;
    m_inGroup = m_groupDepth > 0;
    return m_groupDepth;
}

void CSetHistory::Undo() {
    while (m_records->GetCount() > 0) {
        int32_t last = m_records->GetCount() - 1;
        RefPtr<CSetOperationInfo> record(m_records->GetAt(last));
        CTrack* track = m_set ? m_set->GetTrack(record->GetTrack()) : nullptr;
        switch (record->GetKind()) {
            case CSetOperationInfo::kInsert:
                if (track && record->GetNewCopy()) {
                    if (Node* node = FindEventAt(*track, record->GetNewCopy()->GetPosition()))
                        track->GetEvents().Remove(node);
                }
                break;
            case CSetOperationInfo::kRemove:
                if (track && record->GetOldEvent()) {
                    record->GetOldEvent()->DecrementPendingEdits();
                    track->AddEvent(record->GetOldEvent());
                }
                break;
            case CSetOperationInfo::kReplace:
                if (track && record->GetNewCopy() && record->GetOldEvent()) {
                    if (Node* node = FindEventAt(*track, record->GetNewCopy()->GetPosition())) {
                        track->GetEvents().Remove(node);
                        record->GetOldEvent()->DecrementPendingEdits();
                        if (record->GetNewEvent()) record->GetNewEvent()->DecrementPendingEdits();
                        track->AddEvent(record->GetOldEvent());
                    }
                }
                break;
            default:
                break;
        }
        m_records->RemoveAt(last);
        int32_t count = m_records->GetCount();
        if (count == 0 || !m_records->GetAt(count - 1)->IsLinked()) break;
    }
    m_groupDepth = 0;
    m_inGroup = false;
}

void CSetHistory::UndoAll() {
    while (HasRecords()) Undo();
}

void CSetHistory::Replay(CMusicSet& set) const {
    std::lock_guard lock(m_records->Lock());
    for (int32_t i = 0; i < m_records->GetCount(); ++i) {
        const CSetOperationInfo* record = m_records->GetAt(i);
        CTrack* track = set.GetTrack(record->GetTrack());
        if (!track) continue;
        std::lock_guard trackLock(track->GetEvents().Lock());
        switch (record->GetKind()) {
            case CSetOperationInfo::kInsert:
                if (record->GetNewCopy()) track->AddEvent(FreshCopy(*record->GetNewCopy()));
                break;
            case CSetOperationInfo::kRemove:
                if (record->GetOldCopy()) {
                    if (Node* node = FindWeightAt(*track, record->GetOldCopy()->GetPosition()))
                        track->GetEvents().Remove(node);
                }
                break;
            case CSetOperationInfo::kReplace:
                if (record->GetOldCopy() && record->GetNewCopy()) {
                    if (Node* node = FindEventAt(*track, record->GetOldCopy()->GetPosition())) {
                        track->GetEvents().Remove(node);
                        track->AddEvent(FreshCopy(*record->GetNewCopy()));
                    }
                }
                break;
            default:
                break;
        }
    }
}

void CSetHistory::Commit() {
    for (int32_t i = 0; i < m_records->GetCount(); ++i) {
        const CSetOperationInfo* record = m_records->GetAt(i);
        int32_t kind = record->GetKind();
        if ((kind != CSetOperationInfo::kInsert && kind != CSetOperationInfo::kReplace) || !record->GetNewCopy())
            continue;
        CTrack* track = m_set ? m_set->GetTrack(record->GetTrack()) : nullptr;
        if (!track) continue;
        if (Node* node = FindEventAt(*track, record->GetNewCopy()->GetPosition()))
            node->GetItem()->ClearPendingEdits();
    }
    m_records->RemoveAll();
}

void CSetHistory::Serialize(CMemoryOStream& out) const { m_records->Serialize(out); }

void CSetHistory::Deserialize(CMemoryIStream& in) { m_records->ReadItems(in, CSetOperationInfo()); }

CSetHistory* CSetHistory::Clone() const {
    auto* copy = new CSetHistory(nullptr);
    copy->m_records = RefPtr<Records>(m_records->Clone());
    return copy;
}

}  // namespace vantor

#pragma once

#include <cstdint>

#include "model/ref_ptr.h"
#include "model/segment_design.h"
#include "model/tempo_change.h"

namespace vantor {

// Colours are 0x00BBGGRR.
constexpr uint32_t kNewEventColour = 215;
constexpr uint32_t kTempoEventColour = 0x7F7F7F;

// A positioned item of a timeline: a segment, a tempo change, or nothing.
// Record: kind, position, colour, then the payload's record (kind 1 segment
// design, kind 2 tempo change, anything else none).
class CEvent : public ISerializable {
public:
    enum Kind : int32_t { kNone = 0, kSegment = 1, kTempoChange = 2 };

    CEvent() = default;

    int32_t GetKind() const;
    CSegmentDesign* GetSegment() const { return m_segment.get(); }
    CTempoChange* GetTempoChange() const { return m_tempoChange.get(); }
    // Setting either payload releases whatever the event held before.
    void SetSegment(CSegmentDesign* design);
    void SetTempoChange(CTempoChange* tempoChange);

    int32_t GetPosition() const { return m_position; }
    void SetPosition(int32_t position) { m_position = position; }
    uint32_t GetColour() const { return m_colour; }
    void SetColour(uint32_t colour) { m_colour = colour; }

    // Undo-history records that name this event as live; not stored.
    int32_t GetPendingEdits() const { return m_pendingEdits; }
    void IncrementPendingEdits() { ++m_pendingEdits; }
    void DecrementPendingEdits() { --m_pendingEdits; }
    void ClearPendingEdits() { m_pendingEdits = 0; }

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CEvent* Clone() const override;

private:
    RefPtr<CSegmentDesign> m_segment;
    RefPtr<CTempoChange> m_tempoChange;
    int32_t m_position = 0;
    uint32_t m_colour = kNewEventColour;
    int32_t m_pendingEdits = 0;
};

}  // namespace vantor

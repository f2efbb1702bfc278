#pragma once

#include <vector>

#include "model/array.h"
#include "model/ref_ptr.h"
#include "model/segment_design.h"

namespace vantor {

// A section of a set: one array of segment designs per audio track of the
// section, each design's position offset relative to the section's start.
// Record: count, tag, then count arrays of segment designs.
class CSetClip : public ISerializable {
public:
    using Designs = CArray<CSegmentDesign>;

    static constexpr int32_t kEditorTag = -1;

    CSetClip() = default;

    int32_t GetTag() const { return m_tag; }
    void SetTag(int32_t tag) { m_tag = tag; }
    int32_t GetCount() const { return static_cast<int32_t>(m_arrays.size()); }
    // Drops the arrays and makes count new empty ones (tag back to -1).
    void SetCount(int32_t count);
    Designs* GetArray(int32_t index) const;
    // Moves every design's position offset by delta frames.
    void ShiftOffsets(int32_t delta);

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CSetClip* Clone() const override;

private:
    int32_t m_tag = kEditorTag;
    std::vector<RefPtr<Designs>> m_arrays;
};

}  // namespace vantor

#include "model/set_clip.h"

namespace vantor {

void CSetClip::SetCount(int32_t count) {
    m_arrays.clear();
    m_tag = kEditorTag;
    for (int32_t i = 0; i < count; ++i) m_arrays.push_back(MakeRef<Designs>(5, 5));
}

CSetClip::Designs* CSetClip::GetArray(int32_t index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_arrays[static_cast<size_t>(index)].get();
}

void CSetClip::ShiftOffsets(int32_t delta) {
    for (const auto& designs : m_arrays) {
        std::lock_guard lock(designs->Lock());
        for (int32_t i = 0; i < designs->GetCount(); ++i) {
            CSegmentDesign* design = designs->GetAt(i);
            design->SetPositionOffset(design->GetPositionOffset() + delta);
        }
    }
}

void CSetClip::Serialize(CMemoryOStream& out) const {
    WriteInt32(out, GetCount());
    WriteInt32(out, m_tag);
    for (const auto& designs : m_arrays) designs->Serialize(out);
}

void CSetClip::Deserialize(CMemoryIStream& in) {
    int32_t count = ReadInt32(in);
    // The tag follows, and each stored array takes at least its 16-byte
    // header: a count the remaining bytes cannot hold is damage, not a reason
    // to allocate.
    if (count < 0 || count > (in.GetRemaining() - 4) / 16) count = 0;
    SetCount(count);
    m_tag = ReadInt32(in);
    for (const auto& designs : m_arrays) designs->ReadItems(in, CSegmentDesign());
}

CSetClip* CSetClip::Clone() const {
    auto* copy = new CSetClip();
    copy->m_tag = m_tag;
    for (const auto& designs : m_arrays) copy->m_arrays.push_back(RefPtr<Designs>(designs->Clone()));
    return copy;
}

}  // namespace vantor

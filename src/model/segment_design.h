#pragma once

#include "model/array.h"
#include "model/effect_profile.h"
#include "model/fixed_text.h"
#include "model/segment.h"
#include "model/tempo_change.h"

namespace vantor {

// A segment prepared for a set: the payload of a segment event, and what
// songs keep as their stored designs. Record: name (255), position offset,
// reserved, tempo, normalization, the segment, the effect-profile array.
class CSegmentDesign : public ISerializable {
public:
    using EffectProfiles = CArray<CEffectProfile>;

    CSegmentDesign();

    const char* GetName() const { return m_name.c_str(); }
    void SetName(std::string_view name) { m_name.Set(name); }
    // Position relative to the start of a captured section; 0 outside clips.
    int32_t GetPositionOffset() const { return m_positionOffset; }
    void SetPositionOffset(int32_t offset) { m_positionOffset = offset; }
    int32_t GetReserved() const { return m_reserved; }
    double GetTempo() const { return m_tempo; }
    void SetTempo(double tempo) { m_tempo = tempo; }
    double GetNormalization() const { return m_normalization; }
    // A value that is not finite is ignored.
    void SetNormalization(double gain);
    CSegment* GetSegment() const { return m_segment.get(); }
    void SetSegment(CSegment* segment) { m_segment = RefPtr<CSegment>(segment); }
    EffectProfiles& GetEffectProfiles() const { return *m_effectProfiles; }

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CSegmentDesign* Clone() const override;

private:
    FixedText<255> m_name;
    int32_t m_positionOffset = 0;
    int32_t m_reserved = 0;
    double m_tempo = kDefaultTempo;
    double m_normalization = 1.0;
    RefPtr<CSegment> m_segment;
    RefPtr<EffectProfiles> m_effectProfiles;
};

}  // namespace vantor

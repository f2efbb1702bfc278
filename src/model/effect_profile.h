#pragma once

#include "model/effect.h"
#include "model/fixed_text.h"
#include "model/ref_ptr.h"
#include "model/weighted_linked_list.h"

namespace vantor {

// The envelope of one parameter of one effect over time: curve pieces
// weighted by their start. Record: effect name (100), parameter name (100),
// then the curve list.
class CEffectProfile : public ISerializable {
public:
    using Curve = CWeightedLinkedList<CEffect>;

    CEffectProfile();

    const char* GetEffectName() const { return m_effectName.c_str(); }
    void SetEffectName(std::string_view name) { m_effectName.Set(name); }
    const char* GetParameterName() const { return m_parameterName.c_str(); }
    void SetParameterName(std::string_view name) { m_parameterName.Set(name); }
    Curve& GetCurve() const { return *m_curve; }
    // Adds a piece at its start.
    void AddPiece(int32_t start, int32_t end, double startLevel, double endLevel);

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CEffectProfile* Clone() const override;

private:
    RefPtr<Curve> m_curve;
    FixedText<100> m_effectName;
    FixedText<100> m_parameterName;
};

}  // namespace vantor

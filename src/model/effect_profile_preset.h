#pragma once

#include "model/effect_profile.h"
#include "model/fixed_text.h"
#include "model/ref_ptr.h"

namespace vantor {

// A waveform: a named curve shape. Its profile's curve runs over 0..9999 and
// its levels are fractions of the parameter's scale, 0 at the bottom and 1
// at the top. Record: name (100), then the effect profile's record.
class CEffectProfilePreset : public ISerializable {
public:
    CEffectProfilePreset();

    const char* GetName() const { return m_name.c_str(); }
    void SetName(std::string_view name) { m_name.Set(name); }
    CEffectProfile& GetProfile() const { return *m_profile; }
    // Takes a reference to the profile and releases the one held before.
    void SetProfile(CEffectProfile* profile);

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CEffectProfilePreset* Clone() const override;

private:
    FixedText<100> m_name;
    RefPtr<CEffectProfile> m_profile;
};

}  // namespace vantor

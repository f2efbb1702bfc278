#pragma once

#include <string_view>

#include "model/fixed_text.h"
#include "model/ref_ptr.h"
#include "model/set_clip.h"
#include "model/tempo_change.h"

namespace vantor {

// A mixing design: a named section captured from a set, with the set tempo
// at its start. Record: name (255), tempo, then the clip's record only when
// the name is not empty. A design without a clip is written with an empty
// name, so that a reader never looks for a clip that is not there.
class CMixingProfile : public ISerializable {
public:
    CMixingProfile() = default;

    const char* GetName() const { return m_name.c_str(); }
    void SetName(std::string_view name) { m_name.Set(name); }
    double GetTempo() const { return m_tempo; }
    void SetTempo(double tempo) { m_tempo = tempo; }
    CSetClip* GetClip() const { return m_clip.get(); }
    // Takes a reference on the new clip and releases the previous one.
    void SetClip(CSetClip* clip) { m_clip = RefPtr<CSetClip>(clip); }

    const char* GetKey() const override { return m_name.c_str(); }
    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CMixingProfile* Clone() const override;

private:
    FixedText<255> m_name;
    double m_tempo = kDefaultTempo;
    RefPtr<CSetClip> m_clip;
};

}  // namespace vantor

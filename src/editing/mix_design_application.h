#pragma once

#include <cstdint>

#include "database/mixing_profile.h"
#include "editing/set_editor_state.h"
#include "platform/result.h"

namespace vantor {

// What applying a mixing design did.
struct AppliedDesign {
    int32_t placed = 0;
    // Some clip arrays had no track to go to and were left out.
    bool tracksShort = false;
};

// "Apply Design": rebuilds a section captured as a mixing design around a
// segment of the set. The design's primary segment (the first design with
// offset 0 in the tagged array) is matched to the set segment by song frame;
// the design's segments are placed at B + trunc(offset x q), B being where
// the primary's start plays in the set and q the design tempo over the set
// segment's design tempo, resampled to the set segment's tempo. Every
// placement is checked before anything changes: the area must hold no
// segment but the selected one, and no placed segment may overlap another.
// All changes form one history group.
class MixDesignApplication {
public:
    static constexpr const char* kCaption = "Apply Mixing Design";

    // The tempo ratio q and the frames [B, B + trunc(Len x q)) the design
    // covers in the set; refused as Apply does when the set segment starts
    // after the design's primary in its song. Without a primary: nothing.
    struct Area {
        int64_t b = 0;
        int64_t end = 0;
        double q = 1.0;
        int32_t primaryStart = 0;  // U
        bool hasPrimary = false;
    };
    static Result<Area> Locate(const CEvent& event, const CMixingProfile& design, int32_t rate);

    static Result<AppliedDesign> Apply(SetEditorState& state, const SegmentAt& selected, const CMixingProfile& design);
};

}  // namespace vantor

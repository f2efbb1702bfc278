// Reads arbitrary bytes as a set clip and as a segment design, the two
// clipboard formats.
#include <cstdint>

#include "model/segment_design.h"
#include "model/set_clip.h"
#include "model/set_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantor;
    CSetClip clip;
    DeserializeFromBytes(clip, data, size);
    clip.ShiftOffsets(100);
    SerializeToBytes(clip);
    CSegmentDesign design;
    DeserializeFromBytes(design, data, size);
    design.GetSegment()->GetTimelineLength();
    SerializeToBytes(design);
    return 0;
}

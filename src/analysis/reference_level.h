#pragma once

#include <cstdint>

namespace vantor {

class CWaveSummaryFile;

// The song's loudness reference: the peak level that a tenth of the record
// maxima sampled every 40000 frames reach or exceed, in steps of one
// hundredth of full scale. 0 for a file that is no summary.
int32_t MeasureReferenceLevel(CWaveSummaryFile& summary);

}  // namespace vantor

#pragma once

#include <cstdint>

namespace vantor {

class CSongProfile;
class CWaveSummaryFile;

// The song's loudness reference: the peak level that a tenth of the record
// maxima sampled every 40000 frames reach or exceed, in steps of one
// hundredth of full scale. 0 for a file that is no summary.
int32_t MeasureReferenceLevel(CWaveSummaryFile& summary);

// Measures the reference level of the song's summary and writes it into the
// summary's header; false when there is no summary to measure.
bool StoreReferenceLevel(const CSongProfile& song);

}  // namespace vantor

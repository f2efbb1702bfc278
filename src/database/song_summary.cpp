#include "database/song_summary.h"

#include <algorithm>
#include <limits>


namespace vantor {

double ComputeNormalization(const ISongSummary& summary, double referencePoint) {
    const double maximum = summary.GetMaxAmplitude();
    if (maximum <= 0) return std::numeric_limits<double>::quiet_NaN();
    const double level = std::min<double>(summary.GetReferenceLevel(), maximum);
    // A negative level only comes from a damaged summary; like an unmeasured
    // one it must not turn into a gain.
    if (level <= 0) return std::numeric_limits<double>::infinity();
    return referencePoint / (level / maximum);
}

}  // namespace vantor

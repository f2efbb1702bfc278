#pragma once

#include <cstdint>

#include "model/fixed_text.h"
#include "model/serializable.h"

namespace vantor {

// The section of a song a segment event plays: frames [start, end) of the
// song's wave file, stretched on the timeline by the ratio. Record: start,
// end, ratio, song key (255), song title (50); 329 bytes.
class CSegment : public ISerializable {
public:
    // The rate ratios a segment may be given: a quarter to four times the
    // speed. Outside them a segment shrinks to nothing or a few seconds of a
    // song fill hours of the timeline.
    static constexpr double kMinRatio = 0.25;
    static constexpr double kMaxRatio = 4.0;

    CSegment() = default;

    int32_t GetStart() const { return m_start; }
    void SetStart(int32_t start) { m_start = start; }
    int32_t GetEnd() const { return m_end; }
    void SetEnd(int32_t end) { m_end = end; }
    double GetRatio() const { return m_ratio; }
    void SetRatio(double ratio) { m_ratio = ratio; }
    const char* GetSongKey() const { return m_songKey.c_str(); }
    void SetSongKey(std::string_view key) { m_songKey.Set(key); }
    const char* GetSongTitle() const { return m_songTitle.c_str(); }
    void SetSongTitle(std::string_view title) { m_songTitle.Set(title); }

    // end - start, in frames of the song.
    int32_t GetSourceLength() const { return m_end - m_start; }
    // (end - start) x ratio truncated toward zero, in frames of the timeline;
    // held within the 32-bit range whatever a damaged file says.
    int32_t GetTimelineLength() const;

    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CSegment* Clone() const override;

private:
    int32_t m_start = 0;
    int32_t m_end = 0;
    double m_ratio = 1.0;
    FixedText<255> m_songKey;
    FixedText<50> m_songTitle;
};

}  // namespace vantor

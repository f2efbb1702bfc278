#include "engine/summary_builder.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "database/song_profile.h"
#include "engine/resampled_wave_summary_file.h"
#include "engine/wave_file.h"
#include "engine/wave_file_stream.h"
#include "model/value_io.h"
#include "platform/file_io.h"

namespace vantor {

namespace {

constexpr uint32_t kRingBytes = 512000;
constexpr uint32_t kPassBytes = 256000;
constexpr size_t kInitialLevelBytes = 512000;
constexpr int32_t kUnmeasuredLevel = 32766;

// Minima and maxima of the channels of one record, starting from 0 as every
// record does: a record always spans the zero line.
struct Extremes {
    int16_t min[2] = {0, 0};
    int16_t max[2] = {0, 0};

    void Reset() { *this = Extremes(); }
    void Take(const Extremes& other) {
        for (int c = 0; c < 2; ++c) {
            min[c] = std::min(min[c], other.min[c]);
            max[c] = std::max(max[c], other.max[c]);
        }
    }
};

void Append16(std::vector<uint8_t>& out, int16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8));
}

// Record order: the minima of the channels, then their maxima.
void AppendRecord(std::vector<uint8_t>& level, const Extremes& e) {
    Append16(level, e.min[0]);
    Append16(level, e.min[1]);
    Append16(level, e.max[0]);
    Append16(level, e.max[1]);
}

Extremes RecordAt(const std::vector<uint8_t>& level, size_t index) {
    const uint8_t* p = level.data() + 8 * index;
    auto value = [p](int i) { return static_cast<int16_t>(p[2 * i] | p[2 * i + 1] << 8); };
    Extremes e;
    e.min[0] = value(0);
    e.min[1] = value(1);
    e.max[0] = value(2);
    e.max[1] = value(3);
    return e;
}

// Folds the frames into the running record, closing a record whenever the
// frame counter reaches a multiple of 128 with frames seen.
void SummarizeFrames(const int16_t* samples, uint32_t frames, uint32_t& j, bool& seen, Extremes& current,
                     std::vector<uint8_t>& level0) {
    const uint32_t block = CWaveSummaryFile::kBaseFramesPerRecord;
    uint32_t f = 0;
    while (f < frames) {
        if (j % block == 0 && seen) {
            AppendRecord(level0, current);
            current.Reset();
        }
        // The frames up to the next record boundary, in one tight loop.
        const uint32_t run = std::min(frames - f, block - j % block);
        int16_t min0 = current.min[0], min1 = current.min[1];
        int16_t max0 = current.max[0], max1 = current.max[1];
        const int16_t* s = samples + 2 * static_cast<size_t>(f);
        for (uint32_t i = 0; i < run; ++i) {
            // Minima and maxima start at 0, so a sample below the minimum can
            // never be above the maximum: min and max agree with the rule.
            min0 = std::min(min0, s[2 * i]);
            max0 = std::max(max0, s[2 * i]);
            min1 = std::min(min1, s[2 * i + 1]);
            max1 = std::max(max1, s[2 * i + 1]);
        }
        current.min[0] = min0;
        current.min[1] = min1;
        current.max[0] = max0;
        current.max[1] = max1;
        seen = true;
        f += run;
        j += run;
    }
}

std::vector<uint8_t> SummaryBytes(const std::array<int32_t, CWaveSummaryFile::kHeaderWords>& header,
                                  const std::vector<std::vector<uint8_t>>& levels) {
    size_t total = CWaveSummaryFile::kHeaderBytes + 4 * levels.size();
    for (const auto& level : levels) total += level.size();
    std::vector<uint8_t> bytes(CWaveSummaryFile::kHeaderBytes + 4 * levels.size());
    bytes.reserve(total);
    for (int i = 0; i < CWaveSummaryFile::kHeaderWords; ++i)
        StoreLE32(bytes.data() + 4 * i, static_cast<uint32_t>(header[static_cast<size_t>(i)]));
    for (size_t k = 0; k < levels.size(); ++k)
        StoreLE32(bytes.data() + CWaveSummaryFile::kHeaderBytes + 4 * k, static_cast<uint32_t>(levels[k].size()));
    for (const auto& level : levels) bytes.insert(bytes.end(), level.begin(), level.end());
    return bytes;
}

}  // namespace

bool BuildSummary(const std::string& summaryPath, CWaveFile& source, std::atomic<int32_t>& percent) {
    using W = CWaveSummaryFile;
    const uint32_t length = source.GetLength();
    const uint32_t channels = source.GetChannels();
    if (channels != 2 || source.GetBitsPerSample() != 16 || source.GetBlockAlign() != 4 ||
        length <= kMinSummaryFrames)
        return false;

    CWaveFileStream stream(&source, kRingBytes);
    stream.SetPosition(0, true);
    if (!source.Seek(0)) return false;
    if (!stream.StartStream()) return false;

    std::array<int32_t, W::kHeaderWords> header{};
    header[W::kWordMarker] = W::kMarker;
    header[W::kWordRecords] = static_cast<int32_t>(length / W::kBaseFramesPerRecord);
    header[W::kWordBaseFrames] = W::kBaseFramesPerRecord;
    header[W::kWordLength] = static_cast<int32_t>(length);
    header[W::kWordChannels] = static_cast<int32_t>(channels);
    header[W::kWordMaxAmplitude] = ((1 << source.GetBitsPerSample()) - 1) / 2;
    header[W::kWordBitsPerSample] = source.GetBitsPerSample();
    header[W::kWordBlockAlign] = source.GetBlockAlign();
    header[W::kWordSampleRate] = static_cast<int32_t>(source.GetSampleRate());
    header[W::kWordReferenceLevel] = kUnmeasuredLevel;
    header[W::kWordLevelFactor] = 2;
    // trunc(log2(channels x records / 512)) + 1 levels; the quotient is at
    // least 6 for the lengths that get here.
    const uint32_t quotient = channels * (length / W::kBaseFramesPerRecord) / 512;
    const int32_t top = static_cast<int32_t>(std::bit_width(quotient)) - 1;
    header[W::kWordTopLevel] = top;

    std::vector<std::vector<uint8_t>> levels(static_cast<size_t>(top) + 1);
    levels[0].reserve(std::max<size_t>(kInitialLevelBytes, size_t{length} / W::kBaseFramesPerRecord * 8));

    // Level 0. The frame counter moves by exactly the frames delivered, so
    // record boundaries stay on multiples of 128 frames of the audio; a pass
    // that delivers nothing means the source has ended and ends the build.
    std::vector<int16_t> pass(kPassBytes / 2);
    uint32_t j = 0;
    bool seen = false;
    Extremes current;
    while (j < length) {
        percent.store(static_cast<int32_t>(static_cast<uint64_t>(j) * 100 / length), std::memory_order_relaxed);
        const uint32_t bytes = stream.Read(pass.data(), kPassBytes);
        const uint32_t frames = bytes / 4;
        if (frames == 0) break;
        SummarizeFrames(pass.data(), frames, j, seen, current, levels[0]);
    }
    stream.StopStream();

    // Coarser levels: level k closes a record every 2^k level-0 records; the
    // last, incomplete group of each level is left out like level 0's.
    std::vector<Extremes> accumulators(levels.size());
    const size_t records = levels[0].size() / 8;
    for (size_t k = 1; k < levels.size(); ++k) levels[k].reserve(levels[0].size() >> k);
    for (size_t i = 0; i < records; ++i) {
        const Extremes record = RecordAt(levels[0], i);
        for (size_t k = 1; k < levels.size(); ++k) {
            if (i % (size_t{1} << k) == 0 && i > 0) {
                AppendRecord(levels[k], accumulators[k]);
                accumulators[k].Reset();
            }
            accumulators[k].Take(record);
        }
    }

    const std::vector<uint8_t> bytes = SummaryBytes(header, levels);
    if (!WriteFileReplacing(summaryPath, bytes.data(), bytes.size())) return false;
    percent.store(100, std::memory_order_relaxed);
    return true;
}

bool BuildSongSummary(const CSongProfile& song, std::atomic<int32_t>& percent) {
    const std::string path = song.GetLocalPath();
    if (CWaveFile::SourceExtension(path).empty()) return false;
    // A large read-ahead buffer: the builder reads the whole file once.
    CWaveFile source(path, 1000);
    if (!source.GetFormat() || source.GetLength() <= kMinSummaryFrames) return false;
    return BuildSummary(song.GetSummaryPath(), source, percent);
}

}  // namespace vantor

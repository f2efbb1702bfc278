#include "engine/set_stream.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/fixed_point_gain.h"

namespace vantor {

namespace {

// mix[s] = mix[s] + block[s], saturated to 16 bits: eight samples to one
// instruction where the processor has it. The mix is the output itself, which
// need not be aligned for 16-bit access.
void AddSaturating(uint8_t* mix, const int16_t* block, size_t samples) {
    size_t s = 0;
#if defined(__SSE2__)
    for (; s + 8 <= samples; s += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mix + 2 * s));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + s));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(mix + 2 * s), _mm_adds_epi16(a, b));
    }
#endif
    for (; s < samples; ++s) {
        int16_t sample;
        std::memcpy(&sample, mix + 2 * s, 2);
        sample = Saturate16(static_cast<int32_t>(sample) + block[s]);
        std::memcpy(mix + 2 * s, &sample, 2);
    }
}

}  // namespace

CSetStream::CSetStream(CEffectManagerImpl* effects, CMusicDatabase* database, CMusicSet* set, bool /*largeBuffer*/)
    : IDataStream(kRingBytes, kChunkBytes), m_set(set), m_scratch(kPassBytes / 2) {
    SetPulledChunk(kPulledPassBytes);
    auto& tracks = set->GetTracks();
    std::lock_guard lock(tracks.Lock());
    for (int32_t i = 1; i < tracks.GetCount(); ++i) {
        m_tracks.push_back(std::make_unique<CTrackStream>(tracks.GetAt(i), effects, database, set->GetBlockAlign(),
                                                          set->GetBitsPerSample(), set->GetChannels()));
    }
    m_muted = std::make_unique<std::atomic<bool>[]>(m_tracks.size());
    for (size_t i = 0; i < m_tracks.size(); ++i) m_muted[i] = false;
}

CSetStream::~CSetStream() {
    Join(-1);
    m_passReader.reset();  // its helper reads the tracks
    for (auto& track : m_tracks) track->StopStream();
}

bool CSetStream::StartStream() {
    if (IsRunning() || IsPulled()) return false;
    for (auto& track : m_tracks) track->StartStream();
    return IDataStream::StartStream();
}

bool CSetStream::StartPulled() {
    std::lock_guard indexLock(IndexLock());
    std::lock_guard lock(m_renderLock);
    if (IsRunning() || IsPulled()) return false;
    for (auto& track : m_tracks) track->StartPulled();
    m_pulledPass.resize(kPulledPassBytes);
    m_pulledOffset = m_pulledValid = 0;
    StartPassReader();
    return IDataStream::StartPulled();
}

void CSetStream::StartPassReader() {
    std::vector<IDataStream*> tracks;
    for (auto& track : m_tracks) tracks.push_back(track.get());
    m_passReader = std::make_unique<CTrackPassReader>(std::move(tracks), kPulledPassBytes);
    m_passReader->StartHelper();
}

void CSetStream::StopStream() {
    IDataStream::StopStream();
    {
        std::lock_guard indexLock(IndexLock());
        std::lock_guard lock(m_renderLock);
        m_passReader.reset();
        m_pulledOffset = m_pulledValid = 0;
    }
    for (auto& track : m_tracks) track->StopStream();
}

void CSetStream::SetPosition(uint32_t frame, bool flush) {
    std::lock_guard indexLock(IndexLock());
    std::lock_guard lock(m_renderLock);
    // What the pass reader read ahead belongs to the old position.
    const bool pulled = m_passReader != nullptr;
    m_passReader.reset();
    if (flush) m_pulledOffset = m_pulledValid = 0;
    m_position.store(frame, std::memory_order_relaxed);
    for (auto& track : m_tracks) track->Reposition(frame, flush, true);
    IDataStream::SetPosition(frame, flush);
    if (pulled) StartPassReader();
}

void CSetStream::Lock(bool lock) {
    // Pulled, the reader renders: holding its locks freezes the stream, while
    // the helper stays free to finish the track block it is reading.
    if (IsPulled()) {
        IDataStream::Lock(lock);
        return;
    }
    for (auto& track : m_tracks) track->Lock(lock);
}

bool CSetStream::IsLocked() const {
    if (IsPulled()) return IDataStream::IsLocked();
    return !m_tracks.empty() && m_tracks.front()->IsLocked();
}

void CSetStream::SetPriority(int32_t priority) {
    SetThreadPriority(priority);
    for (auto& track : m_tracks) track->SetPriority(priority);
}

CTrackStream* CSetStream::GetTrackStream(int32_t index) const {
    if (index < 0 || index >= GetTrackCount()) return nullptr;
    return m_tracks[static_cast<size_t>(index)].get();
}

bool CSetStream::IsTrackMuted(int32_t index) const {
    if (index < 0 || index >= GetTrackCount()) return false;
    return m_muted[static_cast<size_t>(index)].load(std::memory_order_relaxed);
}

void CSetStream::SetNormalizationEnabled(bool on) {
    for (auto& track : m_tracks) track->SetNormalizationEnabled(on);
}

void CSetStream::MuteTrack(int32_t index) {
    if (index >= 0 && index < GetTrackCount()) m_muted[static_cast<size_t>(index)] = true;
}

void CSetStream::UnmuteTrack(int32_t index) {
    if (index >= 0 && index < GetTrackCount()) m_muted[static_cast<size_t>(index)] = false;
}

void CSetStream::SetTrackVolume(int32_t index, double volume) {
    if (CTrackStream* track = GetTrackStream(index)) track->SetVolume(volume);
}

double CSetStream::GetTrackVolume(int32_t index) const {
    CTrackStream* track = GetTrackStream(index);
    return track ? track->GetVolume() : 0.0;
}

void CSetStream::ReplaceSet(CMusicSet* set) {
    std::lock_guard lock(m_renderLock);
    const bool pulled = m_passReader != nullptr;
    m_passReader.reset();
    m_set = RefPtr<CMusicSet>(set);
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        m_tracks[i]->ReplaceTrack(set->GetTrack(static_cast<int32_t>(i) + 1));
        // Pulled, the tracks were read ahead of the set: back into step.
        if (pulled) m_tracks[i]->Reposition(m_position.load(std::memory_order_relaxed), true, false);
    }
    if (pulled) StartPassReader();
}

void CSetStream::ApplyEdit(const CSetHistory& history) {
    std::lock_guard lock(m_renderLock);
    const bool pulled = m_passReader != nullptr;
    m_passReader.reset();
    for (auto& track : m_tracks) track->Lock(true);
    history.Replay(*m_set);
    uint32_t position = m_position.load(std::memory_order_relaxed);
    for (auto& track : m_tracks) {
        track->Reposition(position, true, false);
        track->Lock(false);
    }
    if (pulled) StartPassReader();
}

bool IsSilentBlock(const int16_t* samples, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (samples[i] != 0) return false;
    return true;
}

void CSetStream::MixTrack(size_t index, int16_t* block, uint8_t* mix, size_t samples, bool& written) {
    if (m_muted[index].load(std::memory_order_relaxed)) return;
    // Skipping a silent block changes nothing: only a block of zeros is one.
    if (IsSilentBlock(block, samples)) return;
    const int16_t factor = GainToFixed(m_tracks[index]->GetVolume());
    if (factor != kUnityGain) ApplyFixedGain(block, samples, factor);
    if (!written) {
        std::memcpy(mix, block, samples * 2);
        written = true;
    } else {
        AddSaturating(mix, block, samples);
    }
}

template <class TrackBlock>
void CSetStream::MixPass(uint8_t* out, uint32_t bytes, TrackBlock trackBlock) {
    const size_t samples = bytes / 2;
    bool written = false;
    // Every track is read, muted or silent, so that all stay in step.
    for (size_t i = 0; i < m_tracks.size(); ++i) MixTrack(i, trackBlock(i), out, samples, written);
    if (!written) std::memset(out, 0, bytes);
}

void CSetStream::GeneratePulled(uint8_t* out, uint32_t bytes) {
    for (uint32_t done = 0; done < bytes;) {
        if (m_pulledOffset < m_pulledValid) {
            // The rest of the last pass, as a ring would hold it.
            const uint32_t n = std::min(bytes - done, m_pulledValid - m_pulledOffset);
            std::memcpy(out + done, m_pulledPass.data() + m_pulledOffset, n);
            m_pulledOffset += n;
            done += n;
            continue;
        }
        // Passes have one size, so that the helper can read ahead; a whole
        // pass goes straight into the output.
        const bool whole = bytes - done >= kPulledPassBytes;
        uint8_t* target = whole ? out + done : m_pulledPass.data();
        MixPass(target, kPulledPassBytes, [&](size_t i) { return m_passReader->TakeTrack(i); });
        m_passReader->FinishPass();
        m_position.fetch_add(kPulledPassBytes / 4, std::memory_order_relaxed);
        if (whole) {
            done += kPulledPassBytes;
        } else {
            m_pulledOffset = 0;
            m_pulledValid = kPulledPassBytes;
        }
    }
}

uint32_t CSetStream::Generate(void* buffer, uint32_t bytes) {
    std::lock_guard lock(m_renderLock);
    if (m_set->GetBlockAlign() != 4) return 0;
    const uint32_t n = bytes & ~3u;
    auto* out = static_cast<uint8_t*>(buffer);
    if (m_passReader) {
        GeneratePulled(out, n);
        return n;
    }
    for (uint32_t done = 0; done < n;) {
        const uint32_t pass = std::min(n - done, kPassBytes);
        MixPass(out + done, pass, [&](size_t i) {
            uint32_t got = m_tracks[i]->Read(m_scratch.data(), pass);
            if (got < pass) std::memset(reinterpret_cast<uint8_t*>(m_scratch.data()) + got, 0, pass - got);
            return m_scratch.data();
        });
        done += pass;
    }
    m_position.fetch_add(n / 4, std::memory_order_relaxed);
    return n;
}

}  // namespace vantor

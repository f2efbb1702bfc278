#include "engine/set_stream.h"

#include <cstring>

#include "engine/fixed_point_gain.h"

namespace vantor {

CSetStream::CSetStream(CEffectManagerImpl* effects, CMusicDatabase* database, CMusicSet* set, bool /*largeBuffer*/)
    : IDataStream(kRingBytes, kChunkBytes), m_set(set), m_scratch(kPassBytes / 2), m_mix(kPassBytes / 2) {
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
    for (auto& track : m_tracks) track->StopStream();
}

bool CSetStream::StartStream() {
    if (IsRunning()) return false;
    for (auto& track : m_tracks) track->StartStream();
    return IDataStream::StartStream();
}

void CSetStream::StopStream() {
    IDataStream::StopStream();
    for (auto& track : m_tracks) track->StopStream();
}

void CSetStream::SetPosition(uint32_t frame, bool flush) {
    std::lock_guard indexLock(IndexLock());
    std::lock_guard lock(m_renderLock);
    m_position.store(frame, std::memory_order_relaxed);
    for (auto& track : m_tracks) track->Reposition(frame, flush, true);
    IDataStream::SetPosition(frame, flush);
}

void CSetStream::Lock(bool lock) {
    for (auto& track : m_tracks) track->Lock(lock);
}

bool CSetStream::IsLocked() const { return !m_tracks.empty() && m_tracks.front()->IsLocked(); }

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
    m_set = RefPtr<CMusicSet>(set);
    for (size_t i = 0; i < m_tracks.size(); ++i)
        m_tracks[i]->ReplaceTrack(set->GetTrack(static_cast<int32_t>(i) + 1));
}

void CSetStream::ApplyEdit(const CSetHistory& history) {
    std::lock_guard lock(m_renderLock);
    for (auto& track : m_tracks) track->Lock(true);
    history.Replay(*m_set);
    uint32_t position = m_position.load(std::memory_order_relaxed);
    for (auto& track : m_tracks) {
        track->Reposition(position, true, false);
        track->Lock(false);
    }
}

bool IsSilentBlock(const int16_t* samples, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (samples[i] != 0) return false;
    return true;
}

void CSetStream::MixPass(uint8_t* out, uint32_t bytes) {
    const size_t samples = bytes / 2;
    bool written = false;
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        // Every track is read, muted or silent, so that all stay in step.
        uint32_t got = m_tracks[i]->Read(m_scratch.data(), bytes);
        if (got < bytes) std::memset(reinterpret_cast<uint8_t*>(m_scratch.data()) + got, 0, bytes - got);
        if (m_muted[i].load(std::memory_order_relaxed)) continue;
        // Skipping a silent block changes nothing: only a block of zeros is one.
        if (IsSilentBlock(m_scratch.data(), samples)) continue;
        const int16_t factor = GainToFixed(m_tracks[i]->GetVolume());
        if (factor != kUnityGain) ApplyFixedGain(m_scratch.data(), samples, factor);
        if (!written) {
            std::memcpy(m_mix.data(), m_scratch.data(), bytes);
            written = true;
        } else {
            for (size_t s = 0; s < samples; ++s) m_mix[s] = Saturate16(static_cast<int32_t>(m_mix[s]) + m_scratch[s]);
        }
    }
    if (written) {
        std::memcpy(out, m_mix.data(), bytes);
    } else {
        std::memset(out, 0, bytes);
    }
}

uint32_t CSetStream::Generate(void* buffer, uint32_t bytes) {
    std::lock_guard lock(m_renderLock);
    if (m_set->GetBlockAlign() != 4) return 0;
    const uint32_t n = bytes & ~3u;
    auto* out = static_cast<uint8_t*>(buffer);
    for (uint32_t done = 0; done < n;) {
        uint32_t pass = std::min(n - done, kPassBytes);
        MixPass(out + done, pass);
        done += pass;
    }
    m_position.fetch_add(n / 4, std::memory_order_relaxed);
    return n;
}

}  // namespace vantor

#include "control/track_effect_map.h"

#include "engine/set_stream.h"
#include "engine/track_stream.h"

namespace vantor {

namespace {

void WriteField(CMemoryOStream& out, const FixedText<TrackEffectBinding::kTextBytes>& text) { text.Write(out); }

// The stored field must be exactly as wide as the text it fills.
bool ReadField(CMemoryIStream& in, FixedText<TrackEffectBinding::kTextBytes>& text) {
    if (ReadInt32(in) != TrackEffectBinding::kTextBytes || in.RanShort()) return false;
    char buffer[TrackEffectBinding::kTextBytes + 1] = {};
    if (in.Read(buffer, TrackEffectBinding::kTextBytes) != TrackEffectBinding::kTextBytes) return false;
    text.Set(buffer);
    return true;
}

}  // namespace

std::string TrackEffectBinding::Description() const {
    return "Track Effect #" + std::to_string(static_cast<uint32_t>(channel)) + "/" +
           std::to_string(static_cast<uint32_t>(controller));
}

void TrackEffectBinding::Write(CMemoryOStream& out) const {
    WriteInt32(out, channel);
    WriteInt32(out, controller);
    WriteInt32(out, track);
    WriteField(out, effect);
    WriteField(out, parameter);
}

bool TrackEffectBinding::Read(CMemoryIStream& in) {
    channel = ReadInt32(in);
    controller = ReadInt32(in);
    track = ReadInt32(in);
    if (in.RanShort()) return false;
    return ReadField(in, effect) && ReadField(in, parameter);
}

void CTrackEffectMap::Add(int32_t channel, int32_t controller, int32_t track, const std::string& effect,
                          const std::string& parameter) {
    TrackEffectBinding binding;
    binding.channel = channel;
    binding.controller = controller;
    binding.track = track;
    binding.effect.Set(effect);
    binding.parameter.Set(parameter);
    AddBinding(binding);
}

bool CTrackEffectMap::Remove(int32_t channel, int32_t controller) {
    return RemoveBinding(
        [&](const TrackEffectBinding& b) { return b.channel == channel && b.controller == controller; });
}

void CTrackEffectMap::AttachPlayer(CSetStream* stream) {
    std::lock_guard lock(m_lock);
    m_stream = stream;
    ResolveLocked();
}

void CTrackEffectMap::DetachPlayer() {
    std::lock_guard lock(m_lock);
    m_stream = nullptr;
    m_processors.clear();
}

int32_t CTrackEffectMap::GetResolvedCount() const {
    std::lock_guard lock(m_lock);
    return static_cast<int32_t>(m_processors.size());
}

void CTrackEffectMap::Changed() { ResolveLocked(); }

void CTrackEffectMap::ResolveLocked() {
    m_processors.clear();
    if (!m_stream) return;
    const int32_t tracks = m_stream->GetTrackCount();
    for (const Entry& entry : m_entries) {
        const int32_t track = entry.binding.track;
        if (track < 1 || track > tracks) continue;
        CTrackStream* stream = m_stream->GetTrackStream(track - 1);
        if (!stream) continue;
        IEffectProcessor* processor =
            stream->AddTrackEffect(entry.binding.effect.c_str(), entry.binding.parameter.c_str(), true);
        if (processor) m_processors[entry.id] = processor;
    }
}

void CTrackEffectMap::OnControlValue(int32_t value, uint32_t key) {
    // Under the lock, so that DetachPlayer waits for a value on its way.
    std::lock_guard lock(m_lock);
    auto found = m_processors.find(key);
    const Entry* entry = FindLocked(key);
    if (found == m_processors.end() || !entry) return;
    found->second->SetParameterLevel(value, kLevelRange, entry->binding.parameter.c_str());
}

}  // namespace vantor

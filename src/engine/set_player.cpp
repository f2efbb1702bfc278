#include "engine/set_player.h"

#include "engine/set_format.h"

namespace vantor {

bool CSetPlayer::Open(CEffectManagerImpl* effects, CMusicDatabase* database, CMusicSet* set, const DeviceId* device,
                      bool largeBuffer, int32_t cooperativeLevel, uint32_t bufferFlags) {
    Close();
    if (!set || !CheckRenderFormat(*set)) return false;
    m_set = RefPtr<CMusicSet>(set);
    AudioFormat format;
    format.formatTag = 1;
    format.channels = static_cast<uint16_t>(set->GetChannels());
    format.samplesPerSec = static_cast<uint32_t>(set->GetSampleRate());
    format.bitsPerSample = static_cast<uint16_t>(set->GetBitsPerSample());
    format.blockAlign = static_cast<uint16_t>(set->GetBlockAlign());
    format.avgBytesPerSec = format.blockAlign * format.samplesPerSec;
    m_stream = std::make_unique<CSetStream>(effects, database, set, largeBuffer);
    m_output = std::make_unique<CStreamAudioOutput>(m_stream.get(), largeBuffer, m_opener);
    if (!m_output->Open(device, format, cooperativeLevel, bufferFlags)) {
        Close();
        return false;
    }
    return true;
}

void CSetPlayer::Close() {
    if (m_output) Stop();
    m_output.reset();
    m_stream.reset();
    m_set.reset();
}

bool CSetPlayer::Play() { return m_output && m_output->Play(); }

void CSetPlayer::Stop() {
    if (!m_output) return;
    if (m_stream->IsLocked()) m_stream->Lock(false);
    m_output->Stop();
}

void CSetPlayer::Pause() {
    if (!m_output) return;
    m_output->Pause();
    m_stream->Lock(true);
}

void CSetPlayer::Resume() {
    if (!m_output) return;
    // The track streams are released before the output's position lock is
    // taken: the output takes that lock first and then waits on the streams,
    // so holding the streams while asking for it could deadlock. The output
    // stays silent until Resume, so nothing is heard early.
    m_stream->Lock(false);
    m_output->Resume();
}

void CSetPlayer::SetPosition(uint32_t frame) {
    if (m_output) m_output->SetPosition(frame);
}

uint32_t CSetPlayer::GetPlayPosition() const { return m_output ? m_output->PeekPosition() : 0; }

void CSetPlayer::SetLoop(uint32_t startFrame, uint32_t endFrame) {
    if (m_output) m_output->SetLoop(startFrame, endFrame);
}

void CSetPlayer::SetEndPosition(uint32_t frame) {
    if (m_output) m_output->SetEndPosition(frame);
}

void CSetPlayer::SetNotifyWindow(MessageQueue* window) {
    if (m_output) m_output->SetNotifyWindow(window);
}

void CSetPlayer::SetPriority(int32_t priority) {
    if (!m_output) return;
    m_output->SetThreadPriority(priority);
    m_stream->SetPriority(priority);
}

bool CSetPlayer::IsTrackMuted(int32_t index) const { return m_stream && m_stream->IsTrackMuted(index); }
void CSetPlayer::MuteTrack(int32_t index) {
    if (m_stream) m_stream->MuteTrack(index);
}
void CSetPlayer::UnmuteTrack(int32_t index) {
    if (m_stream) m_stream->UnmuteTrack(index);
}
void CSetPlayer::SetTrackVolume(int32_t index, double volume) {
    if (m_stream) m_stream->SetTrackVolume(index, volume);
}
double CSetPlayer::GetTrackVolume(int32_t index) const { return m_stream ? m_stream->GetTrackVolume(index) : 0.0; }
int32_t CSetPlayer::GetTrackCount() const { return m_stream ? m_stream->GetTrackCount() : 0; }

void CSetPlayer::ReplaceSet(CMusicSet* set) {
    if (!m_stream) return;
    m_set = RefPtr<CMusicSet>(set);
    m_stream->ReplaceSet(set);
}

void CSetPlayer::ApplyEdit(const CSetHistory& history) {
    if (m_stream) m_stream->ApplyEdit(history);
}

uint32_t SetEndFrame(const CMusicSet& set) {
    uint32_t end = 0;
    auto& tracks = set.GetTracks();
    std::lock_guard lock(tracks.Lock());
    for (int32_t t = 1; t < tracks.GetCount(); ++t) {
        auto& events = tracks.GetAt(t)->GetEvents();
        std::lock_guard eventsLock(events.Lock());
        for (auto* n = events.GetHead(); n; n = n->GetNext()) {
            const CEvent* event = n->GetItem();
            const CSegmentDesign* design = event->GetSegment();
            if (!design) continue;
            int64_t last = static_cast<int64_t>(static_cast<uint32_t>(event->GetPosition())) +
                           std::max(0, design->GetSegment()->GetTimelineLength());
            end = static_cast<uint32_t>(std::max<int64_t>(end, std::min<int64_t>(last, UINT32_MAX)));
        }
    }
    return end;
}

}  // namespace vantor

#include "engine/track_stream.h"

#include <strings.h>

#include <cmath>
#include <cstring>

#include "database/music_database.h"
#include "engine/fixed_point_gain.h"

namespace vantor {

// ---- processor infos ----

CTrackStream::CProcessorInfo::~CProcessorInfo() {
    if (m_processor) m_processor->Delete();
}

CTrackStream::CProcessorInfo& CTrackStream::CProcessorInfo::operator=(CProcessorInfo&& other) noexcept {
    if (this != &other) {
        if (m_processor) m_processor->Delete();
        m_processor = other.m_processor;
        other.m_processor = nullptr;
    }
    return *this;
}

bool CTrackStream::CTrackProcessorInfo::HasParameter(const char* parameter) const {
    for (const auto& entry : m_entries)
        if (std::strcmp(entry->GetParameterName(), parameter) == 0) return true;
    return false;
}

void CTrackStream::CTrackProcessorInfo::AddEntry(const char* parameter, double value) {
    m_entries.push_back(std::make_unique<CEffectEntryConstImpl>(m_name, parameter, value));
}

std::vector<IEffectEntry*> CTrackStream::CTrackProcessorInfo::Entries() const {
    std::vector<IEffectEntry*> entries;
    for (const auto& entry : m_entries) entries.push_back(entry.get());
    return entries;
}

// ---- construction ----

CTrackStream::CTrackStream(CTrack* track, CEffectManagerImpl* effects, CMusicDatabase* database, int32_t blockAlign,
                           int32_t bitsPerSample, int32_t channels)
    : IDataStream(kRingBytes, kChunkBytes),
      m_track(track),
      m_effects(effects),
      m_database(database),
      m_blockAlign(blockAlign > 0 ? blockAlign : 4),
      m_bitsPerSample(bitsPerSample),
      m_channels(channels) {
    Locate(0);
    if (m_effects) {
        for (int i = 0; i < m_effects->GetEffectCount(); ++i) {
            const char* name = m_effects->GetEffectNameAt(i);
            IEffect* type = name ? m_effects->FindEffect(name) : nullptr;
            if (!type) continue;
            IEffectProcessor* processor = type->CreateProcessor();
            if (!processor) continue;
            processor->Init(m_bitsPerSample, m_channels);
            m_segmentProcessors.Insert(name, CProcessorInfo(processor));
        }
    }
    BuildTrackEffects();
}

CTrackStream::~CTrackStream() { Join(-1); }

void CTrackStream::BuildTrackEffects() {
    std::lock_guard lock(m_trackEffectsLock);
    m_trackEffects.clear();
    if (!m_track) return;
    auto& profiles = m_track->GetTrackEffects();
    std::lock_guard profilesLock(profiles.Lock());
    for (int32_t i = 0; i < profiles.GetCount(); ++i) {
        const CEffectProfile* profile = profiles.GetAt(i);
        CTrackProcessorInfo* info = nullptr;
        for (auto& existing : m_trackEffects)
            if (strcasecmp(existing.GetName().c_str(), profile->GetEffectName()) == 0) info = &existing;
        IEffect* type = m_effects ? m_effects->FindEffect(profile->GetEffectName()) : nullptr;
        if (!info) {
            IEffectProcessor* processor = type ? type->CreateProcessor() : nullptr;
            if (processor) processor->Init(m_bitsPerSample, m_channels);
            m_trackEffects.emplace_back(profile->GetEffectName(), processor);
            info = &m_trackEffects.back();
        }
        // One constant value per parameter: where the first curve piece starts.
        const auto* first = profile->GetCurve().GetHead();
        double value = first ? first->GetItem()->GetStartLevel()
                             : (type ? type->GetDefaultValue(profile->GetParameterName()) : 0.0);
        info->AddEntry(profile->GetParameterName(), value);
    }
}

IEffectProcessor* CTrackStream::AddTrackEffect(const char* effectName, const char* parameterName, bool create) {
    if (!effectName || !parameterName) return nullptr;
    IEffect* type = m_effects ? m_effects->FindEffect(effectName) : nullptr;
    std::lock_guard lock(m_trackEffectsLock);
    for (auto& info : m_trackEffects) {
        if (strcasecmp(info.GetName().c_str(), effectName) != 0) continue;
        if (!info.HasParameter(parameterName))
            info.AddEntry(parameterName, type ? type->GetDefaultValue(parameterName) : 0.0);
        return info.GetProcessor();
    }
    if (!create || !type) return nullptr;
    IEffectProcessor* processor = type->CreateProcessor();
    if (!processor) return nullptr;
    processor->Init(m_bitsPerSample, m_channels);
    m_trackEffects.emplace_back(effectName, processor);
    m_trackEffects.back().AddEntry(parameterName, type->GetDefaultValue(parameterName));
    return processor;
}

void CTrackStream::SetVolume(double volume) {
    if (std::isfinite(volume)) m_volume.store(volume, std::memory_order_relaxed);
}

// ---- locating events ----

uint32_t CTrackStream::EventEnd(const CEvent& event) {
    const CSegmentDesign* design = event.GetSegment();
    int64_t length = design ? design->GetSegment()->GetTimelineLength() : 0;
    int64_t end = static_cast<int64_t>(static_cast<uint32_t>(event.GetPosition())) + std::max<int64_t>(length, 0);
    return static_cast<uint32_t>(std::min<int64_t>(end, UINT32_MAX));
}

void CTrackStream::SetCurrent(Node* node) {
    m_currentNode = node;
    m_currentEvent = RefPtr<CEvent>(node ? node->GetItem() : nullptr);
    m_spans.clear();
    m_rememberedSpan.clear();
    const CSegmentDesign* design = m_currentEvent ? m_currentEvent->GetSegment() : nullptr;
    if (!design) return;
    // The processors walk each envelope as a list of spans.
    auto& profiles = design->GetEffectProfiles();
    std::lock_guard lock(profiles.Lock());
    for (int32_t i = 0; i < profiles.GetCount(); ++i) {
        std::vector<EffectSpan> spans;
        auto& curve = profiles.GetAt(i)->GetCurve();
        std::lock_guard curveLock(curve.Lock());
        for (auto* n = curve.GetHead(); n; n = n->GetNext()) {
            const CEffect* piece = n->GetItem();
            spans.push_back({static_cast<uint32_t>(piece->GetStart()), static_cast<uint32_t>(piece->GetEnd()),
                             piece->GetStartLevel(), piece->GetEndLevel()});
        }
        m_spans.push_back(std::move(spans));
        m_rememberedSpan.push_back(SIZE_MAX);
    }
}

void CTrackStream::Locate(uint32_t p) {
    m_source.reset();
    if (!m_track) {
        SetCurrent(nullptr);
        return;
    }
    auto& events = m_track->GetEvents();
    std::lock_guard lock(events.Lock());
    Node* first = events.GetHead();
    Node* last = events.GetTail();
    Node* found = nullptr;
    auto start = [](const Node* n) { return static_cast<uint32_t>(n->GetItem()->GetPosition()); };
    if (!first) {
        found = nullptr;
    } else if (p <= start(first)) {
        found = first;
    } else if (p < start(last) && start(last) - p < p - start(first)) {
        for (Node* n = last; n; n = n->GetPrev()) {
            Node* before = n->GetPrev();
            uint32_t end = EventEnd(*n->GetItem());
            if ((before && EventEnd(*before->GetItem()) < p) || (start(n) <= p && p <= end) ||
                (!before && end >= p)) {
                found = n;
                break;
            }
        }
    } else if (p < start(last)) {
        for (Node* n = first; n; n = n->GetNext()) {
            if (EventEnd(*n->GetItem()) > p) {
                found = n;
                break;
            }
        }
    } else {
        found = EventEnd(*last->GetItem()) > p ? last : nullptr;
    }
    SetCurrent(found);
    if (found) OpenSource();
}

bool CTrackStream::OpenSource() {
    m_source.reset();
    const CSegmentDesign* design = m_currentEvent ? m_currentEvent->GetSegment() : nullptr;
    if (!design || !m_database) return false;
    RefPtr<CSongProfile> song = m_database->GetSong(design->GetSegment()->GetSongKey());
    if (!song) return false;
    m_source = OpenSongSource(*song);
    if (!m_source) return false;
    m_source->SetRatio(design->GetSegment()->GetRatio());
    return true;
}

void CTrackStream::Reposition(uint32_t position, bool flush, bool reinitialise) {
    // The producer holds the index lock while it renders: take it first, as
    // it does, so that moving waits for the block being rendered.
    std::lock_guard indexLock(IndexLock());
    std::lock_guard lock(m_renderLock);
    if (flush) {
        SetCurrent(nullptr);
        FlushRing();
    }
    m_position.store(position, std::memory_order_relaxed);
    Locate(position);
    if (flush) FlushRing();
    if (reinitialise) InitialiseProcessors(true);
}

void CTrackStream::ReplaceTrack(CTrack* track) {
    {
        std::lock_guard indexLock(IndexLock());
        std::lock_guard lock(m_renderLock);
        SetCurrent(nullptr);
        m_source.reset();
        m_track = RefPtr<CTrack>(track);
        BuildTrackEffects();
    }
    Reposition(m_position.load(), true, true);
}

void CTrackStream::InitialiseProcessors(bool trackEffects) {
    m_segmentProcessors.ForEach([&](const char*, CProcessorInfo& info) {
        if (info.GetProcessor()) info.GetProcessor()->Init(m_bitsPerSample, m_channels);
    });
    if (!trackEffects) return;
    std::lock_guard lock(m_trackEffectsLock);
    for (auto& info : m_trackEffects)
        if (info.GetProcessor()) info.GetProcessor()->Init(m_bitsPerSample, m_channels);
}

// ---- rendering ----

int16_t CTrackStream::NormalizationFactor() const {
    if (!m_normalization.load(std::memory_order_relaxed)) return GainToFixed(1.0);
    const CSegmentDesign* design = m_currentEvent ? m_currentEvent->GetSegment() : nullptr;
    double gain = design ? design->GetNormalization() : 1.0;
    return GainToFixed(std::min(gain, kMaxNormalization));
}

void CTrackStream::ApplySegmentEffects(uint8_t* buffer, uint32_t bytes, uint32_t songPosition, double ratio) {
    const CSegmentDesign* design = m_currentEvent ? m_currentEvent->GetSegment() : nullptr;
    if (!design || m_spans.empty()) return;
    auto& profiles = design->GetEffectProfiles();
    std::lock_guard lock(profiles.Lock());
    const int32_t count = std::min<int32_t>(profiles.GetCount(), static_cast<int32_t>(m_spans.size()));
    const uint32_t songFrame = static_cast<uint32_t>(std::trunc(songPosition / ratio));

    constexpr size_t kMaxRun = 10;
    std::vector<std::unique_ptr<CEffectEntryImpl>> run;
    run.reserve(kMaxRun);
    auto flush = [&] {
        if (run.empty()) return;
        CProcessorInfo* info = m_segmentProcessors.Find(run.back()->GetEffectName());
        if (info && info->GetProcessor()) {
            IEffectEntry* entries[kMaxRun];
            for (size_t i = 0; i < run.size(); ++i) entries[i] = run[i].get();
            info->GetProcessor()->Process(songPosition, ratio, static_cast<int>(run.size()), entries, buffer, bytes);
        }
        run.clear();
    };

    for (int32_t i = 0; i < count; ++i) {
        const CEffectProfile* profile = profiles.GetAt(i);
        if (!run.empty() && std::strcmp(run.back()->GetEffectName(), profile->GetEffectName()) != 0) flush();
        const std::vector<EffectSpan>& spans = m_spans[static_cast<size_t>(i)];
        if (spans.empty()) continue;
        // Walk from the span found last time: back while the frame lies
        // before it, forward while it ends before the frame.
        size_t& remembered = m_rememberedSpan[static_cast<size_t>(i)];
        size_t at = remembered < spans.size() ? remembered : 0;
        while (at > 0 && songFrame < spans[at].start) --at;
        while (at < spans.size() && spans[at].end < songFrame) ++at;
        if (at >= spans.size()) continue;
        remembered = at;
        if (run.size() == kMaxRun) flush();
        run.push_back(std::make_unique<CEffectEntryImpl>(profile->GetEffectName(), profile->GetParameterName(), spans, at));
    }
    flush();
}

void CTrackStream::ApplyTrackEffects(uint8_t* buffer, uint32_t bytes, uint32_t position) {
    std::lock_guard lock(m_trackEffectsLock);
    for (auto& info : m_trackEffects) {
        if (!info.GetProcessor()) continue;
        std::vector<IEffectEntry*> entries = info.Entries();
        // The set position, so that effects holding values for a round of
        // frames keep their rounds wherever a block happens to start.
        info.GetProcessor()->Process(position, 1.0, static_cast<int>(entries.size()), entries.data(), buffer, bytes);
    }
}

uint32_t CTrackStream::Generate(void* out, uint32_t bytes) {
    std::lock_guard lock(m_renderLock);
    auto* buffer = static_cast<uint8_t*>(out);
    const uint32_t frameBytes = static_cast<uint32_t>(m_blockAlign);
    const uint32_t n = bytes - bytes % frameBytes;
    uint32_t b = 0;
    uint32_t h = m_position.load(std::memory_order_relaxed);

    while (m_currentNode && b < n) {
        const CEvent& event = *m_currentEvent;
        const uint32_t e = static_cast<uint32_t>(event.GetPosition());
        const uint32_t f = EventEnd(event);
        const uint32_t restFrames = (n - b) / frameBytes;
        if (h < e) {
            uint32_t d = std::min(e - h, restFrames);
            std::memset(buffer + b, 0, d * frameBytes);
            ApplyTrackEffects(buffer + b, d * frameBytes, h);
            b += d * frameBytes;
            h += d;
        } else if (h <= f) {
            // The event renders through its end frame f inclusive, whatever
            // the request boundaries; an event starting at f thus begins one
            // frame into its segment.
            const CSegmentDesign* design = event.GetSegment();
            uint32_t d = static_cast<uint32_t>(std::min<uint64_t>(restFrames, static_cast<uint64_t>(f) - h + 1));
            if (!design || (!m_source && !OpenSource())) {
                std::memset(buffer + b, 0, d * frameBytes);
                ApplyTrackEffects(buffer + b, d * frameBytes, h);
            } else {
                const CSegment* segment = design->GetSegment();
                const double ratio = segment->GetRatio();
                uint32_t q = static_cast<uint32_t>(
                    std::trunc(static_cast<double>(segment->GetStart()) * ratio) + static_cast<double>(h - e));
                m_source->Seek(q);
                uint32_t got = m_source->ReadFrames(buffer + b, d);
                if (got < d) std::memset(buffer + b + got * frameBytes, 0, (d - got) * frameBytes);
                const int16_t factor = NormalizationFactor();
                if (m_bitsPerSample == 16 && factor != kUnityGain)
                    ApplyFixedGain(reinterpret_cast<int16_t*>(buffer + b), d * frameBytes / 2, factor);
                ApplySegmentEffects(buffer + b, d * frameBytes, q, ratio);
                ApplyTrackEffects(buffer + b, d * frameBytes, h);
            }
            b += d * frameBytes;
            h += d;
            if (h > f) {
                Node* next = m_currentNode->GetNext();
                const CSegmentDesign* nextDesign = next ? next->GetItem()->GetSegment() : nullptr;
                bool sameSong = m_source && design && nextDesign &&
                                std::strcmp(nextDesign->GetSegment()->GetSongKey(), design->GetSegment()->GetSongKey()) == 0;
                std::unique_ptr<CResampledWaveFile> keep = sameSong ? std::move(m_source) : nullptr;
                SetCurrent(next);
                m_source = std::move(keep);
                if (m_source) m_source->SetRatio(nextDesign->GetSegment()->GetRatio());
            }
        } else {
            SetCurrent(m_currentNode->GetNext());
            m_source.reset();
            InitialiseProcessors(false);
        }
    }
    if (b < n) {
        std::memset(buffer + b, 0, n - b);
        ApplyTrackEffects(buffer + b, n - b, h);
        h += (n - b) / frameBytes;
    }
    m_position.store(h, std::memory_order_relaxed);
    return n;
}

}  // namespace vantor

#include "views/single_segment_editor_view.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "database/music_database.h"
#include "editing/song_lengths.h"
#include "engine/resampled_wave_summary_file.h"
#include "platform/file_io.h"
#include "platform/user_interface.h"

namespace vantor {

namespace {

std::string Text(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The whole text as a finite number, or nothing.
std::optional<double> Number(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

CSingleSegmentEditorView::CSingleSegmentEditorView(IUserInterface& ui, CMusicDatabase& database,
                                                   CMusicSetView& setView)
    : m_ui(ui), m_database(database), m_setView(setView) {}

CSingleSegmentEditorView::~CSingleSegmentEditorView() = default;

bool CSingleSegmentEditorView::Open(const EditSegmentRequest& request) {
    CSegmentDesign* design = request.event ? request.event->GetSegment() : nullptr;
    if (design) m_profile = m_database.GetSong(design->GetSegment()->GetSongKey());
    if (!m_profile) {
        m_ui.MessageBox("Unable to load profile corresponding to this segment!", kCaption, MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    m_request = request;
    m_design = RefPtr<CSegmentDesign>(design);
    if (FileExists(m_profile->GetLocalPath())) m_summary = OpenSongSummary(*m_profile, false);
    Revert();
    return true;
}

std::string CSingleSegmentEditorView::GetTitle() const {
    if (!m_design) return kCaption;
    return std::string(kCaption) + " - " + m_design->GetName() + " (" + m_profile->GetTitle() + ")";
}

void CSingleSegmentEditorView::Revert() {
    if (!m_design) return;
    const double rate = m_setView.GetSet().GetSampleRate() > 0 ? m_setView.GetSet().GetSampleRate() : 44100.0;
    const CSegment& segment = *m_design->GetSegment();
    m_fields.name = m_design->GetName();
    m_fields.tempo = Text("%.2f", m_design->GetTempo());
    m_fields.ratio = Text("%.10g", segment.GetRatio());
    m_fields.start = Text("%.6f", segment.GetStart() / rate);
    m_fields.end = Text("%.6f", segment.GetEnd() / rate);
    if (m_summary) m_summary->SetRatio(segment.GetRatio());
}

std::vector<WaveformColumn> CSingleSegmentEditorView::GetWaveform(int width) {
    if (!m_summary || !m_design || width <= 0) return {};
    const CSegment& segment = *m_design->GetSegment();
    m_summary->SetRatio(segment.GetRatio());
    const int64_t first = static_cast<int64_t>(std::trunc(segment.GetRatio() * segment.GetStart()));
    return WaveformColumns::Compute(*m_summary, first, static_cast<double>(segment.GetTimelineLength()) / width, width);
}

bool CSingleSegmentEditorView::Apply() {
    if (!m_design) return false;
    auto refuse = [this](const std::string& text) {
        m_ui.MessageBox(text, kCaption, MessageButtons::Ok, MessageIcon::Exclamation);
        return false;
    };
    const double rate = m_setView.GetSet().GetSampleRate() > 0 ? m_setView.GetSet().GetSampleRate() : 44100.0;
    if (m_fields.name.empty()) return refuse("Segment must be given a name.");
    const auto tempo = Number(m_fields.tempo);
    if (!tempo || !(*tempo > 0)) return refuse("The tempo must be a number of beats per minute above 0.");
    const auto ratio = Number(m_fields.ratio);
    if (!ratio || !(*ratio > 0)) return refuse("The ratio must be a number above 0 (1.0 plays the song as recorded).");
    const auto start = Number(m_fields.start);
    const auto end = Number(m_fields.end);
    const int64_t length = SongLengthsFrom(&m_database)(m_design->GetSegment()->GetSongKey()).value_or(0);
    const double startFrame = start ? std::trunc(*start * rate + 1e-6) : -1;
    const double endFrame = end ? std::trunc(*end * rate + 1e-6) : -1;
    if (!(startFrame >= 0) || !(endFrame > startFrame) || endFrame > static_cast<double>(length) ||
        endFrame > INT32_MAX)
        return refuse("The segment must start at or after the start of its song, end after its start, and end by the "
                      "end of its song.");

    RefPtr<CSegmentDesign> design(m_design->Clone());
    design->SetName(m_fields.name);
    design->SetTempo(*tempo);
    CSegment& segment = *design->GetSegment();
    segment.SetRatio(*ratio);
    segment.SetStart(static_cast<int32_t>(startFrame));
    segment.SetEnd(static_cast<int32_t>(endFrame));
    if (!m_setView.ReplaceSegment(m_request, *design)) return false;
    m_design = RefPtr<CSegmentDesign>(m_request.event->GetSegment());
    Revert();
    return true;
}

}  // namespace vantor

#include "views/analyzer_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "views/first_time_open.h"
#include "analysis/song_start.h"
#include "analysis/song_tempo_detector.h"
#include "database/music_database.h"
#include "engine/resampled_wave_file.h"
#include "engine/resampled_wave_summary_file.h"
#include "platform/file_io.h"
#include "platform/user_interface.h"
#include "config/configuration.h"

namespace vantor {

namespace {

constexpr const char* kBaseTempoPrefix = "Base Tempo: ";
constexpr double kMaxTempo = 1000.0;

std::string Format(const char* format, double value) {
    char text[256];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string FormatText(const char* format, const std::string& value) {
    std::string text(format);
    return text.replace(text.find("%s"), 2, value);
}

// A number typed into a field; 0 where the text holds none, as the
// window's own conversion gives.
double ParseNumber(const std::string& text) {
    const double value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

// The whole text as a finite number, or nothing.
std::optional<double> ParseWholeNumber(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
}

// A frame position from seconds, held inside the 32-bit range of positions.
uint32_t FrameAt(double rate, double seconds) {
    const double frame = std::trunc(rate * seconds);
    if (!(frame > 0)) return 0;
    return frame >= 4294967295.0 ? UINT32_MAX : static_cast<uint32_t>(frame);
}

}  // namespace

CAnalyzerView::CAnalyzerView(IUserInterface& ui, CMusicDatabase& database, const CConfiguration& config,
                             std::function<void(const std::string&)> songChanged)
    : m_ui(ui), m_database(database), m_config(config), m_songChanged(std::move(songChanged)) {}

CAnalyzerView::~CAnalyzerView() = default;

bool CAnalyzerView::Open(const RefPtr<CSongProfile>& profile) {
    m_profile = profile;
    SelectType(CMatchPoint::START_SONG);
    if (profile && FileExists(profile->GetLocalPath())) {
        m_source = OpenSongSource(*profile);
        m_summary = OpenSongSummary(*profile, false);
        if (m_source && !m_summary) {
            CFirstTimeOpen::Run(*profile, m_ui);
            m_summary = OpenSongSummary(*profile, false);
        }
    }
    if (!profile || !m_source || !m_summary) {
        m_ui.MessageBox("Error opening wave file", "Song Analyzer", MessageButtons::Ok, MessageIcon::Error);
        Close();
        return false;
    }
    m_open = true;
    SetTempoControl(profile->GetTempo());
    m_baseTempoLabel = Format("Base Tempo: %.5f", profile->GetTempo());
    m_rulerTempo = m_tempoControl;
    m_tempoText = Format("%3.5f", m_tempoControl);
    m_points.clear();
    const auto& points = profile->GetMatchPoints();
    std::lock_guard lock(points.Lock());
    for (int32_t i = 0; i < points.GetCount(); ++i) m_points.emplace_back(points.GetAt(i)->Clone());
    for (const auto& point : m_points) {
        if (point->GetType() == CMatchPoint::START_SONG) {
            m_rulerOrigin = TimeOf(*point);
            break;
        }
    }
    return true;
}

std::string CAnalyzerView::GetTitle() const {
    if (!m_profile) return "Analyzer";
    return std::string("Analyzer - ") + m_profile->GetTitle() + " (" + m_profile->GetArtist() + ")";
}

double CAnalyzerView::GetSampleRate() const { return m_source ? m_source->GetSampleRate() : 44100.0; }

double CAnalyzerView::TimeOf(const CMatchPoint& point) const { return point.GetPosition() / GetSampleRate(); }

void CAnalyzerView::SelectType(int32_t type) {
    const char* label = DefaultMatchPointLabel(type);
    if (!label) return;
    m_type = type;
    m_labelText = label;
}

void CAnalyzerView::SetTempoControl(double tempo) {
    if (!std::isfinite(tempo)) return;
    m_tempoControl = std::clamp(tempo, kMinTempoControl, kMaxTempoControl);
}

void CAnalyzerView::SelectMatchPoints(const std::vector<int>& indexes) {
    m_selected.clear();
    for (int index : indexes)
        if (index >= 0 && index < static_cast<int>(m_points.size())) m_selected.push_back(index);
    std::sort(m_selected.begin(), m_selected.end());
    m_selected.erase(std::unique(m_selected.begin(), m_selected.end()), m_selected.end());
    if (m_selected.empty()) return;
    const CMatchPoint& point = *m_points[static_cast<size_t>(m_selected.front())];
    m_labelText = point.GetLabel();
    m_type = point.GetType();
    m_timeText = Format("%.5f", TimeOf(point));
    m_tempoText = Format("%.5f", point.GetTempo());
    m_rulerOrigin = TimeOf(point);
    m_rulerTempo = point.GetTempo();
    m_marked = m_selected.front();
}

bool CAnalyzerView::Detect() {
    if (!m_open) return false;
    const uint32_t from = m_cursorTime >= 0 ? FrameAt(GetSampleRate(), m_cursorTime) : 0;
    const std::optional<uint32_t> start = FindSongStart(*m_source, *m_summary, m_config.GetStartThreshold(), from);
    if (!start) {
        m_ui.MessageBox("Unable to find start position for this song.", "Generate Points", MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    const SongTempo detected = SongTempoDetector(m_config).Detect(*m_source, *m_summary, *start);
    const double tempo = detected.tempo;
    for (auto it = m_points.begin(); it != m_points.end(); ++it) {
        if ((*it)->GetType() == CMatchPoint::START_SONG) {
            m_points.erase(it);
            break;
        }
    }
    m_selected.clear();
    m_marked = -1;
    auto point = MakeRef<CMatchPoint>();
    point->SetLabel("Start");
    point->SetPosition(*start);
    point->SetType(CMatchPoint::START_SONG);
    point->SetSongKey(m_profile->GetLocalPath());
    point->SetTempo(kDefaultTempo);
    if (detected.accepted) {
        m_baseTempoLabel = Format("Base Tempo: %.5f", tempo);
        point->SetTempo(tempo);
        m_rulerTempo = tempo;
        SetTempoControl(tempo);
    } else {
        m_ui.MessageBox("Unable to find tempo.", "Detect Tempo", MessageButtons::Ok, MessageIcon::Error);
    }
    m_points.push_back(point);
    m_rulerOrigin = TimeOf(*point);
    return detected.accepted;
}

bool CAnalyzerView::Add() {
    if (!m_open) return false;
    if (m_type == CMatchPoint::START_SONG || m_type == CMatchPoint::END_SONG) {
        for (const auto& point : m_points) {
            if (point->GetType() == m_type) {
                m_ui.MessageBox("Only one Cue Point of the selected type can exist.", "Add Cue Point",
                                MessageButtons::Ok, MessageIcon::Error);
                return false;
            }
        }
    }
    // A cue point lies inside the song and carries a plausible tempo.
    const double length = m_source->GetLength() / GetSampleRate();
    const std::optional<double> time = ParseWholeNumber(m_timeText);
    if (!time || *time < 0 || *time > length) {
        m_ui.MessageBox(Format("The time must be a number of seconds from 0 to %.3f, the song's length.", length),
                        "Add Cue Point", MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    const std::optional<double> tempo = ParseWholeNumber(m_tempoText);
    if (!tempo || !(*tempo > 0) || *tempo > kMaxTempo) {
        m_ui.MessageBox(Format("The tempo must be a number of beats per minute above 0 and at most %.0f.", kMaxTempo),
                        "Add Cue Point", MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    auto point = MakeRef<CMatchPoint>();
    point->SetLabel(m_labelText);
    point->SetSongKey(m_profile->GetLocalPath());
    point->SetType(m_type);
    point->SetPosition(FrameAt(GetSampleRate(), *time));
    point->SetTempo(*tempo);
    m_points.push_back(point);
    return true;
}

void CAnalyzerView::Remove() {
    for (auto it = m_selected.rbegin(); it != m_selected.rend(); ++it) m_points.erase(m_points.begin() + *it);
    m_selected.clear();
    m_marked = -1;
}

void CAnalyzerView::Goto() {
    if (!m_selected.empty()) m_viewTime = TimeOf(*m_points[static_cast<size_t>(m_selected.front())]);
}

void CAnalyzerView::ClearAll() {
    if (m_ui.MessageBox("Are you sure?", "Clear All Cue Points", MessageButtons::YesNo, MessageIcon::Question) !=
        MessageAnswer::Yes)
        return;
    m_points.clear();
    m_selected.clear();
    m_marked = -1;
}

void CAnalyzerView::BaseTempo() { m_baseTempoLabel = FormatText("Base Tempo: %s", m_tempoText); }

void CAnalyzerView::ShiftRulerGuide() {
    if (m_cursorTime >= 0) m_rulerOrigin = m_cursorTime;
}

bool CAnalyzerView::Ok() {
    if (!m_open) return false;
    auto& points = m_profile->GetMatchPoints();
    {
        std::lock_guard lock(points.Lock());
        points.RemoveAll();
        for (const auto& point : m_points) points.Add(point.get());
    }
    // A base tempo typed as no number leaves the profile's tempo as it was.
    const double tempo = ParseNumber(m_baseTempoLabel.substr(std::string(kBaseTempoPrefix).size()));
    if (tempo > 0) m_profile->SetTempo(tempo);
    if (!m_database.PutSong(*m_profile)) return false;
    const std::string key = m_profile->GetKey();
    Close();
    if (m_songChanged) m_songChanged(key);
    return true;
}

void CAnalyzerView::Cancel() { Close(); }

void CAnalyzerView::OnSongChanged(const std::string& key) {
    if (m_open && m_profile && key == m_profile->GetKey()) Close();
}

std::vector<CAnalyzerView::Row> CAnalyzerView::GetRows() const {
    std::vector<Row> rows;
    for (const auto& point : m_points) {
        const char* name = MatchPointTypeName(point->GetType());
        rows.push_back({Format("%.5f", TimeOf(*point)), name ? name : "", Format("%.5f", point->GetTempo()),
                        point->GetLabel()});
    }
    return rows;
}

void CAnalyzerView::Close() {
    m_open = false;
    m_source.reset();
    m_summary.reset();
}

}  // namespace vantor

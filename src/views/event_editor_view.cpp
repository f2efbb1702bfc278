#include "views/event_editor_view.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "database/music_database.h"
#include "editing/song_lengths.h"
#include "editing/track_event_edits.h"

namespace vantor {

namespace {

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

std::string Unsigned(int64_t value) { return std::to_string(static_cast<uint32_t>(value)); }

std::string TempoText(double tempo) {
    char text[64];
    std::snprintf(text, sizeof text, "%3.5f", tempo);
    return text;
}

}  // namespace

CEventEditorView::CEventEditorView(IUserInterface& ui, CMusicDatabase* database, int visibleRows)
    : m_ui(ui), m_database(database), m_visibleRows(std::max(1, visibleRows)) {}

int64_t CEventEditorView::ParseWhole(const std::string& text) {
    std::string trimmed = Trim(text);
    uint64_t value = 0;
    auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (trimmed.empty() || error == std::errc::invalid_argument || end != trimmed.data() + trimmed.size()) return 0;
    if (error == std::errc::result_out_of_range || value > INT32_MAX) return INT32_MAX;
    return static_cast<int64_t>(value);
}

double CEventEditorView::ParseReal(const std::string& text) {
    std::string trimmed = Trim(text);
    if (trimmed.empty()) return 0.0;
    char* end = nullptr;
    double value = std::strtod(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size() || !std::isfinite(value)) return 0.0;
    return value;
}

bool CEventEditorView::Open(const EventEditorParameters& parameters) {
    Close();
    if (!parameters.track || !parameters.history) return false;
    m_title = parameters.title.substr(0, 255);
    m_track = RefPtr<CTrack>(parameters.track);
    m_trackIndex = parameters.trackIndex;
    m_history = RefPtr<CSetHistory>(parameters.history);
    {
        auto& events = m_track->GetEvents();
        std::lock_guard lock(events.Lock());
        m_tempoMode = events.GetHead() && events.GetHead()->GetItem()->GetKind() == CEvent::kTempoChange;
        m_top = 0;
        int index = 0;
        for (auto* n = events.GetHead(); n; n = n->GetNext(), ++index)
            if (n->GetItem() == parameters.currentEvent) {
                m_top = index;
                m_selected = RefPtr<CEvent>(parameters.currentEvent);
            }
    }
    if (m_tempoMode)
        m_columns = {{"Start", 20}, {"Tempo", 30}};
    else
        m_columns = {{"Start", 20}, {"End", 20}, {"Name", 30}, {"Song Title", 30}};
    Fill();
    if (int row = GetSelectedRow(); row >= 0) SelectRow(row);
    return true;
}

void CEventEditorView::Close() {
    m_rows.clear();
    m_selected.reset();
    m_track.reset();
    m_history.reset();
}

int CEventEditorView::GetScrollLimit() const {
    int count = m_track ? m_track->GetEvents().GetCount() : 0;
    return std::max(0, count - m_visibleRows);
}

int CEventEditorView::GetSelectedRow() const {
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].event == m_selected && m_selected) return static_cast<int>(i);
    return -1;
}

std::string CEventEditorView::SongTitle(const CEvent& event) const {
    if (!m_database || !event.GetSegment()) return {};
    RefPtr<CSongProfile> song = m_database->GetSong(event.GetSegment()->GetSegment()->GetSongKey());
    return song ? song->GetTitle() : std::string();
}

std::vector<std::string> CEventEditorView::Cells(const CEvent& event) const {
    if (m_tempoMode)
        return {Unsigned(event.GetPosition()), event.GetTempoChange() ? TempoText(event.GetTempoChange()->GetTempo()) : ""};
    if (!event.GetSegment()) return {Unsigned(event.GetPosition()), "", "", ""};
    const CSegmentDesign& design = *event.GetSegment();
    return {Unsigned(event.GetPosition()),
            Unsigned(static_cast<int64_t>(event.GetPosition()) + design.GetSegment()->GetTimelineLength()),
            design.GetName(), SongTitle(event)};
}

void CEventEditorView::Fill() {
    m_rows.clear();
    if (!m_track) return;
    m_top = std::clamp(m_top, 0, GetScrollLimit());
    auto& events = m_track->GetEvents();
    {
        std::lock_guard lock(events.Lock());
        int index = 0;
        for (auto* n = events.GetHead(); n && static_cast<int>(m_rows.size()) < m_visibleRows; n = n->GetNext(), ++index)
            if (index >= m_top) m_rows.push_back({RefPtr<CEvent>(n->GetItem()), {}});
        // The selection follows its event; an event that left the track
        // leaves nothing selected.
        if (m_selected && !events.Find(m_selected.get())) m_selected.reset();
    }
    // Song titles come from the database, which is not asked under the list's lock.
    for (Row& row : m_rows) row.cells = Cells(*row.event);
}

void CEventEditorView::ScrollTo(int top) {
    m_top = std::clamp(top, 0, GetScrollLimit());
    Fill();
}

void CEventEditorView::SelectRow(int row) {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return;
    const CEvent& event = *m_rows[static_cast<size_t>(row)].event;
    m_selected = m_rows[static_cast<size_t>(row)].event;
    m_start = Unsigned(event.GetPosition());
    if (m_tempoMode) {
        m_tempo = event.GetTempoChange() ? TempoText(event.GetTempoChange()->GetTempo()) : "";
    } else if (const CSegmentDesign* design = event.GetSegment()) {
        m_end = Unsigned(static_cast<int64_t>(event.GetPosition()) + design->GetSegment()->GetSourceLength());
        m_name = design->GetName();
        m_songTitle = SongTitle(event);
    }
}

void CEventEditorView::Changed() {
    Fill();
    if (m_trackChanged) m_trackChanged(m_track.get());
}

void CEventEditorView::UpdateEvent() {
    if (!m_track || !m_selected) return;
    TrackEventEdits edits(*m_history, *m_track, m_trackIndex, SongLengthsFrom(m_database));
    Status status = m_tempoMode ? edits.UpdateTempo(m_selected.get(), ParseWhole(m_start), ParseReal(m_tempo))
                                : edits.UpdateSegment(m_selected.get(), ParseWhole(m_start), ParseWhole(m_end), m_name);
    if (!status) {
        m_ui.ShowRefusal(status.Error());
        return;
    }
    Changed();
}

void CEventEditorView::DeleteEvent() {
    if (!m_track || !m_selected) return;
    const int row = GetSelectedRow();
    TrackEventEdits edits(*m_history, *m_track, m_trackIndex);
    Status status = edits.Delete(m_selected.get(), m_tempoMode);
    if (!status) {
        m_ui.ShowRefusal(status.Error());
        return;
    }
    m_selected.reset();
    Changed();
    // The same row index stays selected.
    if (!m_rows.empty() && row >= 0) SelectRow(std::min(row, static_cast<int>(m_rows.size()) - 1));
}

void CEventEditorView::ClearTrack() {
    if (!m_track) return;
    if (m_ui.MessageBox("Are you sure?", "Clear Track", MessageButtons::YesNo, MessageIcon::Exclamation) !=
        MessageAnswer::Yes)
        return;
    TrackEventEdits(*m_history, *m_track, m_trackIndex).Clear(m_tempoMode);
    Changed();
}

void CEventEditorView::OnTrackChanged(const CTrack* track) {
    if (m_track && track == m_track.get()) Fill();
}

}  // namespace vantor

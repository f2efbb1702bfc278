#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/match_point.h"
#include "database/song_profile.h"
#include "model/ref_ptr.h"

namespace vantor {

class CConfiguration;
class CMusicDatabase;
class CResampledWaveFile;
class CResampledWaveSummaryFile;
class IUserInterface;

// The song analyzer without its window: detects a song's start and tempo,
// keeps a working list of cue points and the base tempo, and stores them in
// the profile on OK. Nothing reaches the database before OK.
class CAnalyzerView {
public:
    // The type list, START_SONG first.
    static constexpr std::array<int32_t, 9> kTypes = {
        CMatchPoint::START_SONG, CMatchPoint::END_SONG, CMatchPoint::BUILD,
        CMatchPoint::FALL,       CMatchPoint::EXPLODE_UP, CMatchPoint::EXPLODE_DOWN,
        CMatchPoint::CHORUS,     CMatchPoint::VERSE,    CMatchPoint::MISC,
    };
    static constexpr double kMinTempoControl = 100.0;
    static constexpr double kMaxTempoControl = 150.0;

    // One row of the cue point list: "Time", "Type", "Tempo", "Label".
    struct Row {
        std::string time;
        std::string type;
        std::string tempo;
        std::string label;
    };

    // songChanged tells the other views that a song's profile was stored.
    CAnalyzerView(IUserInterface& ui, CMusicDatabase& database, const CConfiguration& config,
                  std::function<void(const std::string& key)> songChanged = {});
    ~CAnalyzerView();
    CAnalyzerView(const CAnalyzerView&) = delete;
    CAnalyzerView& operator=(const CAnalyzerView&) = delete;

    // Opens the song's audio and summary, building a missing summary first.
    // False, after "Error opening wave file", when either is missing.
    bool Open(const RefPtr<CSongProfile>& profile);
    bool IsOpen() const { return m_open; }
    std::string GetTitle() const;

    // Edit fields and controls as the user sets them.
    void SelectType(int32_t type);
    int32_t GetSelectedType() const { return m_type; }
    void SetLabelText(const std::string& text) { m_labelText = text; }
    const std::string& GetLabelText() const { return m_labelText; }
    void SetTimeText(const std::string& text) { m_timeText = text; }
    const std::string& GetTimeText() const { return m_timeText; }
    void SetTempoText(const std::string& text) { m_tempoText = text; }
    const std::string& GetTempoText() const { return m_tempoText; }
    // Seconds; negative: the waveform has no cursor.
    void SetCursorTime(double seconds) { m_cursorTime = seconds; }
    void SetTempoControl(double tempo);
    double GetTempoControl() const { return m_tempoControl; }
    // Selects cue points by list index; the first one is shown and marked.
    void SelectMatchPoints(const std::vector<int>& indexes);

    // Commands. Detect and Add return false when they told the user of a
    // refusal (no start, no plausible tempo, a second start or end point);
    // Detect still keeps the start it found without a tempo.
    bool Detect();
    bool Add();
    void Remove();
    void Goto();
    void ClearAll();
    void BaseTempo();
    void ShiftRulerGuide();
    // Stores the profile and closes; false when it could not be stored.
    bool Ok();
    void Cancel();
    // Another window stored the song with this key: the analyzer closes.
    void OnSongChanged(const std::string& key);

    // What the window shows.
    const std::string& GetBaseTempoLabel() const { return m_baseTempoLabel; }
    const std::vector<RefPtr<CMatchPoint>>& GetMatchPoints() const { return m_points; }
    std::vector<Row> GetRows() const;
    double GetRulerOrigin() const { return m_rulerOrigin; }
    double GetRulerTempo() const { return m_rulerTempo; }
    double GetViewTime() const { return m_viewTime; }
    int GetMarkedPoint() const { return m_marked; }
    double GetSampleRate() const;
    // The open song's summary, for drawing its waveform; null when closed.
    CResampledWaveSummaryFile* GetSummary() const { return m_summary.get(); }

private:
    double TimeOf(const CMatchPoint& point) const;
    void Close();

    IUserInterface& m_ui;
    CMusicDatabase& m_database;
    const CConfiguration& m_config;
    std::function<void(const std::string&)> m_songChanged;
    RefPtr<CSongProfile> m_profile;
    std::unique_ptr<CResampledWaveFile> m_source;
    std::unique_ptr<CResampledWaveSummaryFile> m_summary;
    bool m_open = false;

    std::vector<RefPtr<CMatchPoint>> m_points;
    std::vector<int> m_selected;
    int m_marked = -1;
    int32_t m_type = CMatchPoint::START_SONG;
    std::string m_labelText;
    std::string m_timeText;
    std::string m_tempoText;
    double m_cursorTime = -1;
    double m_tempoControl = kDefaultTempo;
    std::string m_baseTempoLabel;
    double m_rulerOrigin = 0;
    double m_rulerTempo = kDefaultTempo;
    double m_viewTime = 0;
};

}  // namespace vantor

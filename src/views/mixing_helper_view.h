#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "database/song_profile.h"
#include "editing/mixing_wizard.h"
#include "model/music_set.h"
#include "platform/device_id.h"
#include "views/waveform_columns.h"

namespace vantor {

class CEffectManagerImpl;
class CMusicDatabase;
class CMusicSetView;
class CResampledWaveSummaryFile;
class CSetPlayer;
class IUserInterface;
class SetEditorState;

// What the Mixing Helper's "Audition" plays with: a set player of its own
// (on the audition device, the default one when all zero) and the effects.
struct MixingHelperAudition {
    CSetPlayer* player = nullptr;
    CEffectManagerImpl* effects = nullptr;
    DeviceId device{};
};

// "Mixing Helper" without its window: joins the segment just inserted (song 2)
// to a segment already in the set (song 1). It shows both songs' waveforms at
// their segments' ratios with beat rulers, a cursor in each, each song's cue
// points (which "+" and "-" add and remove in the song's profile), the "R"
// slider that fine-tunes song 2's ratio, and the fields of the join; OK hands
// the fields to the set editor's mix, which changes the set in one Undo.
class CMixingHelperView {
public:
    static constexpr const char* kTitle = "Mixing Helper";
    static constexpr int kTuneMin = 0;
    static constexpr int kTuneMax = 1000;
    static constexpr int kTuneCentre = 500;
    // "Show": a window this long, starting this far before the cursors.
    static constexpr double kShowSeconds = 4.0;
    static constexpr double kShowLead = 2.0;
    // The audition starts this long before the mixing point.
    static constexpr double kAuditionLead = 4.0;
    // The types "+" offers, BUILD first.
    static constexpr std::array<int32_t, 7> kCueTypes = {CMatchPoint::BUILD,      CMatchPoint::FALL,
                                                         CMatchPoint::EXPLODE_UP, CMatchPoint::EXPLODE_DOWN,
                                                         CMatchPoint::CHORUS,     CMatchPoint::VERSE,
                                                         CMatchPoint::MISC};

    // The set editor's mix: the mixing point (or -1), or nothing when the
    // user was told why the mix was refused.
    using MixApplier = std::function<std::optional<int32_t>(const MixingFields&)>;
    // Runs the dialog modally until OK or Cancel closed it.
    using Runner = std::function<void(CMixingHelperView&)>;

    using Audition = MixingHelperAudition;

    // One waveform's window: the song time at its left edge and the seconds
    // a pixel column covers, both in the song's resampled time.
    struct WaveWindow {
        double startTime = 0.0;
        double secondsPerPixel = 0.01;
    };

    // A beat line of a ruler; every fourth beat starts a bar.
    struct Beat {
        int x = 0;
        bool bar = false;
    };

    CMixingHelperView(IUserInterface& ui, CMusicDatabase& database, const SetEditorState& state, SegmentAt first,
                      SegmentAt second, MixApplier apply, Audition audition = {});
    ~CMixingHelperView();
    CMixingHelperView(const CMixingHelperView&) = delete;
    CMixingHelperView& operator=(const CMixingHelperView&) = delete;

    // Makes the set editor's "Mix into:" open this dialog: the chosen segment
    // is the first, the inserted one the second.
    static void Connect(CMusicSetView& view, IUserInterface& ui, CMusicDatabase& database, Runner runner,
                        Audition audition = {});

    // Loads both profiles and summaries (building a missing summary first).
    // False, after telling the user, when a song's profile is missing.
    bool Open();

    // The waveforms, each drawn width columns wide. Song indexes are 0 and 1.
    void SetWidth(int width);
    int GetWidth() const { return m_width; }
    const WaveWindow& GetWindow(int song) const { return m_songs[Index(song)].window; }
    // Scrolls a waveform to start at the time, or zooms it around its start.
    void ScrollTo(int song, double startTime);
    void Zoom(int song, double secondsPerPixel);
    std::vector<WaveformColumn> GetWaveform(int song);
    // Beat lines at the segment's design tempo (song 2's corrected for the
    // fine-tuned ratio), counted from the segment's start.
    std::vector<Beat> GetBeatRuler(int song) const;
    double GetRulerTempo(int song) const;

    // The cursors, in seconds of the song's resampled time.
    double GetCursor(int song) const { return m_songs[Index(song)].cursor; }
    void SetCursor(int song, double seconds);
    // A click at x in a waveform sets its cursor.
    void Click(int song, int x);
    int CursorX(int song) const;

    // "Song #1 Cue Point:", "Song #2 Cue Point:": "<label> (<type name>)".
    std::vector<std::string> GetCueLabels(int song) const;
    // Choosing a cue point moves the cursor to ratio x position / rate.
    bool ChooseCue(int song, int index);
    int GetChosenCue(int song) const { return m_songs[Index(song)].chosenCue; }
    // The label "+" proposes for a type: "Build", "Fall", ...
    static std::string DefaultCueLabel(int32_t type);
    // "+": a cue point of the type and label at the song's cursor, stored
    // with the profile. False when the type is not offered or the profile
    // could not be stored (told; the profile is left as it was).
    bool AddCue(int song, int32_t type, const std::string& label);
    // "-": removes the chosen cue point from the profile and stores it.
    bool RemoveCue(int song);

    // The "R" slider beside waveform 2.
    void SetTune(int position);
    int GetTune() const { return m_tune; }
    double GetRatio(int song) const;

    // "Show" lines both waveforms up on their cursors.
    void Show();

    // "Audition" / "Stop".
    bool ToggleAudition();
    bool IsAuditioning() const { return static_cast<bool>(m_auditionSet); }
    std::string GetAuditionText() const { return IsAuditioning() ? "Stop" : "Audition"; }
    const CMusicSet* GetAuditionSet() const { return m_auditionSet.get(); }

    // The join's fields.
    void SetJoin(MixingFields::Join join) { m_fields.join = join; }
    MixingFields::Join GetJoin() const { return m_fields.join; }
    bool IsMixChecked() const { return m_fields.join == MixingFields::Join::Mix; }
    bool IsCutChecked() const { return m_fields.join == MixingFields::Join::Cut; }
    void SetFadesEnabled(bool on) { m_fields.fadesEnabled = on; }
    // "Fade-In:", "Hold:", "Fade-Out:" as typed; false (the field unchanged)
    // for a text that is not a whole number of bars from 0 up.
    bool SetFadeInText(const std::string& text) { return SetBars(text, m_fields.fadeInBars); }
    bool SetHoldText(const std::string& text) { return SetBars(text, m_fields.holdBars); }
    bool SetFadeOutText(const std::string& text) { return SetBars(text, m_fields.fadeOutBars); }
    void SetMarkWithTempoChange(bool on) { m_fields.markWithTempoChange = on; }
    // What OK would hand the mix.
    MixingFields GetFields() const;

    // OK: the mix; the dialog stays open (false) when it was refused.
    bool Ok();
    void Cancel();
    bool IsClosed() const { return m_closed; }
    // The mixing point OK returned; nothing after Cancel.
    const std::optional<int32_t>& GetResult() const { return m_result; }

private:
    struct Song {
        SegmentAt at;
        RefPtr<CSongProfile> profile;
        std::unique_ptr<CResampledWaveSummaryFile> summary;
        double ratio = 1.0;
        double cursor = 0.0;
        int chosenCue = -1;
        WaveWindow window;
    };

    static size_t Index(int song) { return song == 1 ? 1 : 0; }
    double Rate() const;
    bool Store(Song& song);
    void StopAudition();
    bool StartAudition();
    static bool SetBars(const std::string& text, int32_t& bars);

    IUserInterface& m_ui;
    CMusicDatabase& m_database;
    const SetEditorState& m_state;
    MixApplier m_apply;
    Audition m_audition;
    std::array<Song, 2> m_songs;
    int m_width = 800;
    int m_tune = kTuneCentre;
    MixingFields m_fields;
    RefPtr<CMusicSet> m_auditionSet;
    bool m_closed = false;
    std::optional<int32_t> m_result;
};

}  // namespace vantor

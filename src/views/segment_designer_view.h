#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "database/song_profile.h"
#include "model/segment_design.h"
#include "views/music_set_view.h"

namespace vantor {

class CConfiguration;
class CEffectManagerImpl;
class CMusicDatabase;
class CResampledWaveFile;
class CResampledWaveSummaryFile;
class IUserInterface;

// The segment designer without its window: the "Segments" list of one song's
// stored segment designs, and the controls a new design is made from (name,
// tempo, "Resampling:", the selection in the song, the effect list). OK
// writes the list back to the profile. Opened by Edit Segment on a segment of
// a set, its controls start from that segment and OK also hands the changed
// design back to the set editor.
class CSegmentDesignerView {
public:
    // The set editor's replace of the segment it handed over.
    using HandBack = std::function<bool(const EditSegmentRequest&, const CSegmentDesign&)>;

    CSegmentDesignerView(IUserInterface& ui, CMusicDatabase& database, const CConfiguration& config,
                         CEffectManagerImpl* effects);
    ~CSegmentDesignerView();
    CSegmentDesignerView(const CSegmentDesignerView&) = delete;
    CSegmentDesignerView& operator=(const CSegmentDesignerView&) = delete;

    // Makes the set editor's Edit Segment open a designer on the segment,
    // which the runner drives until OK or Cancel.
    static void Connect(CMusicSetView& view, IUserInterface& ui, CMusicDatabase& database,
                        const CConfiguration& config, CEffectManagerImpl* effects,
                        std::function<void(CSegmentDesignerView&)> runner);

    // On a song profile; the song's summary is built first when it has none.
    // False, after telling the user, when the song's audio cannot be opened.
    bool Open(const RefPtr<CSongProfile>& profile);
    // On a segment of a set: its song, and the controls set from it.
    bool OpenOnSegment(const EditSegmentRequest& request, HandBack handBack);
    bool IsOpen() const { return static_cast<bool>(m_profile); }
    bool IsClosed() const { return m_closed; }
    // "Segment Designer - <title> (<artist>)", or "Segment Designer".
    std::string GetTitle() const;

    // "Segments".
    std::vector<std::string> GetSegmentNames() const;
    int GetSelectedSegment() const { return m_selected; }
    // Selecting a design shows its fields in the controls.
    bool SelectSegment(int index);
    const CSegmentDesign* GetSegment(int index) const;

    // The controls.
    void SetName(const std::string& name) { m_name = name; }
    const std::string& GetName() const { return m_name; }
    void SetTempo(double tempo) { m_tempo = tempo; }
    double GetTempo() const { return m_tempo; }
    void SetResamplingText(const std::string& text) { m_resampling = text; }
    const std::string& GetResamplingText() const { return m_resampling; }
    // The selection in seconds of the song played at the resampling value.
    void SetSelection(double start, double length) {
        m_selectionStart = start;
        m_selectionLength = length;
    }
    double GetSelectionStart() const { return m_selectionStart; }
    double GetSelectionLength() const { return m_selectionLength; }

    // The effect list, "<effect> / <parameter>".
    std::vector<std::string> GetEffectLabels() const;
    // What "Select Effect" offers: every registered effect with its parameters.
    std::vector<std::pair<std::string, std::vector<std::string>>> GetEffectChoices() const;
    bool AddEffect(const std::string& effect, const std::string& parameter);
    bool RemoveEffect(int index);

    // "Add segment" from the controls; false when refused or cancelled.
    bool AddSegment();
    bool RemoveSegment(int index);

    // OK: the list becomes the profile's segment designs and is stored; on a
    // handed-over segment the controls' design goes back to the set editor.
    // A write that fails is told and the designer stays open with its list.
    bool Ok();
    void Cancel() { m_closed = true; }

private:
    // The design the controls describe, or a refusal with its message.
    Result<RefPtr<CSegmentDesign>> Build(const char* caption) const;
    double Rate() const;
    int64_t SourceLength() const;
    void ShowDesign(const CSegmentDesign& design);

    IUserInterface& m_ui;
    CMusicDatabase& m_database;
    const CConfiguration& m_config;
    CEffectManagerImpl* m_effects;
    RefPtr<CSongProfile> m_profile;
    std::unique_ptr<CResampledWaveFile> m_source;
    std::unique_ptr<CResampledWaveSummaryFile> m_summary;
    std::vector<RefPtr<CSegmentDesign>> m_list;
    int m_selected = -1;
    std::optional<EditSegmentRequest> m_request;
    HandBack m_handBack;
    bool m_closed = false;

    std::string m_name;
    double m_tempo = kDefaultTempo;
    std::string m_resampling = "1.0";
    double m_selectionStart = 0.0;
    double m_selectionLength = 0.0;
    std::vector<RefPtr<CEffectProfile>> m_effectList;
};

}  // namespace vantor

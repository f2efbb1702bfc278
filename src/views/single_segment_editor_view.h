#pragma once

#include <memory>
#include <string>
#include <vector>

#include "database/song_profile.h"
#include "views/music_set_view.h"
#include "views/waveform_columns.h"

namespace vantor {

class CMusicDatabase;
class CResampledWaveSummaryFile;
class IUserInterface;

// The editor of one segment of a set, without its window: the segment's
// waveform over its span at its ratio, and its fields as typed (name, design
// tempo, ratio, and where it starts and ends in its song, in seconds of the
// song as recorded). Apply checks the fields, then hands the changed design
// to the set editor, which replaces the segment as one Undo unless it would
// overlap its neighbour. Several may be open, one per segment.
class CSingleSegmentEditorView {
public:
    static constexpr const char* kCaption = "Edit Segment";

    CSingleSegmentEditorView(IUserInterface& ui, CMusicDatabase& database, CMusicSetView& setView);
    ~CSingleSegmentEditorView();
    CSingleSegmentEditorView(const CSingleSegmentEditorView&) = delete;
    CSingleSegmentEditorView& operator=(const CSingleSegmentEditorView&) = delete;

    // On the segment Edit Segment hands over; false, after telling the user,
    // when its song has no profile.
    bool Open(const EditSegmentRequest& request);
    // "Edit Segment - <design name> (<song title>)".
    std::string GetTitle() const;

    // The fields as typed: the segment's own values after Open and Revert.
    struct Fields {
        std::string name;
        std::string tempo;
        std::string ratio;
        std::string start;
        std::string end;
    };
    Fields& GetFields() { return m_fields; }
    void Revert();

    // The waveform of the segment as it plays, width columns.
    std::vector<WaveformColumn> GetWaveform(int width);

    // Checks every field and replaces the segment; false when a field was
    // refused or the set editor refused the replace (the user has been told
    // in both cases; the fields stay as typed).
    bool Apply();

private:
    IUserInterface& m_ui;
    CMusicDatabase& m_database;
    CMusicSetView& m_setView;
    EditSegmentRequest m_request;
    RefPtr<CSegmentDesign> m_design;
    RefPtr<CSongProfile> m_profile;
    std::unique_ptr<CResampledWaveSummaryFile> m_summary;
    Fields m_fields;
};

}  // namespace vantor

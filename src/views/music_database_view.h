#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "database/music_database.h"
#include "library/load_job.h"
#include "model/ref_ptr.h"
#include "model/segment_design.h"

namespace vantor {

class CConfiguration;
class CRecentTitleList;
class IUserInterface;

// The "Music Database" window: the songs of the database, one list at a
// time (all songs, the latest titles, or a list of keys), sorted by title,
// artist or tempo text, filtered by kind (Song, Beats, Acapella; samples
// never show), scrolled by a top row and jumped to by letter.
class CMusicDatabaseView {
public:
    static constexpr const char* kTitle = "Music Database";
    // The letter buttons: A to Z without O and X, then 1.
    static constexpr const char* kLetters = "ABCDEFGHIJKLMNPQRSTUVWYZ1";
    static constexpr int kDragSegmentDesign = 1;

    enum class ListMode { All, Latest, Keys };

    struct Row {
        RefPtr<CSongProfile> song;
        std::string title, artist, tempo, offline, mixer, album;
    };

    // What the window opens or tells other windows; the window registry
    // connects them.
    struct Listener {
        std::function<void(LoadJob)> queueLoad;
        // Null: an empty profile editor.
        std::function<void(const RefPtr<CSongProfile>&)> openProfileEditor;
        std::function<void(const RefPtr<CSongProfile>&)> openAnalyzer;
        std::function<void(const RefPtr<CSongProfile>&)> openMixingDesigns;
    };

    CMusicDatabaseView(IUserInterface& ui, CMusicDatabase& database, CRecentTitleList& recent,
                       const CConfiguration& config, Listener listener = {});

    // The list choices: "All", "Latest", then every category.
    std::vector<std::string> GetListChoices();
    void Open();
    void ChooseList(const std::string& choice);
    void SetLatest(bool on);
    // The key-list notification (a category's entries, the find results).
    void ShowKeys(std::vector<std::string> keys);
    void Refill();
    void ClickHeader(int column);
    // kind: CSongProfile::kTypeSong, kTypeBeats or kTypeAcapella.
    void ToggleKind(int32_t kind);
    bool IsKindShown(int32_t kind) const;
    // Shows only the songs of one genre (its id), or of every genre.
    void SetGenreFilter(std::optional<int32_t> genreId);
    void JumpToLetter(char letter);
    void ScrollTo(int32_t topRow);
    void SetVisibleRows(int32_t rows);

    ListMode GetListMode() const { return m_mode; }
    int GetSortMode() const { return m_sort; }
    int32_t GetTopRow() const { return m_top; }
    int32_t GetScrollMaximum() const { return m_scrollMaximum; }
    const std::vector<Row>& GetRows() const { return m_rows; }

    // Commands on a row.
    void NewProfile();
    void OpenProfile(int row);
    void LoadMusic(int row);
    void UnloadMusic(int row);
    void RemoveSong(int row);
    void AnalyzeSong(int row);
    void OpenMixingDesigns(int row);
    // Beginning to drag a row: the song as a segment design, or nothing
    // when its audio does not open.
    std::optional<RefPtr<CSegmentDesign>> BeginDrag(int row);

private:
    const CSongProfile* SongAt(int row) const;
    bool Shows(const CSongProfile& song) const;
    bool RequireLocalFile(int row, const char* caption);

    IUserInterface& m_ui;
    CMusicDatabase& m_database;
    CRecentTitleList& m_recent;
    const CConfiguration& m_config;
    Listener m_listener;
    ListMode m_mode = ListMode::All;
    int m_sort = CMusicDatabase::kSortTitle;
    bool m_showSong = true, m_showBeats = true, m_showAcapella = true;
    std::optional<int32_t> m_genre;
    int32_t m_top = 0;
    int32_t m_visibleRows = 30;
    int32_t m_scrollMaximum = 0;
    std::vector<std::string> m_keys;
    std::vector<Row> m_rows;
};

}  // namespace vantor

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "database/match_point.h"
#include "database/mixing_profile.h"
#include "model/array.h"
#include "model/fixed_text.h"
#include "model/ref_ptr.h"
#include "model/segment_design.h"

namespace vantor {

// Everything the workstation knows about one song or sample, keyed by the
// local path of its audio file. Record, in order: archive path (255), archive
// name (50), local path (255), title (100), album (100), mixer (100), artist
// (100), cue points, segment designs, mix-in, mix-out and within-song
// designs, tempo. Bytes 96-99 of the album buffer carry the private flag and
// bytes 96-99 of the artist buffer the type word, each as a little-endian
// 32-bit value; album and artist texts therefore hold at most 95 characters.
class CSongProfile : public ISerializable {
public:
    using MatchPoints = CArray<CMatchPoint>;
    using SegmentDesigns = CArray<CSegmentDesign>;
    using MixingProfiles = CArray<CMixingProfile>;

    // Type word: bits 0-7 genre id, then exactly one kind flag.
    static constexpr int32_t kTypeSong = 0x1000;
    static constexpr int32_t kTypeSample = 0x2000;
    static constexpr int32_t kTypeBeats = 0x4000;
    static constexpr int32_t kTypeAcapella = 0x8000;
    static constexpr int32_t kGenreMask = 0xFF;
    static constexpr int32_t kDefaultType = kTypeSong | 1;
    // The longest album and artist texts that leave bytes 96-99 free.
    static constexpr size_t kMaxOverlaidText = 95;

    CSongProfile();

    const char* GetTitle() const { return m_title.c_str(); }
    void SetTitle(std::string_view title) { m_title.Set(title); }
    const char* GetAlbum() const { return m_album.c_str(); }
    // Cut to 95 characters: the bytes after them carry the private flag.
    void SetAlbum(std::string_view album) { m_album.Set(album.substr(0, kMaxOverlaidText)); }
    const char* GetMixer() const { return m_mixer.c_str(); }
    void SetMixer(std::string_view mixer) { m_mixer.Set(mixer); }
    const char* GetArtist() const { return m_artist.c_str(); }
    // Cut to 95 characters: the bytes after them carry the type word.
    void SetArtist(std::string_view artist) { m_artist.Set(artist.substr(0, kMaxOverlaidText)); }
    const char* GetLocalPath() const { return m_localPath.c_str(); }
    void SetLocalPath(std::string_view path) { m_localPath.Set(path); }
    const char* GetArchivePath() const { return m_archivePath.c_str(); }
    void SetArchivePath(std::string_view path) { m_archivePath.Set(path); }
    const char* GetArchiveName() const { return m_archiveName.c_str(); }
    void SetArchiveName(std::string_view name) { m_archiveName.Set(name); }
    double GetTempo() const { return m_tempo; }
    void SetTempo(double tempo) { m_tempo = tempo; }
    int32_t GetType() const { return m_type; }
    void SetType(int32_t type) { m_type = type; }
    int32_t GetGenre() const { return m_type & kGenreMask; }
    bool IsSample() const { return (m_type & kTypeSample) != 0; }
    bool IsPrivate() const { return m_private != 0; }
    void SetPrivate(bool on) { m_private = on ? 1 : 0; }

    MatchPoints& GetMatchPoints() const { return *m_matchPoints; }
    SegmentDesigns& GetSegmentDesigns() const { return *m_segmentDesigns; }
    MixingProfiles& GetMixInDesigns() const { return *m_mixIn; }
    MixingProfiles& GetMixOutDesigns() const { return *m_mixOut; }
    MixingProfiles& GetWithinSongDesigns() const { return *m_withinSong; }

    // Appends a cue point; false (nothing added) for a second START_SONG or
    // END_SONG, of which a song has at most one each.
    bool AddMatchPoint(const RefPtr<CMatchPoint>& point);

    // The waveform summary beside the audio file: the local path with its
    // extension replaced by ".sm".
    std::string GetSummaryPath() const;
    bool HasSummaryFile() const;

    const char* GetKey() const override { return m_localPath.c_str(); }
    void Serialize(CMemoryOStream& out) const override;
    void Deserialize(CMemoryIStream& in) override;
    CSongProfile* Clone() const override;

private:
    void ResetArrays();

    FixedText<255> m_archivePath;
    FixedText<50> m_archiveName;
    FixedText<255> m_localPath;
    FixedText<100> m_title;
    FixedText<100> m_album;
    FixedText<100> m_mixer;
    FixedText<100> m_artist;
    RefPtr<MatchPoints> m_matchPoints;
    RefPtr<SegmentDesigns> m_segmentDesigns;
    RefPtr<MixingProfiles> m_mixIn;
    RefPtr<MixingProfiles> m_mixOut;
    RefPtr<MixingProfiles> m_withinSong;
    double m_tempo = kDefaultTempo;
    int32_t m_type = kDefaultType;
    uint8_t m_private = 0;
};

// Replaces a path's extension (the text after the last '.' of its last
// component) with the given one, or appends it when there is none.
std::string ReplaceExtension(const std::string& path, const std::string& extension);

}  // namespace vantor

#include "database/song_profile.h"

#include <cstring>

#include "platform/file_io.h"

namespace vantor {

namespace {

constexpr int32_t kOverlayOffset = 96;

// Writes a 100-byte text field whose bytes 96-99 carry a 32-bit value.
void WriteOverlaid(CMemoryOStream& out, const FixedText<100>& text, int32_t value) {
    char buffer[100] = {};
    std::memcpy(buffer, text.c_str(), strnlen(text.c_str(), CSongProfile::kMaxOverlaidText));
    StoreLE32(reinterpret_cast<uint8_t*>(buffer) + kOverlayOffset, static_cast<uint32_t>(value));
    // Written raw: the text writer would zero everything after the terminator.
    WriteInt32(out, 100);
    out.Write(buffer, 100);
}

// Takes the 32-bit value out of bytes 96-99 and leaves the text ending at
// byte 95 at the latest, whatever a damaged record put there.
int32_t TakeOverlay(FixedText<100>& text) {
    auto* bytes = reinterpret_cast<uint8_t*>(text.data());
    int32_t value = static_cast<int32_t>(LoadLE32(bytes + kOverlayOffset));
    std::memset(bytes + kOverlayOffset, 0, 4);
    return value;
}

}  // namespace

CSongProfile::CSongProfile() { ResetArrays(); }

void CSongProfile::ResetArrays() {
    m_matchPoints = MakeRef<MatchPoints>(5, 5);
    m_segmentDesigns = MakeRef<SegmentDesigns>(5, 5);
    m_mixIn = MakeRef<MixingProfiles>(5, 5);
    m_mixOut = MakeRef<MixingProfiles>(5, 5);
    m_withinSong = MakeRef<MixingProfiles>(5, 5);
}

bool CSongProfile::AddMatchPoint(const RefPtr<CMatchPoint>& point) {
    std::lock_guard lock(m_matchPoints->Lock());
    int32_t type = point->GetType();
    if (type == CMatchPoint::START_SONG || type == CMatchPoint::END_SONG) {
        for (int32_t i = 0; i < m_matchPoints->GetCount(); ++i) {
            if (m_matchPoints->GetAt(i)->GetType() == type) return false;
        }
    }
    m_matchPoints->Add(point.get());
    return true;
}

std::string CSongProfile::GetSummaryPath() const { return ReplaceExtension(m_localPath.str(), ".sm"); }

bool CSongProfile::HasSummaryFile() const { return !m_localPath.empty() && FileExists(GetSummaryPath()); }

void CSongProfile::Serialize(CMemoryOStream& out) const {
    m_archivePath.Write(out);
    m_archiveName.Write(out);
    m_localPath.Write(out);
    m_title.Write(out);
    WriteOverlaid(out, m_album, m_private);
    m_mixer.Write(out);
    WriteOverlaid(out, m_artist, m_type);
    m_matchPoints->Serialize(out);
    m_segmentDesigns->Serialize(out);
    m_mixIn->Serialize(out);
    m_mixOut->Serialize(out);
    m_withinSong->Serialize(out);
    WriteDouble(out, m_tempo);
}

void CSongProfile::Deserialize(CMemoryIStream& in) {
    ResetArrays();
    m_archivePath.Clear();
    m_archiveName.Clear();
    m_localPath.Clear();
    m_title.Clear();
    m_album.Clear();
    m_mixer.Clear();
    m_artist.Clear();
    m_type = kDefaultType;
    m_private = 0;
    m_tempo = kDefaultTempo;

    bool whole = m_archivePath.Read(in) && m_archiveName.Read(in) && m_localPath.Read(in) && m_title.Read(in) &&
                 m_album.Read(in) && m_mixer.Read(in) && m_artist.Read(in);
    if (!whole) return;
    m_type = TakeOverlay(m_artist);
    m_private = TakeOverlay(m_album) == 1 ? 1 : 0;

    m_matchPoints->ReadItems(in, CMatchPoint());
    if (in.IsDamaged()) return;
    m_segmentDesigns->ReadItems(in, CSegmentDesign());
    if (in.IsDamaged()) return;
    const CMixingProfile prototype;
    for (MixingProfiles* designs : {m_mixIn.get(), m_mixOut.get(), m_withinSong.get()}) {
        designs->ReadItems(in, prototype);
        if (in.IsDamaged()) return;
    }
    m_tempo = ReadDouble(in);
}

CSongProfile* CSongProfile::Clone() const {
    auto* copy = new CSongProfile();
    copy->m_archivePath = m_archivePath;
    copy->m_archiveName = m_archiveName;
    copy->m_localPath = m_localPath;
    copy->m_title = m_title;
    copy->m_album = m_album;
    copy->m_mixer = m_mixer;
    copy->m_artist = m_artist;
    copy->m_matchPoints = RefPtr<MatchPoints>(m_matchPoints->Clone());
    copy->m_segmentDesigns = RefPtr<SegmentDesigns>(m_segmentDesigns->Clone());
    copy->m_mixIn = RefPtr<MixingProfiles>(m_mixIn->Clone());
    copy->m_mixOut = RefPtr<MixingProfiles>(m_mixOut->Clone());
    copy->m_withinSong = RefPtr<MixingProfiles>(m_withinSong->Clone());
    copy->m_tempo = m_tempo;
    copy->m_type = m_type;
    copy->m_private = m_private;
    return copy;
}

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
    return path.substr(0, ExtensionStart(path)) + extension;
}

}  // namespace vantor

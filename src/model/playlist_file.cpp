#include "model/playlist_file.h"

#include "model/set_file.h"
#include "platform/file_io.h"

namespace vantor {

RefPtr<Playlist> NewPlaylist() { return MakeRef<Playlist>(5, 5); }

RefPtr<Playlist> PlaylistFromBytes(const uint8_t* data, size_t size, bool* clean) {
    auto playlist = NewPlaylist();
    if (clean) *clean = false;
    if (size > static_cast<size_t>(INT32_MAX)) return playlist;
    CMemoryIStream in(data, static_cast<int32_t>(size));
    playlist->ReadItems(in, CPlayListEntry());
    // Clean: every entry the count states was read, whole, and nothing follows.
    if (clean && size >= 8) {
        const int64_t stated = static_cast<int64_t>(data[4]) | static_cast<int64_t>(data[5]) << 8 |
                               static_cast<int64_t>(data[6]) << 16 | static_cast<int64_t>(data[7]) << 24;
        *clean = !in.IsDamaged() && !in.RanShort() && in.GetRemaining() == 0 && stated == playlist->GetCount();
    }
    return playlist;
}

RefPtr<Playlist> ReadPlaylistFile(const std::string& path, bool* clean) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return nullptr;
    return PlaylistFromBytes(bytes->data(), bytes->size(), clean);
}

std::vector<uint8_t> PlaylistToBytes(const Playlist& playlist) {
    CMemoryOStream out(1024, 1024);
    playlist.Serialize(out);
    return {out.GetData(), out.GetData() + out.GetSize()};
}

bool WritePlaylistFile(const Playlist& playlist, const std::string& path) {
    const std::vector<uint8_t> bytes = PlaylistToBytes(playlist);
    return WriteFileReplacing(path, bytes.data(), bytes.size());
}

}  // namespace vantor

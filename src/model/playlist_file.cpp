#include "model/playlist_file.h"

#include "model/set_file.h"
#include "platform/file_io.h"

namespace vantor {

RefPtr<Playlist> NewPlaylist() { return MakeRef<Playlist>(5, 5); }

RefPtr<Playlist> PlaylistFromBytes(const uint8_t* data, size_t size) {
    auto playlist = NewPlaylist();
    if (size > static_cast<size_t>(INT32_MAX)) return playlist;
    CMemoryIStream in(data, static_cast<int32_t>(size));
    playlist->ReadItems(in, CPlayListEntry());
    return playlist;
}

RefPtr<Playlist> ReadPlaylistFile(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return nullptr;
    return PlaylistFromBytes(bytes->data(), bytes->size());
}

bool WritePlaylistFile(const Playlist& playlist, const std::string& path) {
    CMemoryOStream out(1024, 1024);
    playlist.Serialize(out);
    return WriteFileReplacing(path, out.GetData(), static_cast<size_t>(out.GetSize()));
}

}  // namespace vantor

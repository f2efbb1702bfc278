#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/playlist_entry.h"
#include "model/ref_ptr.h"

namespace vantor {

// A new, empty playlist (initial capacity 5, growth step 5).
RefPtr<Playlist> NewPlaylist();

// The playlist held in the bytes of a ".plt" file; short or damaged files
// give what could be read. clean, when given, tells whether every entry the
// count states was read whole and nothing followed.
RefPtr<Playlist> PlaylistFromBytes(const uint8_t* data, size_t size, bool* clean = nullptr);

// Null when the file cannot be read; clean as for PlaylistFromBytes.
RefPtr<Playlist> ReadPlaylistFile(const std::string& path, bool* clean = nullptr);

// The bytes of the playlist's ".plt" record.
std::vector<uint8_t> PlaylistToBytes(const Playlist& playlist);

// Replaces the file with the playlist's record; false when the write failed
// (an earlier file is then untouched).
bool WritePlaylistFile(const Playlist& playlist, const std::string& path);

}  // namespace vantor

// An outside playlist file: read, written and read again to the same bytes.
#include <cstdint>
#include <cstdlib>

#include "model/playlist_file.h"
#include "model/set_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantor;
    RefPtr<Playlist> playlist = PlaylistFromBytes(data, size);
    std::vector<uint8_t> first = SerializeToBytes(*playlist);
    RefPtr<Playlist> again = PlaylistFromBytes(first.data(), first.size());
    std::vector<uint8_t> second = SerializeToBytes(*again);
    RefPtr<Playlist> third = PlaylistFromBytes(second.data(), second.size());
    if (SerializeToBytes(*third) != second) std::abort();
    return 0;
}

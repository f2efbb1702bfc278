// Reads arbitrary bytes as an undo history and replays it onto a new set.
#include <cstdint>

#include "model/music_set.h"
#include "model/set_file.h"
#include "model/set_history.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantor;
    CSetHistory history;
    DeserializeFromBytes(history, data, size);
    NewSetOptions options;
    options.audioTracks = 3;
    RefPtr<CMusicSet> set = CMusicSet::CreateNew(options);
    history.Replay(*set);
    SerializeToBytes(*set);
    RefPtr<CSetHistory> clone(history.Clone());
    SerializeToBytes(*clone);
    return 0;
}

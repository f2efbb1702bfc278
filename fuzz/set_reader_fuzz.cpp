// Reads arbitrary bytes as a set file, writes the result and reads it again.
#include <cstdint>
#include <cstdlib>

#include "model/music_set.h"
#include "model/set_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantor;
    CMusicSet set;
    DeserializeFromBytes(set, data, size);
    std::vector<uint8_t> once = SerializeToBytes(set);
    RefPtr<CMusicSet> clone(set.Clone());
    CMusicSet again;
    DeserializeFromBytes(again, once.data(), once.size());
    if (SerializeToBytes(again).size() != once.size()) std::abort();
    return 0;
}

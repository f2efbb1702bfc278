// A song profile record from outside bytes: read it, write it, read it back;
// the second writing must equal the first.
#include <cstdint>
#include <cstdlib>

#include "database/song_profile.h"
#include "model/set_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantor;
    auto profile = MakeRef<CSongProfile>();
    DeserializeFromBytes(*profile, data, size);
    std::vector<uint8_t> first = SerializeToBytes(*profile);
    RefPtr<CSongProfile> clone(profile->Clone());
    auto again = MakeRef<CSongProfile>();
    DeserializeFromBytes(*again, first.data(), first.size());
    RefPtr<CSongProfile> third = MakeRef<CSongProfile>();
    std::vector<uint8_t> second = SerializeToBytes(*again);
    DeserializeFromBytes(*third, second.data(), second.size());
    if (SerializeToBytes(*third) != second) std::abort();
    if (SerializeToBytes(*clone) != first) std::abort();
    return 0;
}

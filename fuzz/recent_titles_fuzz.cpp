// An outside "RECENT.lst": read, then used as the program uses it.
#include <cstdint>
#include <cstdlib>

#include "model/recent_title_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantor;
    CRecentTitleList list;
    list.FromFileBytes(data, size);
    const int32_t count = list.GetCount();
    for (int32_t i = count - 1; i >= 0; --i)
        if (!list.GetTitle(i)) std::abort();
    if (count > 0) list.RemoveTitle(list.GetTitle(count / 2));
    list.SetLimit(3);
    list.AddTitle("/fuzz.wav");
    if (list.GetCount() > 3) std::abort();
    std::vector<uint8_t> bytes = list.ToFileBytes();
    CRecentTitleList back;
    back.FromFileBytes(bytes.data(), bytes.size());
    if (back.GetCount() != list.GetCount()) std::abort();
    return 0;
}

#include "model/set_file.h"

#include <limits>

#include "model/memory_istream.h"
#include "model/memory_ostream.h"
#include "platform/file_io.h"

namespace vantor {

std::vector<uint8_t> SerializeToBytes(const ISerializable& object) {
    CMemoryOStream out(1024, 1024);
    object.Serialize(out);
    return out.ToVector();
}

void DeserializeFromBytes(ISerializable& object, const uint8_t* data, size_t size) {
    // Streams address at most 2 GiB; larger blocks are never ours.
    if (size > static_cast<size_t>(std::numeric_limits<int32_t>::max())) size = 0;
    CMemoryIStream in(data, static_cast<int32_t>(size));
    object.Deserialize(in);
}

RefPtr<CMusicSet> ReadSetFile(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return nullptr;
    auto set = MakeRef<CMusicSet>();
    DeserializeFromBytes(*set, bytes->data(), bytes->size());
    return set;
}

bool WriteSetFile(const CMusicSet& set, const std::string& path) {
    std::vector<uint8_t> bytes = SerializeToBytes(set);
    return WriteFileReplacing(path, bytes.data(), bytes.size());
}

}  // namespace vantor

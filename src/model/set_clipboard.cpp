#include "model/set_clipboard.h"

#include "model/memory_istream.h"
#include "model/memory_ostream.h"
#include "platform/clipboard.h"

namespace vantor {

void RegisterSetClipboardFormats() {
    Clipboard::Instance().RegisterFormat(kSegmentDesignFormat);
    Clipboard::Instance().RegisterFormat(kSetClipFormat);
}

bool PutOnClipboard(const ISerializable& object, const char* format) {
    CMemoryOStream out(1024, 1024);
    object.Serialize(out);
    Clipboard& clipboard = Clipboard::Instance();
    uint32_t id = clipboard.RegisterFormat(format);
    clipboard.Empty();
    return clipboard.SetData(id, out.ToVector());
}

bool ReadFromClipboard(const char* format, ISerializable& object) {
    Clipboard& clipboard = Clipboard::Instance();
    uint32_t id = clipboard.FindFormat(format);
    if (id == 0) return false;
    auto bytes = clipboard.GetData(id);
    if (!bytes) return false;
    CMemoryIStream in(bytes->data(), static_cast<int32_t>(bytes->size()));
    object.Deserialize(in);
    return true;
}

}  // namespace vantor

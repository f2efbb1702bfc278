#pragma once

#include <string>

#include "platform/clipboard.h"

namespace vantor::gui {

// The desktop's clipboard as the store of the program's clipboard: each
// registered format travels under a MIME type of its own, so a set clip copied
// in one workstation pastes in another.
class SystemClipboard : public ClipboardStore {
public:
    // "VantorSet Clip" travels as "application/x-vantorset-clip".
    static std::string MimeTypeOf(const std::string& formatName);

    void Publish(const std::map<std::string, std::vector<uint8_t>>& blocks) override;
    std::map<std::string, std::vector<uint8_t>> Fetch(const std::vector<std::string>& names) const override;
};

}  // namespace vantor::gui

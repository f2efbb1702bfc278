#include "views/replace_question.h"

#include "platform/file_io.h"
#include "platform/user_interface.h"

namespace vantor {

bool ConfirmReplace(IUserInterface& ui, const std::string& path) {
    if (!FileExists(path)) return true;
    return ui.MessageBox(path + " already exists.\nDo you want to replace it?", "Save As", MessageButtons::YesNo,
                         MessageIcon::Exclamation) == MessageAnswer::Yes;
}

}  // namespace vantor

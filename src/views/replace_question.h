#pragma once

#include <string>

namespace vantor {

class IUserInterface;

// Save As's question before an existing file is written over: "<path>
// already exists.\nDo you want to replace it?". True when the file does not
// exist or the user answered Yes.
bool ConfirmReplace(IUserInterface& ui, const std::string& path);

}  // namespace vantor

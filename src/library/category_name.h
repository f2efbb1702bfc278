#pragma once

#include <string>
#include <vector>

#include "platform/result.h"

namespace vantor {

// The category editor's check of a new category's name against the listed
// names. A category is a file beside the database, so a name must not
// reach other files: path separators and leading dots are refused as well
// as empty names and names that begin with a space.
Status CheckNewCategoryName(const std::string& name, const std::vector<std::string>& listed);

}  // namespace vantor

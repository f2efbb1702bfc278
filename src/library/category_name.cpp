#include "library/category_name.h"

#include <algorithm>

namespace vantor {

Status CheckNewCategoryName(const std::string& name, const std::vector<std::string>& listed) {
    constexpr const char* kCaption = "Add Category";
    if (std::find(listed.begin(), listed.end(), name) != listed.end())
        return Refusal{"That category already exists!", kCaption, MessageIcon::Error};
    if (name.empty() || name.front() == ' ')
        return Refusal{"Category must not be empty and not begin with a space character.", kCaption,
                       MessageIcon::Error};
    if (name.front() == '.' || name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
        name.find('\0') != std::string::npos)
        return Refusal{"Category must not begin with a dot or hold a path separator.", kCaption, MessageIcon::Error};
    return Status::Success();
}

}  // namespace vantor

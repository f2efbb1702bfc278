#include "json_output.h"

#include <cmath>
#include <cstdio>

namespace vantor::cli {

Json JsonReal(double value) {
    if (!std::isfinite(value)) return nullptr;
    if (value == std::trunc(value) && std::fabs(value) < 9007199254740992.0) return static_cast<int64_t>(value);
    return value;
}

void PrintJson(const Json& value) {
    const std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    std::printf("%s\n", text.c_str());
}

}  // namespace vantor::cli

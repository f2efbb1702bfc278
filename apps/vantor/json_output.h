#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace vantor::cli {

// Listings keep their fields in the order they are written.
using Json = nlohmann::ordered_json;

// A real as JSON: whole values without a fraction (130, not 130.0), and
// null for values that are not finite.
Json JsonReal(double value);

// Prints the value on one line. Stored text is written as the UTF-8 it is;
// bytes that are not UTF-8 become U+FFFD rather than failing the listing.
void PrintJson(const Json& value);

}  // namespace vantor::cli

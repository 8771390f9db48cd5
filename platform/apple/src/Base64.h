// Base64 for property-list data.
#pragma once

#include <MacTypes.h>

#include <string>
#include <vector>

namespace symac {

std::string base64Encode(const UInt8* bytes, size_t length);
// Skips whitespace; false for any other character outside the alphabet or misplaced padding.
bool base64Decode(const std::string& text, std::vector<UInt8>& out);

}  // namespace symac

// Conversions between 8-bit encodings and UTF-16.
#pragma once

#include <CoreFoundation/CFString.h>

#include <string>

namespace symac {

// False when the bytes are invalid in the encoding.
bool decodeText(const UInt8* bytes, size_t length, CFStringEncoding encoding, std::u16string& out);
// False when a character cannot be represented in the encoding.
bool encodeText(const std::u16string& text, CFStringEncoding encoding, std::string& out);

// The Unicode character of a Mac Roman byte (0x00-0xFF).
UniChar macRomanToUnicode(UInt8 byte);

}  // namespace symac

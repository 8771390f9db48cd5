// The preset text: a header line and one line per parameter, as written to
// ".qlt" files and to the clipboard.
#pragma once

#include <cstddef>
#include <string>

namespace presettext
{
constexpr int valueCount = 38;
constexpr const char* header = "Quillatone 010000\n";

// Writes the header and "i value" lines into text (capacity bytes with the
// terminator); answers the length, or 0 when it does not fit. [any thread]
size_t format(const float (&values)[valueCount], char* text, size_t capacity);

// text with each line feed written as carriage return and line feed.
// [any thread]
std::string withCrLf(const char* text);

// The bytes of a preset file holding text. Files are written in text mode:
// on Windows each line feed becomes CR LF, elsewhere the text stays as it is.
// [any thread]
std::string fileBytes(const char* text);

// Scans a NUL-terminated text: a first word of at most 42 characters, the
// version, then 38 values each after one skipped word. Valid when all 40
// fields scan, the version is at least 10000 and every value is finite.
// values receives 200 entries (unused ones 0); word 43 bytes. [any thread]
bool parse(const char* text, char (&word)[43], float& version, float (&values)[200]);
} // namespace presettext

#pragma once

// [any thread] The file-system path, as UTF-8, of the bundle with that identifier:
// at most maxLength bytes with the terminator. False for a null identifier or
// buffer, an unknown bundle, a path that does not fit (the buffer is then
// empty) or an empty path.
bool getBundlePath(const char* bundleIdentifier, int maxLength, char* path);

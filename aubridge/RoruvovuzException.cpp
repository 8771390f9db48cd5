#include "RoruvovuzException.h"

#include <cstdio>
#include <cstring>

RoruvovuzException::RoruvovuzException(const char* text) {
  const char* source = text != nullptr ? text : "";
  const size_t length = strnlen(source, sizeof message - 1);
  std::memcpy(message, source, length);
  message[length] = '\0';
}
RoruvovuzException::~RoruvovuzException() = default;
const char* RoruvovuzException::what() const noexcept { return message; }

FormatException::~FormatException() = default;
const char* FormatException::what() const noexcept { return RoruvovuzException::what(); }

EOFException::~EOFException() = default;
const char* EOFException::what() const noexcept { return RoruvovuzException::what(); }

MacOSException::MacOSException(OSStatus status) : status_(status) { message[0] = '\0'; }
MacOSException::~MacOSException() = default;
const char* MacOSException::what() const noexcept {
  if (message[0] == '\0') std::snprintf(message, sizeof message, "Mac OS error code %d", int(status_));
  return message;
}

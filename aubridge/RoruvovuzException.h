// The bridge's exception family; the component entry turns them into status codes.
#pragma once

#include <MacTypes.h>

#include <exception>

class RoruvovuzException : public std::exception {
 public:
  // Keeps at most 255 characters of the text.
  explicit RoruvovuzException(const char* text);
  ~RoruvovuzException() override;
  const char* what() const noexcept override;

 private:
  char message[256];
};

// Malformed data: FXP and FXB records, preset dictionaries.
class FormatException : public RoruvovuzException {
 public:
  using RoruvovuzException::RoruvovuzException;
  ~FormatException() override;
  const char* what() const noexcept override;
};

// Data that ends too early.
class EOFException : public RoruvovuzException {
 public:
  using RoruvovuzException::RoruvovuzException;
  ~EOFException() override;
  const char* what() const noexcept override;
};

// A platform call or an Audio Unit error with its status.
class MacOSException : public std::exception {
 public:
  explicit MacOSException(OSStatus status);
  ~MacOSException() override;
  // "Mac OS error code <status>", filled on first use.
  const char* what() const noexcept override;
  OSStatus status() const { return status_; }

 private:
  mutable char message[256];
  OSStatus status_;
};

// File helpers of the bridge over the File Manager: look-ups by 8-bit name, whole-file
// reads and writes. Every failure is a MacOSException with the platform's status.
#pragma once

#include <CoreServices/Files.h>

#include <memory>
#include <string>

namespace roruvovuz {

// [host thread] A Mac Roman name as UTF-16 units (at most 255).
std::u16string unicodeName(const char* name);
// [host thread] noErr and the reference, or the status (fnfErr for a missing item).
OSErr lookUp(const FSRef& folder, const std::u16string& name, FSRef& item);
// [host thread] Creates an empty file; throws on failure (dupFNErr when it exists).
FSRef createFile(const FSRef& folder, const std::u16string& name);
// [host thread] The whole data fork.
std::unique_ptr<UInt8[]> loadFromFile(const FSRef& file, UInt32& size);
// [host thread] Replaces the data fork's contents with the bytes.
void saveToFile(const FSRef& file, UInt32 size, const UInt8* bytes);
// [host thread] Writes at the fork's mark; fewer bytes than given is an error.
void writeToFork(FSIORefNum fork, const void* bytes, UInt32 size);

// Opens a data fork and closes it when the object ends.
class Fork {
 public:
  Fork(const FSRef& file, SInt8 permissions);
  ~Fork();
  Fork(const Fork&) = delete;
  Fork& operator=(const Fork&) = delete;
  FSIORefNum ref() const { return fork_; }

 private:
  FSIORefNum fork_ = -1;
};

}  // namespace roruvovuz

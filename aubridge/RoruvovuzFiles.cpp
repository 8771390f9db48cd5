#include "RoruvovuzFiles.h"

#include <CoreFoundation/CoreFoundation.h>

#include <vector>

#include "RoruvovuzException.h"

namespace roruvovuz {

std::u16string unicodeName(const char* name) {
  std::u16string out;
  CFStringRef s = CFStringCreateWithCString(nullptr, name, kCFStringEncodingMacRoman);
  if (s == nullptr) return out;
  CFIndex n = CFStringGetLength(s);
  if (n > 255) n = 255;
  out.resize(size_t(n));
  CFStringGetCharacters(s, CFRangeMake(0, n), reinterpret_cast<UniChar*>(out.data()));
  CFRelease(s);
  return out;
}

OSErr lookUp(const FSRef& folder, const std::u16string& name, FSRef& item) {
  return FSMakeFSRefUnicode(&folder, name.size(), reinterpret_cast<const UniChar*>(name.data()),
                            kTextEncodingUnknown, &item);
}

FSRef createFile(const FSRef& folder, const std::u16string& name) {
  FSRef file;
  const OSErr err = FSCreateFileUnicode(&folder, name.size(), reinterpret_cast<const UniChar*>(name.data()),
                                        kFSCatInfoNone, nullptr, &file, nullptr);
  if (err != noErr) throw MacOSException(err);
  return file;
}

Fork::Fork(const FSRef& file, SInt8 permissions) {
  HFSUniStr255 forkName;
  FSGetDataForkName(&forkName);
  const OSErr err = FSOpenFork(&file, forkName.length, forkName.unicode, permissions, &fork_);
  if (err != noErr) throw MacOSException(err);
}

Fork::~Fork() {
  if (fork_ >= 0) FSCloseFork(fork_);
}

std::unique_ptr<UInt8[]> loadFromFile(const FSRef& file, UInt32& size) {
  size = 0;
  Fork fork(file, fsRdPerm);
  SInt64 length = 0;
  OSErr err = FSGetForkSize(fork.ref(), &length);
  if (err != noErr) throw MacOSException(err);
  if (length < 0 || length > 0x7FFFFFFF) throw MacOSException(ioErr);
  std::unique_ptr<UInt8[]> bytes(new UInt8[size_t(length) + 1]);
  UInt32 actual = 0;
  err = FSReadFork(fork.ref(), fsFromStart, 0, UInt32(length), bytes.get(), &actual);
  if (err != noErr) throw MacOSException(err);
  if (actual != UInt32(length)) throw MacOSException(eofErr);
  size = actual;
  return bytes;
}

void writeToFork(FSIORefNum fork, const void* bytes, UInt32 size) {
  UInt32 actual = 0;
  const OSErr err = FSWriteFork(fork, fsAtMark, 0, size, bytes, &actual);
  if (err != noErr) throw MacOSException(err);
  if (actual != size) throw MacOSException(ioErr);
}

void saveToFile(const FSRef& file, UInt32 size, const UInt8* bytes) {
  Fork fork(file, fsWrPerm);
  UInt32 actual = 0;
  OSErr err = FSWriteFork(fork.ref(), fsFromStart, 0, size, bytes, &actual);
  if (err != noErr) throw MacOSException(err);
  if (actual != size) throw MacOSException(ioErr);
  // A longer old file must not keep a tail behind the new contents.
  err = FSSetForkSize(fork.ref(), fsFromStart, size);
  if (err != noErr) throw MacOSException(err);
}

}  // namespace roruvovuz

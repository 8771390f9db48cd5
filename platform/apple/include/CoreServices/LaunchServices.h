// Item information: plain file, invisibility, Finder type and creator (simulated) and the
// extension. Any thread may call these.
#pragma once

#include <CoreFoundation/CFString.h>
#include <CoreServices/Files.h>
#include <MacTypes.h>

typedef struct {
  UInt32 flags;
  OSType filetype;
  OSType creator;
  CFStringRef extension;
} LSItemInfoRecord;

typedef UInt32 LSRequestedInfo;
enum { kLSRequestExtension = 0x1, kLSRequestTypeCreator = 0x2, kLSRequestBasicFlagsOnly = 0x4 };
enum {
  kLSItemInfoIsPlainFile = 0x1,
  kLSItemInfoIsPackage = 0x2,
  kLSItemInfoIsContainer = 0x8,
  kLSItemInfoIsAliasFile = 0x10,
  kLSItemInfoIsSymlink = 0x20,
  kLSItemInfoIsInvisible = 0x40
};
#define kLSInvalidExtensionIndex ((UniCharCount)~0UL)

SY_BEGIN_C
// The extension, when requested, is a string the caller releases.
SY_EXPORT OSStatus LSCopyItemInfoForRef(const FSRef* ref, LSRequestedInfo which, LSItemInfoRecord* info);
// The index of the extension's first unit, or kLSInvalidExtensionIndex.
SY_EXPORT OSStatus LSGetExtensionInfo(UniCharCount length, const UniChar* name, UniCharCount* extensionStart);
SY_END_C

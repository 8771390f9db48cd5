// The file manager's standard folders. The users folder is a setting of the stand-in
// (symac_test_setUserFolder), "/Users" until a test changes it.
#pragma once

#include <ObjCStandin.h>

typedef unsigned long NSSearchPathDirectory;
typedef unsigned long NSSearchPathDomainMask;
enum : NSSearchPathDirectory { NSUserDirectory = 7 };
enum : NSSearchPathDomainMask {
  NSUserDomainMask = 1,
  NSLocalDomainMask = 2,
  NSNetworkDomainMask = 4,
  NSSystemDomainMask = 8,
  NSAllDomainsMask = 0x0ffff
};

class SY_EXPORT NSFileManager : public NSObject {
 public:
  // [any thread] The process's one manager.
  static NSFileManager* defaultManager();
  // [any thread] The folders of that kind in the domains, as folder URLs (NSURL is CFURLRef);
  // the array is the caller's to release. Only the users folder is known: other kinds and
  // domains without the local one give an empty array.
  CFArrayRef URLsForDirectory(NSSearchPathDirectory directory, NSSearchPathDomainMask domains);
};

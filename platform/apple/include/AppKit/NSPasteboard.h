// The general pasteboard: one typed datum per type, replaced as a whole. Main thread only.
#pragma once

#include <ObjCStandin.h>

SY_BEGIN_C
SY_EXPORT extern const CFStringRef NSPasteboardTypeString;
SY_END_C

class SY_EXPORT NSPasteboard : public NSObject {
 public:
  static NSPasteboard* generalPasteboard();
  // Drops every datum; answers the new change count.
  long clearContents();
  // setData:forType: keeps a reference to the data (NSData is CFDataRef).
  bool setData(CFDataRef data, CFStringRef type);
  // dataForType: the datum, owned by the pasteboard until it changes; NULL when none.
  CFDataRef dataForType(CFStringRef type);
  long changeCount() const { return changeCount_; }

 private:
  CFMutableDictionaryRef contents_ = nullptr;
  long changeCount_ = 0;
};

// Property lists as XML: strings, numbers, booleans, data, arrays and dictionaries.
// Every function here may be called from any thread; a mutable object needs one writer at a time.
#pragma once

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFData.h>

typedef CFOptionFlags CFPropertyListMutabilityOptions;
enum {
  kCFPropertyListImmutable = 0,
  kCFPropertyListMutableContainers = 1,
  kCFPropertyListMutableContainersAndLeaves = 2
};

SY_BEGIN_C
// [any thread] XML bytes with sorted dictionary keys; NULL when the tree holds a non-plist type.
SY_EXPORT CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef alloc, CFPropertyListRef propertyList);
// [any thread] The tree, or NULL with a reason in *errorString (the caller releases it).
SY_EXPORT CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef alloc, CFDataRef xmlData,
                                                            CFOptionFlags mutabilityOption,
                                                            CFStringRef* errorString);
SY_END_C

// The loader's image queries, over dl_iterate_phdr; an image "header" is its load base.
#pragma once

#include <MacTypes.h>
#include <dlfcn.h>

struct mach_header;

SY_BEGIN_C
// [any thread] A fresh snapshot of the loaded images is taken by _dyld_image_count.
SY_EXPORT UInt32 _dyld_image_count(void);
SY_EXPORT const struct mach_header* _dyld_get_image_header(UInt32 imageIndex);
SY_EXPORT const char* _dyld_get_image_name(UInt32 imageIndex);
SY_END_C

// The base of the image this inline copy was compiled into.
static inline const struct mach_header* SY_OwnImageHeader(void) {
  Dl_info info;
  if (dladdr((const void*)&SY_OwnImageHeader, &info) == 0) return 0;
  return (const struct mach_header*)info.dli_fbase;
}

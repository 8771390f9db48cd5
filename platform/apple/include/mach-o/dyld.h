// The loader's image queries, over dl_iterate_phdr; an image "header" is its load base.
#pragma once

#include <MacTypes.h>

struct mach_header;

SY_BEGIN_C
// [any thread] A fresh snapshot of the loaded images is taken by _dyld_image_count.
SY_EXPORT UInt32 _dyld_image_count(void);
SY_EXPORT const struct mach_header* _dyld_get_image_header(UInt32 imageIndex);
SY_EXPORT const char* _dyld_get_image_name(UInt32 imageIndex);
SY_END_C


// The bridge's diagnostic lines: "[<log tag>](<thread>) ..." on the standard error stream.
#pragma once

#include <MacTypes.h>
#include <pthread.h>

#include <cstdio>

// One tag per process: "Roruvovuz" until a component names itself.
extern char roruvovuzLogTag[256];

// [host thread] Copies a length-prefixed name (at most 255 characters) into the tag.
void setRoruvovuzLogTag(ConstStr255Param name);

// The format's first two conversions are "[%s](%p) "; the tag and the thread fill them.
#define SY_LOG(format, ...) \
  std::fprintf(stderr, format, roruvovuzLogTag, reinterpret_cast<void*>(pthread_self()), ##__VA_ARGS__)

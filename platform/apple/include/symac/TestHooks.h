// Hooks for tests only: fault injection and simulated platform state.
#pragma once

#include <MacTypes.h>

SY_BEGIN_C
// The next call of the named layer function fails with the status (once).
SY_EXPORT void symac_test_failNext(const char* functionName, OSStatus status);
SY_EXPORT void symac_test_clearFailures(void);
// Makes CFStringGetCStringPtr answer NULL, so callers take their copying path.
SY_EXPORT void symac_test_forceCStringPtrNull(Boolean on);
// Identifier and short version reported by the main bundle (NULL clears).
SY_EXPORT void symac_test_setMainBundle(const char* identifier, const char* shortVersion);
// The users folder the file manager answers ("/Users" at first); NULL: none at all.
SY_EXPORT void symac_test_setUserFolder(const char* path);
// Objects alive in the layer, for leak checks.
SY_EXPORT long symac_test_liveObjectCount(void);

// [layer internal] True (and the status in *status) when a failure was injected for the name.
SY_EXPORT Boolean symac_takeInjectedFailure(const char* functionName, OSStatus* status);
SY_END_C

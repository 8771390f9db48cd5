// Hooks for tests only (second half): domain roots, Finder types, the main loop's clock and
// the notification sinks.
#pragma once

#include <AudioUnit/AudioUnit.h>
#include <MacTypes.h>

SY_BEGIN_C
// The Library folder of a domain (kUserDomain, kLocalDomain); NULL restores the default.
SY_EXPORT void symac_test_setDomainRoot(SInt16 domain, const char* path);
// Finder type and creator reported for a path (0, 0 removes them).
SY_EXPORT void symac_test_setTypeCreator(const char* path, OSType type, OSType creator);
// Advances the main loop's virtual clock by seconds, firing due timers.
SY_EXPORT void symac_test_advanceMainLoop(double seconds);
SY_EXPORT long symac_test_timerCount(void);
// Events posted through AUEventListenerNotify and parameters through
// AUParameterListenerNotify, oldest first.
SY_EXPORT long symac_test_eventCount(void);
SY_EXPORT AudioUnitEvent symac_test_event(long index);
SY_EXPORT long symac_test_parameterNotifyCount(void);
SY_EXPORT AudioUnitParameter symac_test_parameterNotify(long index);
SY_EXPORT void symac_test_clearEvents(void);
// The next AUParameterListenerNotify answers status (once).
SY_EXPORT void symac_test_failParameterNotify(OSStatus status);
SY_END_C

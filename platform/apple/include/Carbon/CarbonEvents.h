// The main event loop's timers on a virtual clock: they fire only while the host pumps the
// loop. The loop is single-threaded: every function here belongs to the main thread.
#pragma once

#include <MacTypes.h>

typedef struct SyEventLoop* EventLoopRef;
typedef struct SyEventLoopTimer* EventLoopTimerRef;
typedef double EventTimerInterval;
typedef void (*EventLoopTimerProcPtr)(EventLoopTimerRef timer, void* userData);
typedef EventLoopTimerProcPtr EventLoopTimerUPP;

#define kEventDurationSecond 1.0

SY_BEGIN_C
SY_EXPORT EventLoopTimerUPP NewEventLoopTimerUPP(EventLoopTimerProcPtr proc);
SY_EXPORT void DisposeEventLoopTimerUPP(EventLoopTimerUPP upp);
SY_EXPORT EventLoopRef GetMainEventLoop(void);
// [host thread] A timer firing first after firstFire seconds and then every interval seconds
// (0: once).
SY_EXPORT OSStatus InstallEventLoopTimer(EventLoopRef loop, EventTimerInterval firstFire,
                                         EventTimerInterval interval, EventLoopTimerUPP upp, void* userData,
                                         EventLoopTimerRef* outTimer);
// [host thread] paramErr for an unknown timer.
SY_EXPORT OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer);
// [host thread] Advances the virtual clock by seconds, firing due timers in time order.
SY_EXPORT OSStatus RunCurrentEventLoop(EventTimerInterval seconds);
SY_END_C

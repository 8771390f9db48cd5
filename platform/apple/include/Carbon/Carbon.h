// The Carbon umbrella: the event loop's timers and the window reference.
#pragma once

#include <Carbon/CarbonEvents.h>
#include <Carbon/MacWindows.h>

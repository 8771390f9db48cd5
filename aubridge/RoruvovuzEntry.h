// The component entry: the four Component Manager requests, and every Audio Unit request
// forwarded to the instance's component, with exceptions turned into statuses.
#pragma once

#include <CoreServices/Components.h>

// [any thread] The body of the exported RoruvovuzEntry.
ComponentResult roruvovuzEntry(ComponentParameters* params, Handle storage);

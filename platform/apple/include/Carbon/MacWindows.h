// Carbon windows: only the opaque window reference, which the bridge passes on untouched.
#pragma once

typedef struct OpaqueWindowPtr* WindowRef;

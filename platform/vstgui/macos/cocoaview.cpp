// A host's NSView as a frame's parent, and the macOS flavour's services.
#include "macosservices.h"

#include <xcb/xcb.h>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

uintptr_t cocoaViewParent(void* view) {
    if (!view)
        return 0;
    int screenNumber = 0;
    xcb_connection_t* conn = xcb_connect(nullptr, &screenNumber);
    uintptr_t root = 0;
    if (conn && !xcb_connection_has_error(conn)) {
        auto it = xcb_setup_roots_iterator(xcb_get_setup(conn));
        for (int i = 0; it.rem && i < screenNumber; ++i)
            xcb_screen_next(&it);
        if (it.rem)
            root = it.data->root;
    }
    if (conn)
        xcb_disconnect(conn);
    return root;
}

SystemServices macOSSystemServices() {
    SystemServices services;
    services.setClipboard = &setPasteboardText;
    services.getClipboard = &getPasteboardText;
    services.nativeParent = &cocoaViewParent;
    return services;
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

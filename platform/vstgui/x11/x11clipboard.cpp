// The X11 CLIPBOARD selection: ownership, serving requests, the manager hand-over.
#include "x11frame.h"

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
constexpr size_t kMaxClipboardBytes = 9999;
int handOverLimitMs = 300;

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

bool X11PlatformFrame::setClipboard(const std::string& text) {
    if (!checkConnection() || windowGone || text.size() > kMaxClipboardBytes)
        return false;
    xcb_atom_t clipboard = atom("CLIPBOARD");
    clipText = text;
    ownershipTime = lastEventTime;
    xcb_set_selection_owner(conn, window, clipboard, ownershipTime);
    xcb_get_selection_owner_reply_t* r =
        xcb_get_selection_owner_reply(conn, xcb_get_selection_owner(conn, clipboard), nullptr);
    ownsClipboard = r && r->owner == window;
    std::free(r);
    if (!ownsClipboard)
        clipText.clear();
    return ownsClipboard;
}

void X11PlatformFrame::selectionRequest(xcb_selection_request_event_t* e) {
    xcb_atom_t targets = atom("TARGETS"), utf8 = atom("UTF8_STRING"), text = atom("TEXT"),
               plainUtf8 = atom("text/plain;charset=utf-8"), plain = atom("text/plain"),
               timestamp = atom("TIMESTAMP");
    xcb_atom_t property = e->property == XCB_ATOM_NONE ? e->target : e->property; // obsolete clients
    bool served = false;
    if (ownsClipboard && e->owner == window) {
        if (e->target == targets) {
            xcb_atom_t list[] = {targets, utf8, XCB_ATOM_STRING, text, plainUtf8, plain, timestamp};
            xcb_change_property(conn, XCB_PROP_MODE_REPLACE, e->requestor, property, XCB_ATOM_ATOM, 32, 7, list);
            served = true;
        } else if (e->target == utf8 || e->target == plainUtf8) {
            xcb_change_property(conn, XCB_PROP_MODE_REPLACE, e->requestor, property, utf8, 8,
                                uint32_t(clipText.size()), clipText.data());
            served = true;
        } else if (e->target == XCB_ATOM_STRING || e->target == text || e->target == plain) {
            xcb_change_property(conn, XCB_PROP_MODE_REPLACE, e->requestor, property, XCB_ATOM_STRING, 8,
                                uint32_t(clipText.size()), clipText.data());
            served = true;
        } else if (e->target == timestamp) {
            uint32_t t = ownershipTime;
            xcb_change_property(conn, XCB_PROP_MODE_REPLACE, e->requestor, property, XCB_ATOM_INTEGER, 32, 1, &t);
            served = true;
        }
    }
    xcb_selection_notify_event_t notify;
    std::memset(&notify, 0, sizeof notify);
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = e->time;
    notify.requestor = e->requestor;
    notify.selection = e->selection;
    notify.target = e->target;
    notify.property = served ? property : xcb_atom_t(XCB_ATOM_NONE);
    xcb_send_event(conn, 0, e->requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
    xcb_flush(conn);
}

bool X11PlatformFrame::waitForEvent(uint8_t type, xcb_window_t win, int timeoutMs, xcb_generic_event_t** out) {
    int64_t end = nowMs() + timeoutMs;
    xcb_flush(conn);
    while (!dead) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(conn)) {
            if ((e->response_type & 0x7f) == type &&
                reinterpret_cast<xcb_selection_notify_event_t*>(e)->requestor == win) {
                *out = e;
                return true;
            }
            handleEvent(e, true);
            std::free(e);
        }
        if (!checkConnection())
            break;
        int64_t left = end - nowMs();
        if (left <= 0)
            break;
        pollfd pfd{xcb_get_file_descriptor(conn), POLLIN, 0};
        poll(&pfd, 1, int(left));
    }
    return false;
}

void X11PlatformFrame::handOverClipboard() {
    if (!ownsClipboard || dead || windowGone)
        return;
    xcb_atom_t manager = atom("CLIPBOARD_MANAGER");
    xcb_get_selection_owner_reply_t* r =
        xcb_get_selection_owner_reply(conn, xcb_get_selection_owner(conn, manager), nullptr);
    bool hasManager = r && r->owner != XCB_NONE;
    std::free(r);
    if (!hasManager)
        return; // without a clipboard manager the text goes with the window
    xcb_atom_t saveTargets = atom("SAVE_TARGETS");
    xcb_convert_selection(conn, window, manager, saveTargets, atom("QUILLATONE_SAVE"), lastEventTime);
    xcb_generic_event_t* e = nullptr;
    if (waitForEvent(XCB_SELECTION_NOTIFY, window, handOverLimitMs, &e))
        std::free(e);
}

void X11PlatformFrame::setClipboardHandOverLimit(int milliseconds) {
    handOverLimitMs = milliseconds;
}

bool X11PlatformFrame::getClipboard(std::string& text) {
    if (ownsClipboard) {
        text = clipText;
        return true;
    }
    if (!checkConnection() || windowGone)
        return false;
    xcb_atom_t property = atom("QUILLATONE_PASTE"), utf8 = atom("UTF8_STRING");
    xcb_convert_selection(conn, window, atom("CLIPBOARD"), utf8, property, lastEventTime);
    xcb_generic_event_t* e = nullptr;
    if (!waitForEvent(XCB_SELECTION_NOTIFY, window, 500, &e))
        return false;
    bool refused = reinterpret_cast<xcb_selection_notify_event_t*>(e)->property == XCB_ATOM_NONE;
    std::free(e);
    if (refused)
        return false;
    xcb_get_property_reply_t* p = xcb_get_property_reply(
        conn, xcb_get_property(conn, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, (kMaxClipboardBytes + 3) / 4),
        nullptr);
    bool ok = p && p->format == 8 && (p->type == utf8 || p->type == XCB_ATOM_STRING) && p->bytes_after == 0 &&
              size_t(xcb_get_property_value_length(p)) <= kMaxClipboardBytes;
    if (ok)
        text.assign(static_cast<const char*>(xcb_get_property_value(p)), size_t(xcb_get_property_value_length(p)));
    std::free(p);
    return ok;
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

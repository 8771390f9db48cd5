#include "x11frame.h"

#include "../cairo/cairodraw.h"
#include "../dialogcommand.h"
#include "../popupmenu.h"
#include "../view.h"

#include <cairo-xcb.h>
#include <cairo.h>
#include <fcntl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
constexpr uint32_t kBackgroundPixel = 0x343434;
constexpr uint32_t kDoubleClickMs = 250;
constexpr int kDoubleClickDistance = 4;

int32 modifiersFrom(uint16_t state) {
    int32 b = 0;
    if (state & XCB_MOD_MASK_SHIFT)
        b |= kShift;
    if (state & XCB_MOD_MASK_CONTROL)
        b |= kControl;
    if (state & XCB_MOD_MASK_1)
        b |= kAlt;
    return b;
}

int32 buttonsFrom(uint16_t state) {
    int32 b = modifiersFrom(state);
    if (state & XCB_BUTTON_MASK_1)
        b |= kLButton;
    if (state & XCB_BUTTON_MASK_2)
        b |= kMButton;
    if (state & XCB_BUTTON_MASK_3)
        b |= kRButton;
    return b;
}

int32 buttonBit(int detail) {
    switch (detail) {
    case 1: return kLButton;
    case 2: return kMButton;
    case 3: return kRButton;
    case 8: return kButton4;
    case 9: return kButton5;
    default: return 0;
    }
}
} // namespace

std::unique_ptr<IPlatformFrame> createX11PlatformFrame(CFrame* frame, uintptr_t parent, int width, int height) {
    if (parent == 0 || parent > 0xFFFFFFFFu)
        return nullptr;
    auto p = std::make_unique<X11PlatformFrame>(frame, width, height);
    if (!p->open(xcb_window_t(parent)))
        return nullptr;
    return p;
}

X11PlatformFrame::X11PlatformFrame(CFrame* f, int w, int h) : frame(f), width(w), height(h) {}

bool X11PlatformFrame::open(xcb_window_t parent) {
    conn = xcb_connect(nullptr, nullptr);
    if (!conn || xcb_connection_has_error(conn)) {
        dead = true;
        return false;
    }
    int fd = xcb_get_file_descriptor(conn);
    fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);

    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, parent), nullptr);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, parent), nullptr);
    bool ok = geometry && attributes;
    if (ok) {
        for (auto it = xcb_setup_roots_iterator(xcb_get_setup(conn)); it.rem; xcb_screen_next(&it))
            if (it.data->root == geometry->root)
                screen = it.data;
        ok = screen != nullptr;
    }
    if (ok) {
        for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem && !visual; xcb_depth_next(&d))
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->visual_id == attributes->visual) {
                    visual = v.data;
                    break;
                }
        ok = visual && visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR;
    }
    if (ok) {
        // No key events: unselected, they propagate to the host's window, which
        // forwards them through the editor's key calls.
        window = xcb_generate_id(conn);
        uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP;
        uint32_t values[] = {kBackgroundPixel, 0,
                             XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                 XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                                 XCB_EVENT_MASK_LEAVE_WINDOW | XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                             attributes->colormap};
        xcb_void_cookie_t cookie =
            xcb_create_window_checked(conn, geometry->depth, window, parent, 0, 0, uint16_t(width), uint16_t(height),
                                      0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual->visual_id, mask, values);
        if (xcb_generic_error_t* error = xcb_request_check(conn, cookie)) {
            std::free(error);
            window = 0;
            ok = false;
        }
    }
    std::free(geometry);
    std::free(attributes);
    if (!ok)
        return false;
    surface = cairo_xcb_surface_create(conn, window, visual, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        return false;
    xcb_flush(conn);
    return !xcb_connection_has_error(conn);
}

X11PlatformFrame::~X11PlatformFrame() {
    if (conn && !dead) {
        closePopup();
        handOverClipboard();
    }
    if (surface) {
        cairo_device_t* device = cairo_device_reference(cairo_surface_get_device(surface));
        cairo_surface_destroy(surface);
        if (device) {
            cairo_device_finish(device);
            cairo_device_destroy(device);
        }
    }
    if (conn) {
        // A checked destroy is a round trip: when the frame is gone, the
        // server has removed the window for every client, the host included.
        if (!dead && window && !windowGone)
            std::free(xcb_request_check(conn, xcb_destroy_window_checked(conn, window)));
        xcb_disconnect(conn);
    }
}

void X11PlatformFrame::roundTrip() {
    if (conn && !dead)
        std::free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr));
}

bool X11PlatformFrame::checkConnection() {
    if (!dead && conn && xcb_connection_has_error(conn)) {
        dead = true;
        frame->platformClosed();
    }
    return !dead;
}

xcb_atom_t X11PlatformFrame::atom(const char* name) {
    if (dead)
        return XCB_ATOM_NONE;
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, uint16_t(std::strlen(name)), name), nullptr);
    xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

void X11PlatformFrame::drain(bool modal) {
    std::vector<xcb_generic_event_t*> events;
    while (xcb_generic_event_t* e = xcb_poll_for_event(conn))
        events.push_back(e);
    for (size_t i = 0; i < events.size(); ++i) {
        xcb_generic_event_t* e = events[i];
        // Queued motion collapses to the last one.
        bool skip = (e->response_type & 0x7f) == XCB_MOTION_NOTIFY && i + 1 < events.size() &&
                    (events[i + 1]->response_type & 0x7f) == XCB_MOTION_NOTIFY &&
                    reinterpret_cast<xcb_motion_notify_event_t*>(events[i + 1])->event ==
                        reinterpret_cast<xcb_motion_notify_event_t*>(e)->event;
        if (!skip && !dead)
            handleEvent(e, modal);
        std::free(e);
    }
    checkConnection();
}

void X11PlatformFrame::pump() {
    if (!checkConnection() || windowGone)
        return;
    if (!mapped) {
        // Checked, so the window is mapped for every client once this returns.
        std::free(xcb_request_check(conn, xcb_map_window_checked(conn, window)));
        mapped = true;
        frame->addPresent({0, 0, width, height});
    }
    drain(false);
    for (const PixelRect& r : exposed)
        frame->addPresent(r);
    exposed.clear();
}

void X11PlatformFrame::handleEvent(xcb_generic_event_t* event, bool modal) {
    uint8_t type = event->response_type & 0x7f;
    if (type == 0)
        return; // an error reply: nothing to do, never fatal
    if (popup && popupWindow) {
        bool popupEvent_ = false;
        switch (type) {
        case XCB_BUTTON_PRESS:
        case XCB_BUTTON_RELEASE:
            popupEvent_ = reinterpret_cast<xcb_button_press_event_t*>(event)->event == popupWindow;
            break;
        case XCB_MOTION_NOTIFY:
            popupEvent_ = reinterpret_cast<xcb_motion_notify_event_t*>(event)->event == popupWindow;
            break;
        case XCB_KEY_PRESS: popupEvent_ = true; break;
        case XCB_EXPOSE: popupEvent_ = reinterpret_cast<xcb_expose_event_t*>(event)->window == popupWindow; break;
        default: break;
        }
        if (popupEvent_) {
            if (!modal || type == XCB_EXPOSE)
                popupEvent(event);
            return;
        }
    }
    switch (type) {
    case XCB_EXPOSE: {
        auto* e = reinterpret_cast<xcb_expose_event_t*>(event);
        if (e->window != window)
            break;
        PixelRect r{e->x, e->y, e->x + e->width, e->y + e->height};
        if (modal)
            blit({r});
        else
            exposed.push_back(r);
        break;
    }
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
        if (!modal && reinterpret_cast<xcb_button_press_event_t*>(event)->event == window)
            handleButton(reinterpret_cast<xcb_button_press_event_t*>(event), type == XCB_BUTTON_PRESS);
        break;
    case XCB_MOTION_NOTIFY:
        if (!modal && reinterpret_cast<xcb_motion_notify_event_t*>(event)->event == window)
            handleMotion(reinterpret_cast<xcb_motion_notify_event_t*>(event));
        break;
    case XCB_LEAVE_NOTIFY:
        if (!modal)
            frame->platformLeave();
        break;
    case XCB_DESTROY_NOTIFY:
        if (reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window == window) {
            windowGone = true;
            frame->platformClosed();
        }
        break;
    case XCB_SELECTION_REQUEST:
        selectionRequest(reinterpret_cast<xcb_selection_request_event_t*>(event));
        break;
    case XCB_SELECTION_CLEAR:
        if (reinterpret_cast<xcb_selection_clear_event_t*>(event)->owner == window) {
            ownsClipboard = false;
            clipText.clear();
        }
        break;
    default: break;
    }
}

void X11PlatformFrame::handleButton(xcb_button_press_event_t* e, bool press) {
    lastEventTime = e->time;
    int detail = e->detail;
    if (detail >= 4 && detail <= 7) {
        if (press)
            frame->platformWheel(e->event_x, e->event_y, (detail == 4 || detail == 6) ? 1.0f : -1.0f,
                                 modifiersFrom(e->state));
        return;
    }
    int32 bit = buttonBit(detail);
    if (press) {
        int32 buttons = buttonsFrom(e->state) | bit;
        if (detail == lastPressButton && e->time - lastPressTime <= kDoubleClickMs &&
            std::abs(e->event_x - lastPressX) <= kDoubleClickDistance &&
            std::abs(e->event_y - lastPressY) <= kDoubleClickDistance)
            buttons |= kDoubleClick;
        lastPressButton = detail;
        lastPressTime = e->time;
        lastPressX = e->event_x;
        lastPressY = e->event_y;
        frame->platformMouseDown(e->event_x, e->event_y, buttons);
    } else {
        frame->platformMouseUp(e->event_x, e->event_y, modifiersFrom(e->state) | bit);
    }
}

void X11PlatformFrame::handleMotion(xcb_motion_notify_event_t* e) {
    frame->platformMouseMoved(e->event_x, e->event_y, buttonsFrom(e->state));
}

void X11PlatformFrame::blit(const std::vector<PixelRect>& areas) {
    cairo_surface_t* back = cairoSurfaceOf(frame->getBackBuffer());
    if (dead || windowGone || !surface || !back)
        return;
    cairo_surface_flush(back);
    cairo_t* cr = cairo_create(surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, back, 0, 0);
    for (const PixelRect& r : areas) {
        cairo_rectangle(cr, r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    xcb_flush(conn);
}

void X11PlatformFrame::present(const std::vector<PixelRect>& areas) {
    if (!checkConnection() || !mapped)
        return;
    blit(areas);
}

void X11PlatformFrame::resize(int w, int h) {
    width = w;
    height = h;
    if (!checkConnection() || windowGone)
        return;
    uint32_t values[] = {uint32_t(w), uint32_t(h)};
    xcb_configure_window(conn, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    cairo_xcb_surface_set_size(surface, w, h);
    // Other clients (the host) see the new size once this returns.
    roundTrip();
}

void X11PlatformFrame::screenSize(int& w, int& h) {
    w = screen ? screen->width_in_pixels : 1280;
    h = screen ? screen->height_in_pixels : 1024;
}

bool X11PlatformFrame::runFileDialog(const std::vector<std::string>& argv, std::string& output, int& status) {
    int fd = dead ? -1 : xcb_get_file_descriptor(conn);
    dialog::run(argv, fd, [this] {
        if (!dead) {
            drain(true);
            xcb_flush(conn);
        }
    }, output, status);
    return status == 0;
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

// Pop-up menus: a grabbing override-redirect window showing a PopupMenuModel.
#include "x11frame.h"

#include "../cairo/cairodraw.h"
#include "../drawcontext.h"
#include "../popupmenu.h"
#include "../view.h"

#include <cairo-xcb.h>
#include <cairo.h>

#include <algorithm>
#include <cstdlib>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
struct KeySymKey {
    uint32_t keysym;
    int key;
};
constexpr KeySymKey kKeys[] = {
    {0xff1b, PopupMenuModel::KeyEscape}, {0xff0d, PopupMenuModel::KeyReturn}, {0xff8d, PopupMenuModel::KeyReturn},
    {0xff52, PopupMenuModel::KeyUp},     {0xff54, PopupMenuModel::KeyDown},   {0xff51, PopupMenuModel::KeyLeft},
    {0xff53, PopupMenuModel::KeyRight},
};
} // namespace

void X11PlatformFrame::loadKeyMap() {
    if (!keyMap.empty() || dead)
        return;
    const xcb_setup_t* setup = xcb_get_setup(conn);
    uint8_t first = setup->min_keycode, count = uint8_t(setup->max_keycode - setup->min_keycode + 1);
    xcb_get_keyboard_mapping_reply_t* r =
        xcb_get_keyboard_mapping_reply(conn, xcb_get_keyboard_mapping(conn, first, count), nullptr);
    if (!r)
        return;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r);
    int per = r->keysyms_per_keycode;
    for (int k = 0; k < count; ++k)
        for (int j = 0; j < per; ++j)
            for (const KeySymKey& ks : kKeys)
                if (syms[k * per + j] == ks.keysym)
                    keyMap.emplace_back(xcb_keycode_t(first + k), ks.key);
    std::free(r);
}

int X11PlatformFrame::keyFor(xcb_keycode_t code) const {
    for (const auto& k : keyMap)
        if (k.first == code)
            return k.second;
    return -1;
}

bool X11PlatformFrame::showPopup(PopupMenuModel* model, const PixelRect& anchor) {
    closePopup();
    if (!checkConnection() || windowGone || !model)
        return false;
    loadKeyMap();
    int w = std::max(1, model->width()), h = std::max(1, model->height());
    int sw = screen->width_in_pixels, sh = screen->height_in_pixels;

    // Below the control; above it when it does not fit; clamped to the screen.
    int rx = anchor.x0, top = anchor.y0, bottom = anchor.y1;
    xcb_translate_coordinates_reply_t* t = xcb_translate_coordinates_reply(
        conn, xcb_translate_coordinates(conn, window, screen->root, int16_t(anchor.x0), int16_t(anchor.y1)), nullptr);
    if (t) {
        rx = t->dst_x;
        bottom = t->dst_y;
        top = bottom - (anchor.y1 - anchor.y0);
        std::free(t);
    }
    int y = bottom;
    if (y + h > sh)
        y = top - h >= 0 ? top - h : sh - h;
    popupX = std::clamp(rx, 0, std::max(0, sw - w));
    popupY = std::clamp(y, 0, std::max(0, sh - h));

    popupWindow = xcb_generate_id(conn);
    uint32_t values[] = {0x282828, 1,
                         XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                             XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_KEY_PRESS};
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, popupWindow, screen->root, int16_t(popupX), int16_t(popupY),
                      uint16_t(w), uint16_t(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_visualtype_t* rootVisual = nullptr;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem && !rootVisual; xcb_depth_next(&d))
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == screen->root_visual) {
                rootVisual = v.data;
                break;
            }
    if (!rootVisual) {
        xcb_destroy_window(conn, popupWindow);
        popupWindow = 0;
        return false;
    }
    popupSurface = cairo_xcb_surface_create(conn, popupWindow, rootVisual, w, h);
    xcb_map_window(conn, popupWindow);
    popup = model;
    popupOpened = frame->getTicks();
    // The press that opened the menu holds an implicit grab on our window, so this succeeds;
    // if it fails, a later press outside still closes the menu.
    xcb_grab_pointer_reply_t* g = xcb_grab_pointer_reply(
        conn,
        xcb_grab_pointer(conn, 0, popupWindow,
                         XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION,
                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
        nullptr);
    std::free(g);
    xcb_grab_keyboard_reply_t* k = xcb_grab_keyboard_reply(
        conn, xcb_grab_keyboard(conn, 0, popupWindow, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr);
    std::free(k);
    drawPopup();
    return true;
}

void X11PlatformFrame::closePopup() {
    popup = nullptr;
    if (!popupWindow)
        return;
    if (popupSurface) {
        cairo_surface_destroy(popupSurface);
        popupSurface = nullptr;
    }
    if (!dead) {
        xcb_ungrab_pointer(conn, XCB_CURRENT_TIME);
        xcb_ungrab_keyboard(conn, XCB_CURRENT_TIME);
        std::free(xcb_request_check(conn, xcb_destroy_window_checked(conn, popupWindow)));
    }
    popupWindow = 0;
}

void X11PlatformFrame::drawPopup() {
    if (!popup || !popupSurface || dead)
        return;
    cairo_t* cr = cairo_create(popupSurface);
    {
        CDrawContext context(cairoDevice(cr));
        popup->draw(&context);
    }
    cairo_destroy(cr);
    cairo_surface_flush(popupSurface);
    xcb_flush(conn);
}

void X11PlatformFrame::popupEvent(xcb_generic_event_t* event) {
    PopupMenuModel* model = popup;
    uint8_t type = event->response_type & 0x7f;
    bool redraw = false;
    switch (type) {
    case XCB_EXPOSE: redraw = true; break;
    case XCB_MOTION_NOTIFY: {
        auto* e = reinterpret_cast<xcb_motion_notify_event_t*>(event);
        redraw = model->mouseMoved(e->event_x, e->event_y);
        break;
    }
    case XCB_BUTTON_PRESS: {
        auto* e = reinterpret_cast<xcb_button_press_event_t*>(event);
        lastEventTime = e->time;
        if (e->detail == 4 || e->detail == 5)
            redraw = model->wheel(e->detail == 4 ? -1 : 1);
        else
            model->mouseDown(e->event_x, e->event_y);
        break;
    }
    case XCB_BUTTON_RELEASE: {
        auto* e = reinterpret_cast<xcb_button_release_event_t*>(event);
        if (e->detail >= 1 && e->detail <= 3)
            model->mouseUp(e->event_x, e->event_y, frame->getTicks() - popupOpened);
        break;
    }
    case XCB_KEY_PRESS: {
        int key = keyFor(reinterpret_cast<xcb_key_press_event_t*>(event)->detail);
        if (key >= 0)
            redraw = model->key(PopupMenuModel::Key(key));
        break;
    }
    default: break;
    }
    if (model->finished())
        frame->closePopup();
    else if (redraw)
        drawPopup();
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

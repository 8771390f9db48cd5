// Pop-up menus: a top-most tool window holding the mouse capture and showing
// a PopupMenuModel, laid out as everywhere else.
#include "win32frame.h"

#include "../drawcontext.h"
#include "../popupmenu.h"
#include "../view.h"

#include <windowsx.h>

#include <algorithm>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

bool Win32PlatformFrame::showPopup(PopupMenuModel* model, const PixelRect& anchor) {
    closePopup();
    if (!window || windowGone || !model)
        return false;
    int w = std::max(1, model->width()), h = std::max(1, model->height());
    popupSurface = DrawSurface::create(w, h);
    if (!popupSurface)
        return false;

    // Below the control; above it when it does not fit; kept on the monitor.
    POINT below{anchor.x0, anchor.y1}, above{anchor.x0, anchor.y0};
    ClientToScreen(window, &below);
    ClientToScreen(window, &above);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
        screen = info.rcMonitor;
    int y = below.y;
    if (y + h > screen.bottom)
        y = above.y - h >= screen.top ? above.y - h : screen.bottom - h;
    int x = std::clamp(int(below.x), int(screen.left), std::max(int(screen.left), int(screen.right) - w));
    y = std::clamp(y, int(screen.top), std::max(int(screen.top), int(screen.bottom) - h));

    popup = model;
    drawPopup();
    popupWindow = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, win32PopupClass(), "",
                                  WS_POPUP, x, y, w, h, GetAncestor(window, GA_ROOT), nullptr,
                                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE)), this);
    if (!popupWindow) {
        popup = nullptr;
        popupSurface.reset();
        return false;
    }
    ShowWindow(popupWindow, SW_SHOWNOACTIVATE);
    UpdateWindow(popupWindow);
    popupOpened = frame->getTicks();
    // Every press and release now comes here; a press outside cancels.
    SetCapture(popupWindow);
    return true;
}

void Win32PlatformFrame::closePopup() {
    popup = nullptr;
    if (!popupWindow)
        return;
    closingPopup = true;
    HWND w = popupWindow;
    popupWindow = nullptr;
    if (GetCapture() == w)
        ReleaseCapture();
    SetWindowLongPtrA(w, GWLP_USERDATA, 0);
    DestroyWindow(w);
    popupSurface.reset();
    closingPopup = false;
}

void Win32PlatformFrame::drawPopup() {
    if (!popup || !popupSurface)
        return;
    {
        CDrawContext context(popupSurface->device({0, 0, popupSurface->width(), popupSurface->height()}, 1.0));
        popup->draw(&context);
    }
    if (popupWindow) {
        HDC dc = GetDC(popupWindow);
        blit(dc, popupSurface.get(), {0, 0, popupSurface->width(), popupSurface->height()});
        ReleaseDC(popupWindow, dc);
    }
}

LRESULT CALLBACK Win32PlatformFrame::popupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32PlatformFrame*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self || message == WM_NCCREATE || !self->popup)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    return self->handlePopup(message, wParam, lParam);
}

LRESULT Win32PlatformFrame::handlePopup(UINT message, WPARAM wParam, LPARAM lParam) {
    PopupMenuModel* model = popup;
    HWND w = popupWindow;
    bool redraw = false;
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        blit(dc, popupSurface.get(), {0, 0, popupSurface->width(), popupSurface->height()});
        EndPaint(w, &ps);
        return 0;
    }
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_MOUSEMOVE: redraw = model->mouseMoved(x, y); break;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN: model->mouseDown(x, y); break;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP: model->mouseUp(x, y, frame->getTicks() - popupOpened); break;
    case WM_MOUSEWHEEL: redraw = model->wheel(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -1 : 1); break;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_UP: redraw = model->key(PopupMenuModel::KeyUp); break;
        case VK_DOWN: redraw = model->key(PopupMenuModel::KeyDown); break;
        case VK_LEFT: redraw = model->key(PopupMenuModel::KeyLeft); break;
        case VK_RIGHT: redraw = model->key(PopupMenuModel::KeyRight); break;
        case VK_RETURN: model->key(PopupMenuModel::KeyReturn); break;
        case VK_ESCAPE: model->key(PopupMenuModel::KeyEscape); break;
        default: break;
        }
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a switch to another program): cancel.
        if (!closingPopup && reinterpret_cast<HWND>(lParam) != w)
            model->cancel();
        break;
    default: return DefWindowProcA(w, message, wParam, lParam);
    }
    if (model->finished()) {
        frame->remember();
        frame->closePopup();
        frame->forget();
    } else if (redraw) {
        drawPopup();
    }
    return 0;
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

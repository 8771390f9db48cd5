#include "win32frame.h"

#include "../view.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {

HINSTANCE moduleHandle() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&moduleHandle), &module);
    return module;
}

// The window classes, registered while a frame has a window, under names of
// this module's own, so that two plug-ins never share one.
struct WindowClasses {
    int users = 0;
    std::string editor, popup;
};

WindowClasses& classes() {
    static WindowClasses c;
    return c;
}

bool registerClasses(WNDPROC editorProc, WNDPROC popupProc) {
    WindowClasses& c = classes();
    if (c.users++ > 0)
        return true;
    HINSTANCE instance = moduleHandle();
    std::string suffix = std::to_string(reinterpret_cast<uintptr_t>(instance));
    c.editor = "QuillatoneEditor" + suffix;
    c.popup = "QuillatonePopup" + suffix;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = editorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = c.editor.c_str();
    bool ok = RegisterClassExA(&wc) != 0;
    wc.style = CS_DROPSHADOW;
    wc.lpfnWndProc = popupProc;
    wc.lpszClassName = c.popup.c_str();
    ok = ok && RegisterClassExA(&wc) != 0;
    return ok;
}

void unregisterClasses() {
    WindowClasses& c = classes();
    if (c.users <= 0 || --c.users > 0)
        return;
    UnregisterClassA(c.popup.c_str(), moduleHandle());
    UnregisterClassA(c.editor.c_str(), moduleHandle());
}

CButtonState modifiersFrom(WPARAM keys) {
    int32 state = 0;
    if (keys & MK_SHIFT)
        state |= kShift;
    if (keys & MK_CONTROL)
        state |= kControl;
    if (GetKeyState(VK_MENU) < 0)
        state |= kAlt;
    return state;
}

CButtonState buttonsFrom(WPARAM keys) {
    int32 state = modifiersFrom(keys).getModifierState();
    if (keys & MK_LBUTTON)
        state |= kLButton;
    if (keys & MK_MBUTTON)
        state |= kMButton;
    if (keys & MK_RBUTTON)
        state |= kRButton;
    if (keys & MK_XBUTTON1)
        state |= kButton4;
    if (keys & MK_XBUTTON2)
        state |= kButton5;
    return state;
}

constexpr WPARAM kAnyButton = MK_LBUTTON | MK_MBUTTON | MK_RBUTTON | MK_XBUTTON1 | MK_XBUTTON2;

} // namespace

const char* win32PopupClass() { return classes().popup.c_str(); }

std::unique_ptr<IPlatformFrame> createWin32PlatformFrame(CFrame* frame, HWND parent, int width, int height) {
    auto p = std::make_unique<Win32PlatformFrame>(frame, width, height);
    if (!p->open(parent))
        return nullptr;
    return p;
}

Win32PlatformFrame::Win32PlatformFrame(CFrame* f, int w, int h) : frame(f), width(w), height(h) {}

Win32PlatformFrame::~Win32PlatformFrame() {
    closePopup();
    if (window && !windowGone) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
    window = nullptr;
    unregisterClasses();
}

bool Win32PlatformFrame::open(HWND parent) {
    bool registered = registerClasses(windowProc, popupProc);
    if (!parent || !IsWindow(parent) || !registered)
        return false;
    window = CreateWindowExA(0, classes().editor.c_str(), "Quillatone", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0,
                             0, width, height, parent, nullptr, moduleHandle(), this);
    return window != nullptr;
}

LRESULT CALLBACK Win32PlatformFrame::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32PlatformFrame*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCCREATE)
        self->window = hwnd;
    return self->handle(message, wParam, lParam);
}

LRESULT Win32PlatformFrame::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: return 1; // the back buffer covers everything
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        frame->paintDirty();
        blit(dc, frame->getBackBuffer(),
             {int(ps.rcPaint.left), int(ps.rcPaint.top), int(ps.rcPaint.right), int(ps.rcPaint.bottom)});
        EndPaint(window, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP:
    case WM_XBUTTONUP:
        mouseButton(message, wParam, lParam);
        return message == WM_XBUTTONDOWN || message == WM_XBUTTONUP || message == WM_XBUTTONDBLCLK ? TRUE : 0;
    case WM_MOUSEMOVE:
        if (!tracking) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
            tracking = TrackMouseEvent(&track) != 0;
        }
        frame->remember();
        frame->platformMouseMoved(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), buttonsFrom(wParam));
        frame->forget();
        return 0;
    case WM_MOUSELEAVE:
        tracking = false;
        frame->platformLeave();
        return 0;
    case WM_MOUSEWHEEL: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; // screen coordinates
        ScreenToClient(window, &p);
        float distance = float(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
        frame->remember();
        frame->platformWheel(p.x, p.y, distance, modifiersFrom(GET_KEYSTATE_WPARAM(wParam)));
        frame->forget();
        return 0;
    }
    case WM_DESTROY:
        // Also when the host destroys its window before closing the editor.
        windowGone = true;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        frame->platformClosed();
        return 0;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Win32PlatformFrame::mouseButton(UINT message, WPARAM wParam, LPARAM lParam) {
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    WPARAM keys = GET_KEYSTATE_WPARAM(wParam);
    int32 bit = 0;
    bool down = false, twice = false;
    switch (message) {
    case WM_LBUTTONDBLCLK: twice = true; [[fallthrough]];
    case WM_LBUTTONDOWN: down = true; [[fallthrough]];
    case WM_LBUTTONUP: bit = kLButton; break;
    case WM_MBUTTONDBLCLK: twice = true; [[fallthrough]];
    case WM_MBUTTONDOWN: down = true; [[fallthrough]];
    case WM_MBUTTONUP: bit = kMButton; break;
    case WM_RBUTTONDBLCLK: twice = true; [[fallthrough]];
    case WM_RBUTTONDOWN: down = true; [[fallthrough]];
    case WM_RBUTTONUP: bit = kRButton; break;
    case WM_XBUTTONDBLCLK: twice = true; [[fallthrough]];
    case WM_XBUTTONDOWN: down = true; [[fallthrough]];
    default: bit = GET_XBUTTON_WPARAM(wParam) == XBUTTON2 ? kButton5 : kButton4; break;
    }
    frame->remember();
    if (down) {
        SetCapture(window); // the drag follows the pointer outside the window
        frame->platformMouseDown(x, y, buttonsFrom(keys).getButtonState() | modifiersFrom(keys).getModifierState() |
                                           bit | (twice ? kDoubleClick : 0));
    } else {
        if (!(keys & kAnyButton) && GetCapture() == window)
            ReleaseCapture();
        frame->platformMouseUp(x, y, modifiersFrom(keys).getModifierState() | bit);
    }
    frame->forget();
}

void Win32PlatformFrame::blit(HDC dc, DrawSurface* surface, const PixelRect& area) {
    if (!surface)
        return;
    int x0 = std::max(0, area.x0), y0 = std::max(0, area.y0);
    int x1 = std::min(surface->width(), area.x1), y1 = std::min(surface->height(), area.y1);
    if (x1 <= x0 || y1 <= y0)
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    // The rows of the area only, top-down as the surface keeps them: a source
    // as tall as the copy leaves no doubt about where rows are counted from.
    info.bmiHeader.biWidth = surface->stride() / 4;
    info.bmiHeader.biHeight = -(y1 - y0);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const unsigned char* rows = surface->data() + size_t(y0) * size_t(surface->stride());
    StretchDIBits(dc, x0, y0, x1 - x0, y1 - y0, x0, 0, x1 - x0, y1 - y0, rows, &info, DIB_RGB_COLORS, SRCCOPY);
}

void Win32PlatformFrame::pump() {
    // The host's message loop delivers our messages; nothing is queued here.
}

void Win32PlatformFrame::present(const std::vector<PixelRect>& areas) {
    if (!window || windowGone)
        return;
    HDC dc = GetDC(window);
    if (!dc)
        return;
    for (const PixelRect& r : areas)
        blit(dc, frame->getBackBuffer(), r);
    ReleaseDC(window, dc);
}

void Win32PlatformFrame::resize(int w, int h) {
    width = w;
    height = h;
    if (window && !windowGone)
        SetWindowPos(window, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32PlatformFrame::screenSize(int& w, int& h) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (window && GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) {
        w = info.rcMonitor.right - info.rcMonitor.left;
        h = info.rcMonitor.bottom - info.rcMonitor.top;
    } else {
        w = GetSystemMetrics(SM_CXSCREEN);
        h = GetSystemMetrics(SM_CYSCREEN);
    }
    if (w <= 0 || h <= 0) {
        w = 1280;
        h = 1024;
    }
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

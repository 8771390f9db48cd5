// The editor in a real Win32 window (under Wine and Xvfb in the tests): a
// top-level "host" window, the plug-in's dispatcher, window messages as the
// user's mouse makes them, the clipboard, the swapped file dialog, and 100
// openings that must leak nothing.
// Started as "PROGRAM --load|--save ..." it is the swapped file dialog and
// prints $QUILLATONE_TEST_DIALOG_ANSWER.
#include "Controlsgui.h"
#include "ControlsguiEditor.h"
#include "ViewCompare.h"
#include "popupmenu.h"
#include "win32/win32frame.h"

#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gdiplus.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#undef near

namespace {

struct Automation {
    int index;
    float value;
};
std::vector<Automation>& automations() {
    static std::vector<Automation> a;
    return a;
}

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt) {
    if (opcode == audioMasterAutomate)
        automations().push_back({index, opt});
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::string tempFolder() {
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    std::string folder = std::string(path) + "quillatone_editor_window_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// A top-level window as a host makes one, and the processor whose editor
// opens in it through the dispatcher.
class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override {
        automations().clear();
        folder = tempFolder();
        _putenv_s("QUILLATONE_DATA_ROOT", (folder + "\\root").c_str());
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QuillatoneTestHost";
        RegisterClassA(&wc);
        top = CreateWindowExA(0, "QuillatoneTestHost", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(top, nullptr);
        processor.reset(new Controlsgui(host));
        effect = processor->getAeffect();
    }
    void TearDown() override {
        twin.reset();
        processor.reset();
        if (top)
            DestroyWindow(top);
        pump(50);
    }

    VstIntPtr dispatch(VstInt32 opcode, void* ptr = nullptr) { return effect->dispatcher(effect, opcode, 0, 0, ptr, 0); }

    // The host's loop: messages, and an idle call every 10 ms.
    void pump(int ms) {
        DWORD end = GetTickCount() + DWORD(ms);
        do {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (effect && child())
                dispatch(effEditIdle);
            if (twin)
                twinEditor()->idle();
            Sleep(10);
        } while (int(GetTickCount() - end) < 0);
    }

    HWND child() const { return top ? FindWindowExA(top, nullptr, nullptr, nullptr) : nullptr; }

    ControlsguiEditor* editor() const { return static_cast<ControlsguiEditor*>(processor->getEditor()); }
    ControlsguiEditor* twinEditor() const { return static_cast<ControlsguiEditor*>(twin->getEditor()); }

    // A control's centre in window pixels.
    POINT centre(int tag) const {
        VSTGUI::CControl* c = editor()->findControl(tag);
        VSTGUI::CRect r = c->getViewSize();
        double z = editor()->getFrame()->getZoom();
        return {LONG((r.left + r.right) / 2 * z), LONG((r.top + r.bottom) / 2 * z)};
    }

    void click(POINT p) {
        PostMessageA(child(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        PostMessageA(child(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        pump(200);
    }

    std::string folder;
    HWND top = nullptr;
    std::unique_ptr<Controlsgui> processor;
    // An editor of the same state open off-screen, idled alongside.
    std::unique_ptr<Controlsgui> twin;
    AEffect* effect = nullptr;
};

// The window's pixels as the screen shows them.
std::vector<unsigned char> capture(HWND window, int width, int height) {
    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 4);
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    std::memcpy(pixels.data(), bits, pixels.size());
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return pixels;
}

// The capture as a PNG, through GDI+.
void writePng(std::vector<unsigned char>& pixels, int width, int height, const char* path) {
    using namespace Gdiplus;
    using namespace Gdiplus::DllExports;
    ULONG_PTR token = 0;
    GdiplusStartupInput input;
    if (GdiplusStartup(&token, &input, nullptr) != Ok)
        return;
    for (size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = 255; // a window has no alpha
    GpBitmap* bitmap = nullptr;
    UINT count = 0, bytes = 0;
    GdipGetImageEncodersSize(&count, &bytes);
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (bytes && GdipGetImageEncoders(count, bytes, codecs) == Ok &&
        GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB, pixels.data(), &bitmap) == Ok) {
        std::wstring file(path, path + std::strlen(path));
        for (UINT i = 0; i < count; ++i)
            if (std::wstring(codecs[i].MimeType) == L"image/png")
                GdipSaveImageToFile(bitmap, file.c_str(), &codecs[i].Clsid, nullptr);
        GdipDisposeImage(bitmap);
    }
    GdiplusShutdown(token);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string clipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

TEST_F(EditorWindow, OpensInTheHostWindowShowsTheRenderAndTakesClicks) {
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(effEditGetRect, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 880);
    EXPECT_EQ(rect->bottom - rect->top, 640);
    ASSERT_EQ(dispatch(effEditOpen, top), 1);
    HWND c = child();
    ASSERT_NE(c, nullptr);
    RECT client;
    GetClientRect(c, &client);
    EXPECT_EQ(client.right, 880);
    EXPECT_EQ(client.bottom, 640);
    EXPECT_TRUE(IsWindowVisible(c));
    twin.reset(new Controlsgui(host));
    ASSERT_TRUE(twinEditor()->open(nullptr));
    pump(300);

    // The screen shows what the off-screen editor of the same state renders.
    std::vector<unsigned char> shown = capture(c, 880, 640);
    ControlsguiEditor* offscreen = twinEditor();
    VSTGUI::CFrame* frame = offscreen->getFrame();
    frame->renderAll();
    VSTGUI::DrawSurface* s = frame->getBackBuffer();
    EXPECT_EQ(viewcompare::compare(viewcompare::fromBgra(shown.data(), 880, 640, 880 * 4),
                                   viewcompare::fromBgra(s->data(), s->width(), s->height(), s->stride()), frame),
              0);
    if (const char* keep = std::getenv("QUILLATONE_WINDOW_CAPTURE")) { // for a person to look at
        writePng(shown, 880, 640, keep);
        frame->writePNG((std::string(keep) + ".offscreen.png").c_str());
    }
    offscreen->close();
    twin.reset();

    // The headphone menu opens as a window of the layout's size; a click on
    // item 199 chooses it.
    POINT menu = centre(0);
    PostMessageA(c, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(menu.x, menu.y));
    pump(100);
    VSTGUI::PopupMenuModel* model = editor()->getFrame()->getOpenPopup();
    ASSERT_NE(model, nullptr);
    HWND popup = FindWindowA(VSTGUI::win32PopupClass(), nullptr);
    ASSERT_NE(popup, nullptr);
    RECT box;
    GetWindowRect(popup, &box);
    EXPECT_EQ(box.right - box.left, model->width());
    EXPECT_EQ(box.bottom - box.top, model->height());
    EXPECT_GT(model->columns(), 1);
    if (std::getenv("QUILLATONE_WINDOW_CAPTURE"))
        pump(3000); // time for a screenshot from outside
    VSTGUI::PixelRect item = model->itemRect(199);
    LPARAM at = MAKELPARAM((item.x0 + item.x1) / 2, (item.y0 + item.y1) / 2);
    automations().clear();
    PostMessageA(popup, WM_MOUSEMOVE, 0, at);
    PostMessageA(popup, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(popup, WM_LBUTTONUP, 0, at);
    pump(100);
    EXPECT_FALSE(IsWindow(popup));
    ASSERT_FALSE(automations().empty());
    EXPECT_EQ(automations().back().index, 0);
    EXPECT_FLOAT_EQ(automations().back().value, 0.199f);

    // A click on the HEADPHONES third of the mode tab reaches the processor.
    click({440, 64});
    ASSERT_FALSE(automations().empty());
    EXPECT_EQ(automations().back().index, 15);
    EXPECT_FLOAT_EQ(automations().back().value, 0.5f);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 15), 0.5f);

    // The host sets PLACES from another thread: the next idle shows it.
    auto bluePlacesPixels = [&c] {
        std::vector<unsigned char> px = capture(c, 880, 640);
        int n = 0;
        for (int y = 54; y < 74; ++y)
            for (int x = 680; x < 790; ++x) {
                const unsigned char* p = &px[(size_t(y) * 880 + size_t(x)) * 4]; // B G R
                n += p[0] > 150 && p[2] < 80;
            }
        return n;
    };
    EXPECT_EQ(bluePlacesPixels(), 0);
    std::thread([this] { effect->setParameter(effect, 15, 1.0f); }).join();
    pump(100);
    EXPECT_GT(bluePlacesPixels(), 20);

    dispatch(effEditClose);
    pump(50);
    EXPECT_EQ(child(), nullptr);
}

TEST_F(EditorWindow, SaveWritesCrLfLinesAndFillsTheClipboardAndLoadReadsFilesThroughTheSwappedDialog) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    _putenv_s("QUILLATONE_FILE_DIALOG", self);
    ASSERT_EQ(dispatch(effEditOpen, top), 1);
    pump(100);

    std::string saved = folder + "\\saved";
    _putenv_s("QUILLATONE_TEST_DIALOG_ANSWER", saved.c_str());
    click(centre(48)); // SAVE
    std::string file = readFile(saved + ".qlt");
    ASSERT_FALSE(file.empty());
    // The clipboard holds the text; the file has every line end as CR LF.
    const std::string text = clipboardText();
    EXPECT_EQ(text.rfind("Quillatone 010000\n", 0), 0u);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    std::string crlf;
    for (char ch : text)
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    EXPECT_EQ(file, crlf);

    // That file loads back whole.
    const float savedValue = effect->getParameter(effect, 6);
    effect->setParameter(effect, 6, savedValue < 0.5f ? 0.75f : 0.25f);
    _putenv_s("QUILLATONE_TEST_DIALOG_ANSWER", (saved + ".qlt").c_str());
    automations().clear();
    click(centre(47)); // LOAD
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 6), savedValue);
    EXPECT_EQ(automations().size(), 38u);

    std::string preset = folder + "\\load.qlt";
    {
        std::ofstream out(preset, std::ios::binary);
        out << "Quillatone 010000\n";
        for (int i = 0; i < 38; ++i)
            out << i << " " << (i == 6 ? "0.2500000000" : "0.5000000000") << "\n";
    }
    _putenv_s("QUILLATONE_TEST_DIALOG_ANSWER", preset.c_str());
    automations().clear();
    click(centre(47)); // LOAD
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 6), 0.25f);
    EXPECT_EQ(automations().size(), 38u);
    dispatch(effEditClose);
    _putenv_s("QUILLATONE_FILE_DIALOG", "");
}

// Bytes in use on the process's heaps, where the C runtime, GDI+ and the
// window system allocate.
size_t heapBytesInUse() {
    HANDLE heaps[64];
    DWORD n = GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < n && i < 64; ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

BOOL CALLBACK countWindow(HWND window, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    EnumChildWindows(window, [](HWND, LPARAM c) -> BOOL { return ++*reinterpret_cast<int*>(c), TRUE; }, counter);
    return TRUE;
}

TEST_F(EditorWindow, HundredOpeningsLeakNoHandlesAndNoMemory) {
    struct Counts {
        DWORD gdi, user;
        int windows;
        size_t heap;
    };
    auto counts = [] {
        Counts c{GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                 GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), 0, heapBytesInUse()};
        EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&c.windows));
        return c;
    };
    auto cycle = [this] {
        ASSERT_EQ(dispatch(effEditOpen, top), 1);
        pump(20);
        // A pop-up (the 12 listeners) opened on the way, cancelled by the close.
        POINT menu = centre(1);
        PostMessageA(child(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(menu.x, menu.y));
        pump(10);
        dispatch(effEditClose);
        pump(10);
    };
    for (int i = 0; i < 3; ++i) // caches and first-use allocations settle
        cycle();
    Counts before = counts();
    for (int i = 0; i < 100; ++i)
        cycle();
    Counts after = counts();
    std::printf("GDI objects %lu -> %lu, user objects %lu -> %lu, windows %d -> %d, heap bytes %zu -> %zu\n",
                before.gdi, after.gdi, before.user, after.user, before.windows, after.windows, before.heap,
                after.heap);
    // Wine answers 0 to GetGuiResources; there the window count stands in.
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
    EXPECT_EQ(after.windows, before.windows);
    // One opening allocates a 2.2 MB back buffer and a pop-up its own: a leak
    // of anything per opening would grow by 100 times that, far beyond the
    // 256 KiB allowed for the heaps' own bookkeeping.
    EXPECT_LT(double(after.heap), double(before.heap) + 256 * 1024);
    EXPECT_EQ(child(), nullptr);
}

} // namespace

int main(int argc, char** argv) {
    // Started as the file dialog: print the prepared answer.
    if (argc > 1 && (std::strcmp(argv[1], "--load") == 0 || std::strcmp(argv[1], "--save") == 0)) {
        const char* answer = std::getenv("QUILLATONE_TEST_DIALOG_ANSWER");
        if (!answer || !*answer)
            return 1;
        std::printf("%s\n", answer);
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The X11 backend under Xvfb: a test host window embeds the frame's window,
// synthetic events reach controls, and the window shows the off-screen render.
#include "fileselector.h"
#include "popupmenu.h"
#include "testsupport.h"
#include "x11/x11frame.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

using namespace VSTGUI;
using namespace testsupport;

namespace {

bool displayRequired() {
    const char* ci = std::getenv("CI");
    const char* req = std::getenv("QUILLATONE_REQUIRE_X11");
    return (ci && std::strcmp(ci, "true") == 0) || (req && std::strcmp(req, "1") == 0);
}

// Sets an environment variable for one scope.
struct EnvGuard {
    std::string name, old;
    bool had;
    EnvGuard(const char* n, const char* value) : name(n), had(std::getenv(n) != nullptr) {
        if (had)
            old = std::getenv(n);
        setenv(n, value, 1);
    }
    ~EnvGuard() {
        if (had)
            setenv(name.c_str(), old.c_str(), 1);
        else
            unsetenv(name.c_str());
    }
};

// The host side: its own connection and a 900 x 700 top-level parent.
struct TestHost {
    xcb_connection_t* conn = nullptr;
    xcb_screen_t* screen = nullptr;
    xcb_window_t parent = 0;

    bool open() {
        conn = xcb_connect(nullptr, nullptr);
        if (!conn || xcb_connection_has_error(conn))
            return false;
        screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
        parent = xcb_generate_id(conn);
        uint32_t values[] = {0xffffff, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_create_window(conn, XCB_COPY_FROM_PARENT, parent, screen->root, 0, 0, 900, 700, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                          values);
        xcb_map_window(conn, parent);
        sync();
        return true;
    }
    ~TestHost() {
        if (conn)
            xcb_disconnect(conn);
    }
    void sync() { std::free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr)); }

    std::vector<xcb_window_t> children(xcb_window_t w) {
        std::vector<xcb_window_t> out;
        xcb_query_tree_reply_t* r = xcb_query_tree_reply(conn, xcb_query_tree(conn, w), nullptr);
        if (r) {
            xcb_window_t* c = xcb_query_tree_children(r);
            out.assign(c, c + xcb_query_tree_children_length(r));
            std::free(r);
        }
        return out;
    }
    bool attributes(xcb_window_t w, bool& mapped, bool& overrideRedirect) {
        auto* a = xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, w), nullptr);
        if (!a)
            return false;
        mapped = a->map_state == XCB_MAP_STATE_VIEWABLE;
        overrideRedirect = a->override_redirect;
        std::free(a);
        return true;
    }
    void button(xcb_window_t w, bool press, int x, int y, int detail, uint16_t state) {
        xcb_button_press_event_t e;
        std::memset(&e, 0, sizeof e);
        e.response_type = press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE;
        e.detail = uint8_t(detail);
        e.root = screen->root;
        e.event = w;
        e.event_x = int16_t(x);
        e.event_y = int16_t(y);
        e.state = state;
        e.same_screen = 1;
        xcb_send_event(conn, 0, w, press ? XCB_EVENT_MASK_BUTTON_PRESS : XCB_EVENT_MASK_BUTTON_RELEASE,
                       reinterpret_cast<const char*>(&e));
        sync();
    }
    void motion(xcb_window_t w, int x, int y, uint16_t state) {
        xcb_motion_notify_event_t e;
        std::memset(&e, 0, sizeof e);
        e.response_type = XCB_MOTION_NOTIFY;
        e.root = screen->root;
        e.event = w;
        e.event_x = int16_t(x);
        e.event_y = int16_t(y);
        e.state = state;
        e.same_screen = 1;
        xcb_send_event(conn, 0, w, XCB_EVENT_MASK_POINTER_MOTION, reinterpret_cast<const char*>(&e));
        sync();
    }
    void key(xcb_window_t w, xcb_keycode_t code) {
        xcb_key_press_event_t e;
        std::memset(&e, 0, sizeof e);
        e.response_type = XCB_KEY_PRESS;
        e.detail = code;
        e.root = screen->root;
        e.event = w;
        e.same_screen = 1;
        xcb_send_event(conn, 0, w, XCB_EVENT_MASK_KEY_PRESS, reinterpret_cast<const char*>(&e));
        sync();
    }
    xcb_keycode_t keycodeFor(uint32_t keysym) {
        const xcb_setup_t* setup = xcb_get_setup(conn);
        int count = setup->max_keycode - setup->min_keycode + 1;
        auto* r = xcb_get_keyboard_mapping_reply(
            conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, uint8_t(count)), nullptr);
        xcb_keycode_t found = 0;
        if (r) {
            const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r);
            for (int k = 0; k < count && !found; ++k)
                for (int j = 0; j < r->keysyms_per_keycode; ++j)
                    if (syms[k * r->keysyms_per_keycode + j] == keysym)
                        found = xcb_keycode_t(setup->min_keycode + k);
            std::free(r);
        }
        return found;
    }
    xcb_atom_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, uint16_t(std::strlen(name)), name), nullptr);
        xcb_atom_t a = r ? r->atom : 0;
        std::free(r);
        return a;
    }
};

struct X11Fixture : ::testing::Test {
    TestHost host;
    TestEditor editor;
    RecordingListener listener;
    CFrame* frame = nullptr;
    CKickButton* kick = nullptr;
    COptionMenu* menu = nullptr;

    void SetUp() override {
        if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) {
            if (displayRequired())
                FAIL() << "no X display, and the X11 tests are required here";
            GTEST_SKIP() << "no X display";
        }
        ASSERT_TRUE(host.open());
    }
    void TearDown() override {
        if (frame)
            frame->forget();
    }

    // The same scene in any frame: a background, coloured blocks, a menu, a button, text.
    void populate(CFrame* f) {
        f->setBackgroundColor(CColor(52, 52, 52));
        f->setZoom(zoomFactor());
        struct Block : CView {
            CColor c;
            Block(const CRect& r, CColor col) : CView(r), c(col) {}
            void draw(CDrawContext* ctx) override {
                ctx->setDrawMode(kAntiAliasing);
                ctx->setFillColor(c);
                ctx->drawEllipse(size, kDrawFilled);
                ctx->setFontColor(kWhiteCColor);
                ctx->setFont(kNormalFontVeryBig);
                ctx->drawString("Quillatone", size, kCenterText);
            }
        };
        f->addView(new Block(CRect(20, 300, 500, 700), CColor(0, 162, 232)));
        f->addView(new Block(CRect(600, 300, 1000, 600), CColor(255, 199, 4, 180)));
        auto* m = new COptionMenu(CRect(350, 3, 750, 36), &listener, 0);
        for (int i = 0; i < 276; ++i)
            m->addEntry(("Headphone " + std::to_string(i)).c_str());
        m->setNbItemsPerColumn(100);
        m->setFontColor(CColor(0, 162, 232));
        m->setBackColor(kTransparentCColor);
        f->addView(m);
        auto* k = new CTextButton(CRect(800, 10, 860, 30), &listener, 48, "SAVE");
        k->setTextColor(CColor(220, 220, 220));
        f->addView(k);
        auto* knob = new CKnob(CRect(100, 100, 300, 300), &listener, 6, nullptr, nullptr);
        knob->setValue(0.25f);
        f->addView(knob);
        menu = m;
        kick = k;
    }
    void openFrame() {
        frame = new CFrame(editorDesignRect(), reinterpret_cast<void*>(uintptr_t(host.parent)), &editor);
        ASSERT_NE(frame->getPlatformFrame(), nullptr);
        populate(frame);
        settle();
    }
    xcb_window_t child() {
        auto c = host.children(host.parent);
        return c.size() == 1 ? c[0] : 0;
    }
    // Round trips on the frame's connection: events the server queued for
    // the frame are read, and the frame's own requests are done for every
    // client, however busy the machine.
    void frameRoundTrip() {
        if (auto* x11 = dynamic_cast<X11PlatformFrame*>(frame->getPlatformFrame()))
            x11->roundTrip();
    }
    void settle(int rounds = 5) {
        for (int i = 0; i < rounds; ++i) {
            editor.ticks += 10;
            frameRoundTrip();
            frame->idle();
            frameRoundTrip();
            host.sync();
        }
    }
    std::vector<xcb_window_t> overrideRedirectWindows() {
        std::vector<xcb_window_t> out;
        for (xcb_window_t w : host.children(host.screen->root)) {
            bool mapped = false, over = false;
            if (host.attributes(w, mapped, over) && mapped && over)
                out.push_back(w);
        }
        return out;
    }
};

TEST_F(X11Fixture, EmbedsOneMappedChildOfTheZoomedSize) {
    openFrame();
    xcb_window_t c = child();
    ASSERT_NE(c, 0u);
    bool mapped = false, over = true;
    ASSERT_TRUE(host.attributes(c, mapped, over));
    EXPECT_TRUE(mapped);
    EXPECT_FALSE(over);
    auto* g = xcb_get_geometry_reply(host.conn, xcb_get_geometry(host.conn, c), nullptr);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->width, 880);
    EXPECT_EQ(g->height, 640);
    EXPECT_EQ(g->x, 0);
    EXPECT_EQ(g->y, 0);
    std::free(g);
}

TEST_F(X11Fixture, WindowShowsExactlyTheOffscreenRender) {
    openFrame();
    TestEditor otherEditor;
    CFrame* offscreen = new CFrame(editorDesignRect(), nullptr, &otherEditor);
    RecordingListener otherListener;
    populate(offscreen);
    offscreen->renderAll();
    xcb_window_t c = child();
    ASSERT_NE(c, 0u);
    int mismatches = -1;
    for (int attempt = 0; attempt < 20 && mismatches != 0; ++attempt) {
        settle(1);
        auto* img = xcb_get_image_reply(
            host.conn, xcb_get_image(host.conn, XCB_IMAGE_FORMAT_Z_PIXMAP, c, 0, 0, 880, 640, ~0u), nullptr);
        ASSERT_NE(img, nullptr);
        ASSERT_EQ(xcb_get_image_data_length(img), 880 * 640 * 4);
        const uint32_t* px = reinterpret_cast<const uint32_t*>(xcb_get_image_data(img));
        DrawSurface* s = offscreen->getBackBuffer();
        const unsigned char* data = s->data();
        int stride = s->stride();
        mismatches = 0;
        for (int y = 0; y < 640; ++y)
            for (int x = 0; x < 880; ++x) {
                uint32_t want;
                std::memcpy(&want, data + y * stride + x * 4, 4);
                mismatches += (px[y * 880 + x] & 0xffffff) != (want & 0xffffff);
            }
        std::free(img);
    }
    EXPECT_EQ(mismatches, 0);
    offscreen->forget();
}

TEST_F(X11Fixture, SyntheticClickReachesAControl) {
    openFrame();
    xcb_window_t c = child();
    host.button(c, true, 664, 16, 1, 0);
    settle(2);
    host.button(c, false, 664, 16, 1, XCB_BUTTON_MASK_1);
    settle(2);
    ASSERT_EQ(listener.notes.size(), 2u);
    EXPECT_EQ(listener.notes[0].tag, 48);
    EXPECT_EQ(listener.notes[0].value, 1.0f);
    EXPECT_EQ(listener.notes[1].value, 0.0f);
}

TEST_F(X11Fixture, KnobDragFollowsTheLastQueuedMotion) {
    editor.knobMode = CKnob::kLinearMode;
    openFrame();
    xcb_window_t c = child();
    host.button(c, true, 160, 200, 1, 0);
    for (int y = 199; y >= 120; --y)
        host.motion(c, 160, y, XCB_BUTTON_MASK_1);
    settle(1);
    host.button(c, false, 160, 120, 1, XCB_BUTTON_MASK_1);
    settle(1);
    ASSERT_FALSE(listener.notes.empty());
    EXPECT_LT(listener.notes.size(), 80u); // queued motion collapses
    // 80 px up is 100 design units: half the range.
    EXPECT_NEAR(listener.notes.back().value, 0.75f, 1e-4);
    EXPECT_EQ(editor.hostEdits, (std::vector<std::string>{"begin 6", "end 6"}));
}

TEST_F(X11Fixture, PopupMenuOpensSelectsAndCancels) {
    openFrame();
    xcb_window_t c = child();
    ASSERT_TRUE(overrideRedirectWindows().empty());
    host.button(c, true, 440, 20, 1, 0);
    settle(2);
    PopupMenuModel* model = frame->getOpenPopup();
    ASSERT_NE(model, nullptr);
    auto popups = overrideRedirectWindows();
    ASSERT_EQ(popups.size(), 1u);
    auto* g = xcb_get_geometry_reply(host.conn, xcb_get_geometry(host.conn, popups[0]), nullptr);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->width, model->width());
    EXPECT_EQ(g->height, model->height());
    EXPECT_LE(g->y + g->height, 1024);
    EXPECT_EQ(model->columns(), (276 + model->rowsPerColumn() - 1) / model->rowsPerColumn());
    std::free(g);

    host.button(popups[0], false, 5, 5, 1, XCB_BUTTON_MASK_1); // release of the opening press
    settle(1);
    ASSERT_NE(frame->getOpenPopup(), nullptr);
    PixelRect r = model->itemRect(199);
    ASSERT_FALSE(r.empty());
    int x = (r.x0 + r.x1) / 2, y = (r.y0 + r.y1) / 2;
    host.motion(popups[0], x, y, 0);
    host.button(popups[0], true, x, y, 1, 0);
    host.button(popups[0], false, x, y, 1, XCB_BUTTON_MASK_1);
    settle(2);
    EXPECT_EQ(frame->getOpenPopup(), nullptr);
    EXPECT_TRUE(overrideRedirectWindows().empty());
    ASSERT_EQ(listener.notes.size(), 1u);
    EXPECT_EQ(listener.notes[0].value, 199.0f);

    host.button(c, true, 440, 20, 1, 0);
    settle(2);
    popups = overrideRedirectWindows();
    ASSERT_EQ(popups.size(), 1u);
    xcb_keycode_t escape = host.keycodeFor(0xff1b);
    ASSERT_NE(escape, 0);
    host.key(popups[0], escape);
    settle(2);
    EXPECT_EQ(frame->getOpenPopup(), nullptr);
    EXPECT_TRUE(overrideRedirectWindows().empty());
    EXPECT_EQ(listener.notes.size(), 1u);
    EXPECT_EQ(menu->getCurrentIndex(), 199);
}

TEST_F(X11Fixture, ClipboardTextIsServedToAnotherClient) {
    openFrame();
    std::string text = "Quillatone 010000\n0 0.0060000001\n";
    ASSERT_TRUE(frame->setClipboardText(text.data(), text.size()));
    std::string back;
    EXPECT_TRUE(frame->getClipboardText(back));
    EXPECT_EQ(back, text);

    // A second client converts CLIPBOARD to UTF8_STRING while the owner keeps idling.
    TestHost reader;
    ASSERT_TRUE(reader.open());
    xcb_atom_t clipboard = reader.atom("CLIPBOARD"), utf8 = reader.atom("UTF8_STRING"),
               prop = reader.atom("TEST_PASTE"), targets = reader.atom("TARGETS");
    auto request = [&](xcb_atom_t target) -> xcb_get_property_reply_t* {
        xcb_convert_selection(reader.conn, reader.parent, clipboard, target, prop, XCB_CURRENT_TIME);
        xcb_flush(reader.conn);
        for (int i = 0; i < 100; ++i) {
            settle(1);
            reader.sync();
            while (xcb_generic_event_t* e = xcb_poll_for_event(reader.conn)) {
                bool notify = (e->response_type & 0x7f) == XCB_SELECTION_NOTIFY;
                auto n = *reinterpret_cast<xcb_selection_notify_event_t*>(e);
                std::free(e);
                if (notify) {
                    if (n.property == XCB_ATOM_NONE)
                        return nullptr;
                    return xcb_get_property_reply(
                        reader.conn, xcb_get_property(reader.conn, 1, reader.parent, prop, XCB_ATOM_ANY, 0, 4096),
                        nullptr);
                }
            }
        }
        return nullptr;
    };
    xcb_get_property_reply_t* p = request(utf8);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->type, utf8);
    EXPECT_EQ(std::string(static_cast<const char*>(xcb_get_property_value(p)),
                          size_t(xcb_get_property_value_length(p))),
              text);
    std::free(p);
    p = request(targets);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(xcb_get_property_value_length(p), 7 * 4); // seven 32-bit atoms
    std::free(p);
    EXPECT_EQ(request(reader.atom("image/png")), nullptr); // refused

    std::string tooLong(10000, 'x');
    EXPECT_FALSE(frame->setClipboardText(tooLong.data(), tooLong.size()));
}

TEST_F(X11Fixture, ClosingHandsTheTextToAClipboardManager) {
    openFrame();
    TestHost manager;
    ASSERT_TRUE(manager.open());
    xcb_atom_t managerAtom = manager.atom("CLIPBOARD_MANAGER"), saveTargets = manager.atom("SAVE_TARGETS"),
               clipboard = manager.atom("CLIPBOARD"), utf8 = manager.atom("UTF8_STRING"),
               prop = manager.atom("MANAGER_COPY"), quit = manager.atom("QUILLATONE_TEST_QUIT");
    xcb_set_selection_owner(manager.conn, manager.parent, managerAtom, XCB_CURRENT_TIME);
    manager.sync();
    std::string text = "Quillatone 010000\n1 0.5000000000\n";
    ASSERT_TRUE(frame->setClipboardText(text.data(), text.size()));

    // The manager answers SAVE_TARGETS by copying CLIPBOARD, as clipboard
    // managers do. It blocks on its connection until done or told to quit, so
    // nothing here depends on how fast a busy machine schedules it.
    std::string saved;
    std::thread managerThread([&] {
        xcb_selection_request_event_t request{};
        bool requested = false;
        while (xcb_generic_event_t* e = xcb_wait_for_event(manager.conn)) {
            uint8_t type = e->response_type & 0x7f;
            bool finished = false;
            if (type == XCB_CLIENT_MESSAGE && reinterpret_cast<xcb_client_message_event_t*>(e)->type == quit) {
                finished = true;
            } else if (type == XCB_SELECTION_REQUEST && !requested) {
                request = *reinterpret_cast<xcb_selection_request_event_t*>(e);
                requested = request.target == saveTargets;
                if (requested) {
                    xcb_convert_selection(manager.conn, manager.parent, clipboard, utf8, prop, XCB_CURRENT_TIME);
                    xcb_flush(manager.conn);
                }
            } else if (type == XCB_SELECTION_NOTIFY && requested) {
                auto* p = xcb_get_property_reply(
                    manager.conn, xcb_get_property(manager.conn, 1, manager.parent, prop, XCB_ATOM_ANY, 0, 4096),
                    nullptr);
                if (p) {
                    saved.assign(static_cast<const char*>(xcb_get_property_value(p)),
                                 size_t(xcb_get_property_value_length(p)));
                    std::free(p);
                }
                xcb_selection_notify_event_t done{};
                done.response_type = XCB_SELECTION_NOTIFY;
                done.requestor = request.requestor;
                done.selection = request.selection;
                done.target = request.target;
                done.property = request.property;
                xcb_send_event(manager.conn, 0, request.requestor, 0, reinterpret_cast<const char*>(&done));
                xcb_flush(manager.conn);
                finished = true;
            }
            std::free(e);
            if (finished)
                break;
        }
    });
    // Closing waits for the manager's answer, with a bound far beyond any
    // scheduling delay.
    X11PlatformFrame::setClipboardHandOverLimit(120000);
    frame->forget();
    frame = nullptr;
    X11PlatformFrame::setClipboardHandOverLimit(300);
    // Wakes the manager should it still wait (it has finished when the text came).
    xcb_client_message_event_t stop{};
    stop.response_type = XCB_CLIENT_MESSAGE;
    stop.format = 32;
    stop.window = manager.parent;
    stop.type = quit;
    xcb_send_event(host.conn, 0, manager.parent, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&stop));
    host.sync();
    managerThread.join();
    EXPECT_EQ(saved, text);
}

TEST_F(X11Fixture, FileDialogProgramRunsWhileTheWindowWaits) {
    openFrame();
    // A file of our own, and no PATH: a real dialog must never start here.
    std::string script = ::testing::TempDir() + "x11_fake_dialog_" + std::to_string(getpid()) + ".sh";
    // With no PATH the script names sleep by its full path.
    const std::string sleepProgram = access("/usr/bin/sleep", X_OK) == 0 ? "/usr/bin/sleep" : "/bin/sleep";
    std::ofstream(script) << "#!/bin/sh\n" << sleepProgram << " 0.3 || exit 2\necho \"/tmp/$1 $3.qlt\"\n";
    chmod(script.c_str(), 0755);
    EnvGuard dialogVar("QUILLATONE_FILE_DIALOG", script.c_str()), pathVar("PATH", "/nonexistent");
    CNewFileSelector* selector = CNewFileSelector::create(frame, CNewFileSelector::kSelectSaveFile);
    ASSERT_NE(selector, nullptr);
    selector->setTitle("Choose A Preset File To Save");
    CFileExtension qlt("qlt", "qlt");
    selector->addFileExtension(qlt);
    selector->setDefaultExtension(qlt);
    ASSERT_TRUE(selector->runModal());
    ASSERT_EQ(selector->getNumSelectedFiles(), 1u);
    EXPECT_STREQ(selector->getSelectedFile(0), "/tmp/--save Choose A Preset File To Save.qlt");
    selector->forget();

    std::ofstream(script) << "#!/bin/sh\nexit 1\n";
    selector = CNewFileSelector::create(frame, CNewFileSelector::kSelectFile);
    ASSERT_NE(selector, nullptr);
    EXPECT_FALSE(selector->runModal());
    selector->forget();
    std::remove(script.c_str());
}

TEST_F(X11Fixture, ClosingRemovesTheChildAndReopeningWorks) {
    openFrame();
    const xcb_window_t first = child();
    EXPECT_NE(first, 0u);
    uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(host.conn, host.parent, XCB_CW_EVENT_MASK, &mask);
    host.sync();
    frame->forget();
    frame = nullptr;
    // Closing is finished when it returns: the server has destroyed the
    // window, so its DestroyNotify is on its way to the host.
    bool destroyed = false;
    while (!destroyed) {
        xcb_generic_event_t* e = xcb_wait_for_event(host.conn);
        ASSERT_NE(e, nullptr);
        destroyed = (e->response_type & 0x7f) == XCB_DESTROY_NOTIFY &&
                    reinterpret_cast<xcb_destroy_notify_event_t*>(e)->window == first;
        std::free(e);
    }
    EXPECT_TRUE(host.children(host.parent).empty());
    openFrame();
    EXPECT_NE(child(), 0u);
}

TEST_F(X11Fixture, ParentDestroyedBeforeCloseIsHarmless) {
    openFrame();
    xcb_destroy_window(host.conn, host.parent);
    host.sync();
    settle(3);
    frame->platformMouseDown(10, 10, kLButton);
    frame->renderAll();
    std::string t = "x";
    frame->setClipboardText(t.data(), 1);
    frame->forget();
    frame = nullptr;
}

TEST_F(X11Fixture, AFrameWithoutAWindowReportsIt) {
    frame = new CFrame(editorDesignRect(), reinterpret_cast<void*>(uintptr_t(0x7ffffff0)), &editor);
    EXPECT_EQ(frame->getPlatformFrame(), nullptr);
    frame->forget();
    frame = nullptr;

    std::string display = std::getenv("DISPLAY");
    setenv("DISPLAY", ":97", 1);
    frame = new CFrame(editorDesignRect(), reinterpret_cast<void*>(uintptr_t(host.parent)), &editor);
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(frame->getPlatformFrame(), nullptr);
}

} // namespace

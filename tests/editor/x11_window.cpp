// The editor in a real X11 window under Xvfb: embedded in a host's parent,
// clicks reach the processor, closing removes the window.
#include "EditorTestSupport.h"

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using edtest::automated;

namespace {

bool displayRequired()
{
    const char* ci = std::getenv("CI");
    const char* req = std::getenv("QUILLATONE_REQUIRE_X11");
    return (ci && std::strcmp(ci, "true") == 0) || (req && std::strcmp(req, "1") == 0);
}

struct HostWindow
{
    xcb_connection_t* conn = nullptr;
    xcb_screen_t* screen = nullptr;
    xcb_window_t parent = 0;

    bool open()
    {
        conn = xcb_connect(nullptr, nullptr);
        if (!conn || xcb_connection_has_error(conn))
            return false;
        screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
        parent = xcb_generate_id(conn);
        uint32_t values[] = {0xffffff};
        xcb_create_window(conn, XCB_COPY_FROM_PARENT, parent, screen->root, 0, 0, 900, 700, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
        xcb_map_window(conn, parent);
        sync();
        return true;
    }
    ~HostWindow()
    {
        if (conn)
            xcb_disconnect(conn);
    }
    void sync() { std::free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr)); }

    std::vector<xcb_window_t> children()
    {
        std::vector<xcb_window_t> out;
        if (auto* r = xcb_query_tree_reply(conn, xcb_query_tree(conn, parent), nullptr))
        {
            xcb_window_t* c = xcb_query_tree_children(r);
            out.assign(c, c + xcb_query_tree_children_length(r));
            std::free(r);
        }
        return out;
    }
    void button(xcb_window_t w, bool press, int x, int y)
    {
        xcb_button_press_event_t e;
        std::memset(&e, 0, sizeof e);
        e.response_type = press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE;
        e.detail = 1;
        e.root = screen->root;
        e.event = w;
        e.event_x = int16_t(x);
        e.event_y = int16_t(y);
        e.state = press ? 0 : XCB_BUTTON_MASK_1;
        e.same_screen = 1;
        xcb_send_event(conn, 0, w, press ? XCB_EVENT_MASK_BUTTON_PRESS : XCB_EVENT_MASK_BUTTON_RELEASE,
                       reinterpret_cast<const char*>(&e));
        sync();
    }
};

} // namespace

class EditorWindow : public edtest::EditorTest
{
};

TEST_F(EditorWindow, EmbedsClicksAndCloses)
{
    HostWindow host;
    if (!host.open())
    {
        if (displayRequired())
            FAIL() << "no X display";
        GTEST_SKIP() << "no X display";
    }
    ASSERT_TRUE(editor->open(reinterpret_cast<void*>(uintptr_t(host.parent))));
    EXPECT_TRUE(editor->isOpen());
    const auto kids = host.children();
    ASSERT_EQ(kids.size(), 1u);
    auto* geometry = xcb_get_geometry_reply(host.conn, xcb_get_geometry(host.conn, kids[0]), nullptr);
    ASSERT_NE(geometry, nullptr);
    EXPECT_EQ(geometry->width, 880);
    EXPECT_EQ(geometry->height, 640);
    std::free(geometry);

    edtest::hostEvents().clear();
    host.button(kids[0], true, 733, 64);
    host.button(kids[0], false, 733, 64);
    for (int i = 0; i < 1000 && automated(15).empty(); ++i)
    {
        editor->idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(automated(15), std::vector<float>{1.0f});
    EXPECT_FLOAT_EQ(processor->getParameter(15), 1.0f);

    editor->close();
    host.sync();
    EXPECT_TRUE(host.children().empty());
    ASSERT_TRUE(editor->open(reinterpret_cast<void*>(uintptr_t(host.parent))));
    EXPECT_EQ(host.children().size(), 1u);
    editor->close();
}

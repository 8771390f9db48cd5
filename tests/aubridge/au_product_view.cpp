// The product's view path under an X display: property 31, the factory, a view in which
// the plug-in's own editor opens; SAVE in that editor leaves the preset text on the
// general pasteboard; releasing the view closes the editor.
#include <AppKit/NSPasteboard.h>
#include <ObjCStandin.h>
#include <sys/stat.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "AUFixtures.h"

using namespace autest;

namespace {

bool displayRequired() {
  const char* ci = std::getenv("CI");
  const char* required = std::getenv("QUILLATONE_REQUIRE_X11");
  return (ci && std::strcmp(ci, "true") == 0) || (required && std::strcmp(required, "1") == 0);
}

// The test's own connection: top-level windows and synthetic clicks.
struct Display {
  xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
  xcb_screen_t* screen = nullptr;
  Display() {
    if (ok()) screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
  }
  ~Display() {
    if (conn) xcb_disconnect(conn);
  }
  bool ok() const { return conn && !xcb_connection_has_error(conn); }
  void sync() { std::free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr)); }
  // Top-level windows of that size.
  std::vector<xcb_window_t> windowsOfSize(int width, int height) {
    sync();
    std::vector<xcb_window_t> found;
    auto* tree = xcb_query_tree_reply(conn, xcb_query_tree(conn, screen->root), nullptr);
    if (!tree) return found;
    const xcb_window_t* kids = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
      auto* g = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, kids[i]), nullptr);
      if (g && g->width == width && g->height == height) found.push_back(kids[i]);
      std::free(g);
    }
    std::free(tree);
    return found;
  }
  void click(xcb_window_t w, int x, int y) {
    for (bool press : {true, false}) {
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
    }
    sync();
  }
};

std::string pasteboardText() {
  CFDataRef data = NSPasteboard::generalPasteboard()->dataForType(NSPasteboardTypeString);
  return data ? std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), size_t(CFDataGetLength(data)))
              : std::string();
}

TEST(ProductView, OpensThePlugInsEditorAndSavesToThePasteboard) {
  Display display;
  if (!display.ok()) {
    if (displayRequired()) FAIL() << "no X display";
    GTEST_SKIP() << "no X display";
  }
  TempFolder tmp;
  const std::string users = tmp / "Users";
  std::filesystem::create_directories(users + "/Shared");
  symac_test_setUserFolder(users.c_str());
  const std::string dialog = tmp / "dialog.sh";
  writeFile(dialog, "#!/bin/sh\necho '" + (tmp / "saved") + "'\n");
  chmod(dialog.c_str(), 0755);
  setenv("QUILLATONE_FILE_DIALOG", dialog.c_str(), 1);

  BundleSpec spec;
  spec.name = "Quillatone.component";
  spec.executable = PRODUCT_AU_MODULE;
  spec.config = configXml(Config());
  const std::string path = makeComponentBundle(tmp, spec);
  writeFile(path + "/Contents/Resources/SYParameters.txt", "heading\r");  // no probing
  writeFile(path + "/Contents/Resources/SYFactoryPresets.txt", "");
  AUHost host(path);
  ASSERT_EQ(host.open(), noErr);

  // The host's path: property 31, the bundle, the class, a factory, a view.
  AudioUnitCocoaViewInfo info{};
  ASSERT_EQ(host.get(kAudioUnitProperty_CocoaUI, 0, 0, info), noErr);
  char name[256] = {};
  ASSERT_TRUE(CFStringGetCString(info.mCocoaAUViewClass[0], name, sizeof name, kCFStringEncodingUTF8));
  CFBundleRef bundle = CFBundleCreate(nullptr, info.mCocoaAUViewBundleLocation);
  ASSERT_NE(bundle, nullptr);
  ASSERT_TRUE(CFBundleLoadExecutable(bundle));
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);
  Class cls = objc_getClass(name);
  ASSERT_NE(cls, nullptr);
  NSObject* factoryObject = class_createInstance(cls);
  ASSERT_NE(factoryObject, nullptr);
  AUCocoaUIBase* factory = factoryObject->asCocoaUIBase();
  ASSERT_NE(factory, nullptr);
  const size_t windowsBefore = display.windowsOfSize(880, 640).size();
  NSView* view = nullptr;
  {
    NSAutoreleasePool pool;
    view = factory->uiViewForAudioUnit(host.unit, NSSize{880, 640});
    ASSERT_NE(view, nullptr);
    view->retain();  // the host keeps it
  }
  EXPECT_EQ(view->frame().size.width, 880.0);
  EXPECT_EQ(view->frame().size.height, 640.0);
  const std::vector<xcb_window_t> windows = display.windowsOfSize(880, 640);
  ASSERT_EQ(windows.size(), windowsBefore + 1) << "the editor's window";
  const xcb_window_t editorWindow = windows.back();

  // SAVE (top right of the window); the unit's idle timer runs the editor.
  NSPasteboard::generalPasteboard()->clearContents();
  display.click(editorWindow, 720, 16);
  for (int i = 0; i < 300 && pasteboardText().empty(); ++i) {
    symac_test_advanceMainLoop(0.025);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const std::string text = pasteboardText();
  EXPECT_EQ(text.rfind("Quillatone 010000\n0 0.0060000001\n", 0), 0u) << text.substr(0, 60);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 39);
  EXPECT_EQ(readFile(tmp / "saved.qlt"), text);

  // The host lets the view go: the editor closes and its window goes.
  view->release();
  const std::vector<xcb_window_t> after = display.windowsOfSize(880, 640);
  EXPECT_EQ(std::count(after.begin(), after.end(), editorWindow), 0);
  factoryObject->release();
  host.close();
  CFRelease(bundle);
  unsetenv("QUILLATONE_FILE_DIALOG");
  symac_test_setUserFolder("/Users");
}

}  // namespace

// The editor view: the Cocoa UI property, the factory class, the view's life and the idle
// calls the editor gets while it is open.
#include <ObjCStandin.h>

#include "AUFixtures.h"

using namespace autest;

namespace {

// The host's path from property 31 to a factory instance.
AUCocoaUIBase* factoryFor(FakeUnit& u, NSObject*& instance, std::string* className = nullptr) {
  instance = nullptr;
  AudioUnitCocoaViewInfo info{};
  if (u.host->get(kAudioUnitProperty_CocoaUI, 0, 0, info) != noErr) return nullptr;
  char name[256] = {};
  CFStringGetCString(info.mCocoaAUViewClass[0], name, sizeof name, kCFStringEncodingUTF8);
  if (className != nullptr) *className = name;
  CFBundleRef bundle = CFBundleCreate(nullptr, info.mCocoaAUViewBundleLocation);
  EXPECT_NE(bundle, nullptr);
  EXPECT_TRUE(CFBundleLoadExecutable(bundle));
  UInt8 path[1024];
  CFURLGetFileSystemRepresentation(info.mCocoaAUViewBundleLocation, true, path, sizeof path);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(path)), std::filesystem::canonical(u.path).string());
  CFRelease(bundle);
  CFRelease(info.mCocoaAUViewBundleLocation);
  CFRelease(info.mCocoaAUViewClass[0]);
  Class cls = objc_getClass(name);
  if (cls == nullptr) return nullptr;
  instance = class_createInstance(cls);
  return instance != nullptr ? instance->asCocoaUIBase() : nullptr;
}

TEST(AUView, FactoryMakesAViewOfTheEditorsSize) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  NSObject* instance = nullptr;
  std::string className;
  AUCocoaUIBase* factory = factoryFor(u, instance, &className);
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(className, "SYTestHost_CocoaViewFactory");
  EXPECT_EQ(factory->interfaceVersion(), 0u);
  EXPECT_EQ(CFStringCompare(factory->description(), CFSTR("Editor"), 0), 0);
  NSView* view = nullptr;
  {
    NSAutoreleasePool pool;
    view = factory->uiViewForAudioUnit(u.unit(), NSSize{10, 10});
    ASSERT_NE(view, nullptr);
    view->retain();  // the host keeps it
  }
  EXPECT_EQ(view->frame().size.width, 300.0);
  EXPECT_EQ(view->frame().size.height, 200.0);
  EXPECT_EQ(u.fake().count(effEditOpen), 1u);
  // A second view while one lives is refused.
  {
    NSAutoreleasePool pool;
    EXPECT_EQ(factory->uiViewForAudioUnit(u.unit(), NSSize{10, 10}), nullptr);
  }
  // The editor idles with the unit's timer while the view lives.
  symac_test_advanceMainLoop(0.1);
  EXPECT_EQ(u.fake().count(effEditIdle), 4u);
  // The plug-in asks for a new size.
  FakeControl& f = u.fake();
  f.master(f.effect, audioMasterSizeWindow, 500, 400, nullptr, 0);
  EXPECT_EQ(view->frame().size.width, 500.0);
  EXPECT_EQ(view->frame().size.height, 400.0);
  view->release();
  EXPECT_EQ(u.fake().count(effEditClose), 1u);
  symac_test_advanceMainLoop(0.1);
  EXPECT_EQ(u.fake().count(effEditIdle), 4u);
  instance->release();
  u.host->close();
  EXPECT_EQ(u.fake().count(effEditClose), 1u);
}

TEST(AUView, SizeWindowDuringOpenResizesTheNewView) {
  FakeUnit u;
  u.fake().sizeWindowDuringOpen = true;
  ASSERT_EQ(u.open(), noErr);
  NSObject* instance = nullptr;
  AUCocoaUIBase* factory = factoryFor(u, instance);
  ASSERT_NE(factory, nullptr);
  NSAutoreleasePool pool;
  NSView* view = factory->uiViewForAudioUnit(u.unit(), NSSize{});
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->frame().size.width, 640.0);
  EXPECT_EQ(view->frame().size.height, 480.0);
  instance->release();
}

TEST(AUView, ComponentClosedBeforeTheViewIsReleased) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  NSObject* instance = nullptr;
  AUCocoaUIBase* factory = factoryFor(u, instance);
  ASSERT_NE(factory, nullptr);
  NSView* view = nullptr;
  {
    NSAutoreleasePool pool;
    view = factory->uiViewForAudioUnit(u.unit(), NSSize{});
    ASSERT_NE(view, nullptr);
    view->retain();
  }
  u.host->close();
  EXPECT_EQ(u.fake().count(effEditClose), 1u);
  view->release();  // detached: leaves the destroyed component alone
  EXPECT_EQ(u.fake().count(effEditClose), 1u);
  instance->release();
}

TEST(AUView, FailedEditorOpenLeavesNoView) {
  FakeUnit u;
  u.fake().editOpenAnswer = 0;
  ASSERT_EQ(u.open(), noErr);
  NSObject* instance = nullptr;
  AUCocoaUIBase* factory = factoryFor(u, instance);
  ASSERT_NE(factory, nullptr);
  NSAutoreleasePool pool;
  EXPECT_EQ(factory->uiViewForAudioUnit(u.unit(), NSSize{}), nullptr);
  u.fake().editOpenAnswer = 1;
  NSView* view = factory->uiViewForAudioUnit(u.unit(), NSSize{});
  EXPECT_NE(view, nullptr);
  // No instance behind a unit: no view.
  EXPECT_EQ(factory->uiViewForAudioUnit(nullptr, NSSize{}), nullptr);
  instance->release();
}

TEST(AUView, NoEditorNoCocoaUI) {
  FakeUnit u;
  u.fake().flags = effFlagsCanReplacing;
  ASSERT_EQ(u.open(), noErr);
  AudioUnitCocoaViewInfo info{};
  bridgetest::StderrCapture capture;
  EXPECT_EQ(u.host->get(kAudioUnitProperty_CocoaUI, 0, 0, info), kAudioUnitErr_InvalidProperty);
  EXPECT_NE(capture.text().find("VST has no editor"), std::string::npos);
}

TEST(AUView, ViewEntryServesNoRequest) {
  FakeUnit u;
  ASSERT_EQ(u.open(), noErr);
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(u.path.c_str()),
                                                         CFIndex(u.path.size()), true);
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  ASSERT_NE(bundle, nullptr);
  auto entry = reinterpret_cast<ComponentRoutine>(CFBundleGetFunctionPointerForName(bundle, CFSTR("RoruvovuzViewEntry")));
  ASSERT_NE(entry, nullptr);
  ComponentParameters pb{};
  pb.what = kComponentOpenSelect;
  EXPECT_EQ(entry(&pb, nullptr), badComponentSelector);
  CFRelease(bundle);
}

}  // namespace

// The layer's second half: File Manager names and forks, iteration, domain folders, Launch
// Services, main-loop timers, the Component Manager's argument packing and the view objects.
#include <AudioUnit/AudioUnit.h>
#include <Carbon/CarbonEvents.h>
#include <CoreServices/Files.h>
#include <CoreServices/LaunchServices.h>
#include <ObjCStandin.h>
#include <gtest/gtest.h>
#include <symac/HostTestHooks.h>
#include <symac/TestHooks.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace {

std::u16string u16(const char* text) {
  std::u16string out;
  for (const char* p = text; *p != '\0'; ++p) out.push_back(char16_t(static_cast<unsigned char>(*p)));
  return out;
}

FSRef refOf(const std::string& path) {
  FSRef ref;
  EXPECT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &ref, nullptr), noErr);
  return ref;
}

TEST(Files, NamesNeverLeaveTheirFolder) {
  TempFolder tmp;
  const FSRef folder = refOf(tmp.path());
  FSRef file;
  const std::u16string slash = u16("a/b");
  ASSERT_EQ(FSCreateFileUnicode(&folder, slash.size(), reinterpret_cast<const UniChar*>(slash.data()), 0, nullptr,
                                &file, nullptr),
            noErr);
  EXPECT_TRUE(std::filesystem::exists(tmp.path() + "/a:b"));
  EXPECT_EQ(FSCreateFileUnicode(&folder, slash.size(), reinterpret_cast<const UniChar*>(slash.data()), 0, nullptr,
                                &file, nullptr),
            dupFNErr);
  for (const char* bad : {".", ".."}) {
    const std::u16string name = u16(bad);
    EXPECT_EQ(FSMakeFSRefUnicode(&folder, name.size(), reinterpret_cast<const UniChar*>(name.data()), 0, &file),
              bdNamErr);
  }
  const UniChar withNul[] = {'a', 0, 'b'};
  EXPECT_EQ(FSMakeFSRefUnicode(&folder, 3, withNul, 0, &file), bdNamErr);
  const std::u16string missing = u16("missing");
  EXPECT_EQ(FSMakeFSRefUnicode(&folder, missing.size(), reinterpret_cast<const UniChar*>(missing.data()), 0, &file),
            fnfErr);
  // The name comes back with the '/' the platform shows.
  HFSUniStr255 name;
  FSRef parent;
  const FSRef created = refOf(tmp.path() + "/a:b");
  ASSERT_EQ(FSGetCatalogInfo(&created, 0, nullptr, &name, nullptr, &parent), noErr);
  EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(name.unicode), name.length), slash);
  EXPECT_STREQ(parent.hidden, folder.hidden);
}

TEST(Files, ForksReadShortAndWriteWhole) {
  TempFolder tmp;
  std::ofstream(tmp.path() + "/data") << "hello";
  const FSRef file = refOf(tmp.path() + "/data");
  FSIORefNum fork = -1;
  ASSERT_EQ(FSOpenFork(&file, 0, nullptr, fsRdPerm, &fork), noErr);
  char buffer[16] = {};
  UInt32 actual = 0;
  EXPECT_EQ(FSReadFork(fork, fsFromStart, 0, 10, buffer, &actual), eofErr);
  EXPECT_EQ(actual, 5u);
  SInt64 size = 0;
  ASSERT_EQ(FSGetForkSize(fork, &size), noErr);
  EXPECT_EQ(size, 5);
  FSCloseFork(fork);
  ASSERT_EQ(FSOpenFork(&file, 0, nullptr, fsWrPerm, &fork), noErr);
  ASSERT_EQ(FSWriteFork(fork, fsFromStart, 0, 2, "HE", &actual), noErr);
  ASSERT_EQ(FSSetForkSize(fork, fsAtMark, 0), noErr);
  FSCloseFork(fork);
  std::ifstream in(tmp.path() + "/data");
  std::string text;
  in >> text;
  EXPECT_EQ(text, "HE");
  symac_test_failNext("FSWriteFork", wrPermErr);
  ASSERT_EQ(FSOpenFork(&file, 0, nullptr, fsWrPerm, &fork), noErr);
  EXPECT_EQ(FSWriteFork(fork, fsFromStart, 0, 2, "xx", &actual), wrPermErr);
  FSCloseFork(fork);
  const FSRef folder = refOf(tmp.path());
  EXPECT_EQ(FSOpenFork(&folder, 0, nullptr, fsRdPerm, &fork), permErr);
}

TEST(Files, IterationAndDomains) {
  TempFolder tmp;
  for (int i = 0; i < 5; ++i) std::ofstream(tmp.path() + "/f" + std::to_string(i)) << i;
  const FSRef folder = refOf(tmp.path());
  FSIterator it = nullptr;
  ASSERT_EQ(FSOpenIterator(&folder, kFSIterateFlat, &it), noErr);
  FSRef refs[3];
  UInt32 actual = 0, total = 0;
  OSErr err;
  while ((err = FSGetCatalogInfoBulk(it, 3, &actual, nullptr, 0, nullptr, refs, nullptr, nullptr)) == noErr)
    total += actual;
  EXPECT_EQ(err, errFSNoMoreItems);
  EXPECT_EQ(actual, 0u);
  EXPECT_EQ(total, 5u);
  FSCloseIterator(it);

  symac_test_setDomainRoot(kUserDomain, (tmp.path() + "/User").c_str());
  FSRef audio;
  EXPECT_EQ(FSFindFolder(kUserDomain, kAudioSupportFolderType, kDontCreateFolder, &audio), fnfErr);
  ASSERT_EQ(FSFindFolder(kUserDomain, kAudioSupportFolderType, kCreateFolder, &audio), noErr);
  UInt8 audioPath[4096];
  ASSERT_EQ(FSRefMakePath(&audio, audioPath, sizeof audioPath), noErr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(audioPath)), tmp.path() + "/User/Audio");
  symac_test_setDomainRoot(kUserDomain, nullptr);
}

TEST(LaunchServices, KindsTypesAndExtensions) {
  TempFolder tmp;
  std::ofstream(tmp.path() + "/Song.FXP") << "x";
  std::ofstream(tmp.path() + "/.hidden") << "x";
  std::filesystem::create_directory(tmp.path() + "/Folder.fxb");
  LSItemInfoRecord info;
  FSRef ref = refOf(tmp.path() + "/Song.FXP");
  ASSERT_EQ(LSCopyItemInfoForRef(&ref, kLSRequestExtension | kLSRequestTypeCreator, &info), noErr);
  EXPECT_EQ(info.flags & kLSItemInfoIsPlainFile, UInt32(kLSItemInfoIsPlainFile));
  char ext[8];
  CFStringGetCString(info.extension, ext, sizeof ext, kCFStringEncodingUTF8);
  EXPECT_STREQ(ext, "FXP");
  CFRelease(info.extension);
  ref = refOf(tmp.path() + "/.hidden");
  symac_test_setTypeCreator((tmp.path() + "/.hidden").c_str(), FOURCC("AFxP"), FOURCC("Crea"));
  ASSERT_EQ(LSCopyItemInfoForRef(&ref, kLSRequestExtension | kLSRequestTypeCreator, &info), noErr);
  EXPECT_EQ(info.flags & kLSItemInfoIsInvisible, UInt32(kLSItemInfoIsInvisible));
  EXPECT_EQ(info.filetype, FOURCC("AFxP"));
  EXPECT_EQ(info.extension, nullptr);  // a leading dot is no extension
  ref = refOf(tmp.path() + "/Folder.fxb");
  ASSERT_EQ(LSCopyItemInfoForRef(&ref, kLSRequestBasicFlagsOnly, &info), noErr);
  EXPECT_EQ(info.flags & kLSItemInfoIsPlainFile, 0u);

  const std::u16string names[] = {u16("a.fxp"), u16("noext"), u16(".hidden"), u16("trailing.")};
  const UniCharCount expected[] = {2, kLSInvalidExtensionIndex, kLSInvalidExtensionIndex, kLSInvalidExtensionIndex};
  for (size_t i = 0; i < 4; ++i) {
    UniCharCount start = 0;
    ASSERT_EQ(LSGetExtensionInfo(names[i].size(), reinterpret_cast<const UniChar*>(names[i].data()), &start), noErr);
    EXPECT_EQ(start, expected[i]) << i;
  }
}

int timerId(void* data) { return *static_cast<int*>(data); }

TEST(MainLoop, TimersFireInOrderAndMayRemoveEachOther) {
  static std::vector<int> order;
  static EventLoopTimerRef second = nullptr;
  order.clear();
  auto proc = [](EventLoopTimerRef, void* data) {
    order.push_back(timerId(data));
    if (timerId(data) == 1 && second != nullptr) {
      RemoveEventLoopTimer(second);
      second = nullptr;
    }
  };
  int one = 1, two = 2;
  EventLoopTimerRef first = nullptr;
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.025, 0.025, proc, &one, &first), noErr);
  ASSERT_EQ(InstallEventLoopTimer(GetMainEventLoop(), 0.06, 0.0, proc, &two, &second), noErr);
  symac_test_advanceMainLoop(0.1);
  EXPECT_EQ(order, (std::vector<int>{1, 1, 1, 1}));  // the first removed the second at 0.05
  EXPECT_EQ(RemoveEventLoopTimer(first), noErr);
  EXPECT_EQ(RemoveEventLoopTimer(first), paramErr);
}

TEST(Components, ArgumentsTravelAsWords) {
  ComponentParameters pb[4]{};
  intptr_t* words = pb[0].params;
  words[1] = symacComponentWord(-2.5f);
  words[2] = symacComponentWord(UInt32(0xFFFFFFFFu));
  int target = 0;
  words[3] = symacComponentWord(&target);
  EXPECT_EQ(CM_ARG(&pb[0], 0, float), -2.5f);
  EXPECT_EQ(CM_ARG(&pb[0], 1, UInt32), 0xFFFFFFFFu);
  EXPECT_EQ(CM_ARG(&pb[0], 2, int*), &target);
}

int deallocs = 0;
class CountedView : public NSView {
 protected:
  void dealloc() override {
    ++deallocs;
    NSView::dealloc();
  }
};

TEST(ObjC, PoolsViewsAndClasses) {
  deallocs = 0;
  auto* parent = new CountedView();
  auto* child = new CountedView();
  parent->addSubview(child);
  child->release();  // the parent holds it
  EXPECT_EQ(deallocs, 0);
  {
    NSAutoreleasePool pool;
    parent->autorelease();
    EXPECT_EQ(deallocs, 0);
  }
  EXPECT_EQ(deallocs, 2);
  EXPECT_EQ(objc_getClass("NoSuchClass"), nullptr);
  Class c = objc_registerClass("SymacTestView", [] { return static_cast<NSObject*>(new CountedView()); });
  EXPECT_EQ(objc_registerClass("SymacTestView", [] { return static_cast<NSObject*>(nullptr); }), c);
  NSObject* o = class_createInstance(objc_getClass("SymacTestView"));
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->asCocoaUIBase(), nullptr);
  o->release();
  objc_unregisterClass("SymacTestView");
  EXPECT_EQ(objc_getClass("SymacTestView"), nullptr);
}

}  // namespace

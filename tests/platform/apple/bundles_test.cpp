// Bundles as folders, URLs, loading executables and the loader's image queries.
#include <dlfcn.h>
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>
#include <mach-o/dyld.h>
#include <symac/TestHooks.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "TempFolder.h"

namespace {

CFURLRef fileURL(const std::string& path, bool isDirectory) {
  return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                 CFIndex(path.size()), isDirectory);
}

std::string pathOf(CFURLRef url) {
  UInt8 buf[4096];
  return url != nullptr && CFURLGetFileSystemRepresentation(url, true, buf, sizeof buf)
             ? std::string(reinterpret_cast<char*>(buf))
             : std::string("<null>");
}

std::string infoPlist(const std::string& executable) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>CFBundleIdentifier</key><string>com.example.bundletest</string>"
         "<key>CFBundleExecutable</key><string>" +
         executable + "</string></dict></plist>\n";
}

// A bundle folder whose executable is a copy of the test module.
std::string makeBundle(const TempFolder& tmp, const std::string& name) {
  const std::string root = tmp / name;
  TempFolder::write(root + "/Contents/Info.plist", infoPlist("Module"));
  std::filesystem::create_directories(root + "/Contents/MacOS");
  std::filesystem::copy_file(SYMAC_TEST_MODULE, root + "/Contents/MacOS/Module");
  std::filesystem::create_directories(root + "/Contents/Resources/b.vst");
  TempFolder::write(root + "/Contents/Resources/a.vst", "");
  TempFolder::write(root + "/Contents/Resources/notes.txt", "");
  TempFolder::write(root + "/Contents/Resources/.vst", "");
  return root;
}

TEST(URLs, DeletingComponentsStopsAtTheRoot) {
  CFURLRef u = fileURL("/a/b/Contents/MacOS/Module", false);
  EXPECT_EQ(pathOf(u), "/a/b/Contents/MacOS/Module");
  const char* expected[] = {"/a/b/Contents/MacOS", "/a/b/Contents", "/a/b", "/a", "/"};
  for (const char* e : expected) {
    CFURLRef parent = CFURLCreateCopyDeletingLastPathComponent(nullptr, u);
    ASSERT_NE(parent, nullptr) << e;
    EXPECT_TRUE(CFURLHasDirectoryPath(parent));
    EXPECT_EQ(pathOf(parent), e);
    CFRelease(u);
    u = parent;
  }
  EXPECT_EQ(CFURLCreateCopyDeletingLastPathComponent(nullptr, u), nullptr);
  CFRelease(u);

  CFURLRef dir = fileURL("/x/y/", true);
  CFURLRef child = CFURLCreateCopyAppendingPathComponent(nullptr, dir, CFSTR("z.aupreset"), false);
  EXPECT_EQ(pathOf(child), "/x/y/z.aupreset");
  CFStringRef last = CFURLCopyLastPathComponent(child);
  EXPECT_TRUE(CFEqual(last, CFSTR("z.aupreset")));
  for (CFTypeRef o : {CFTypeRef(dir), CFTypeRef(child), CFTypeRef(last)}) CFRelease(o);
}

TEST(Bundles, AreUniquedByCanonicalPath) {
  TempFolder tmp;
  const std::string root = makeBundle(tmp, "One.vst");
  std::filesystem::create_symlink(root, tmp / "Alias.vst");
  CFURLRef u1 = fileURL(root, true);
  CFURLRef u2 = fileURL(tmp / "Alias.vst/", true);
  CFBundleRef a = CFBundleCreate(nullptr, u1);
  CFBundleRef b = CFBundleCreate(nullptr, u2);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(CFGetRetainCount(a), 2);
  CFRelease(b);
  EXPECT_EQ(CFGetRetainCount(a), 1);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.example.bundletest")), a);
  CFRelease(a);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.example.bundletest")), nullptr);
  CFURLRef missing = fileURL(tmp / "Missing.vst", true);
  EXPECT_EQ(CFBundleCreate(nullptr, missing), nullptr);
  for (CFTypeRef o : {CFTypeRef(u1), CFTypeRef(u2), CFTypeRef(missing)}) CFRelease(o);
}

TEST(Bundles, ReadInfoAndListResources) {
  TempFolder tmp;
  const std::string root = makeBundle(tmp, "Two.component");
  CFURLRef u = fileURL(root, true);
  CFBundleRef b = CFBundleCreate(nullptr, u);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(b), CFSTR("com.example.bundletest")));
  CFURLRef exe = CFBundleCopyExecutableURL(b);
  EXPECT_EQ(pathOf(exe), root + "/Contents/MacOS/Module");
  CFURLRef res = CFBundleCopyResourcesDirectoryURL(b);
  EXPECT_EQ(pathOf(res), root + "/Contents/Resources");
  CFArrayRef vsts = CFBundleCopyResourceURLsOfType(b, CFSTR("vst"), nullptr);
  ASSERT_NE(vsts, nullptr);
  ASSERT_EQ(CFArrayGetCount(vsts), 2);
  EXPECT_EQ(pathOf(CFURLRef(CFArrayGetValueAtIndex(vsts, 0))), root + "/Contents/Resources/a.vst");
  EXPECT_TRUE(CFURLHasDirectoryPath(CFURLRef(CFArrayGetValueAtIndex(vsts, 1))));
  CFArrayRef none = CFBundleCopyResourceURLsOfType(b, CFSTR("aupreset"), nullptr);
  EXPECT_EQ(CFArrayGetCount(none), 0);
  std::filesystem::remove_all(root + "/Contents/Resources");
  EXPECT_EQ(CFBundleCopyResourceURLsOfType(b, CFSTR("vst"), nullptr), nullptr);
  for (CFTypeRef o : {CFTypeRef(exe), CFTypeRef(res), CFTypeRef(vsts), CFTypeRef(none), CFTypeRef(b), CFTypeRef(u)})
    CFRelease(o);
}

TEST(Bundles, BrokenInfoGivesNoDictionary) {
  TempFolder tmp;
  TempFolder::write(tmp / "Bad.vst/Contents/Info.plist", "<plist><array/></plist>");
  TempFolder::write(tmp / "Worse.vst/Contents/Info.plist", "<plist><dict>");
  for (const char* name : {"Bad.vst", "Worse.vst"}) {
    CFURLRef u = fileURL(tmp / name, true);
    CFBundleRef b = CFBundleCreate(nullptr, u);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(CFBundleGetInfoDictionary(b), nullptr);
    EXPECT_EQ(CFBundleCopyExecutableURL(b), nullptr);
    EXPECT_FALSE(CFBundleLoadExecutable(b));
    CFRelease(b);
    CFRelease(u);
  }
}

TEST(Bundles, LoadLookUpAndUnload) {
  TempFolder tmp;
  const std::string root = makeBundle(tmp, "Three.vst");
  CFURLRef u = fileURL(root, true);
  CFBundleRef b = CFBundleCreate(nullptr, u);
  EXPECT_FALSE(CFBundleIsExecutableLoaded(b));
  symac_test_failNext("CFBundleLoadExecutable", -1);
  EXPECT_FALSE(CFBundleLoadExecutable(b));
  ASSERT_TRUE(CFBundleLoadExecutable(b));
  EXPECT_TRUE(CFBundleIsExecutableLoaded(b));
  auto answer = reinterpret_cast<int (*)()>(CFBundleGetFunctionPointerForName(b, CFSTR("symacTestAnswer")));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(CFBundleGetFunctionPointerForName(b, CFSTR("symacHiddenFunction")), nullptr);
  EXPECT_EQ(CFBundleGetFunctionPointerForName(b, CFSTR("main_macho")), nullptr);
  CFBundleUnloadExecutable(b);
  EXPECT_FALSE(CFBundleIsExecutableLoaded(b));
  // Looking a name up loads the executable again, as on the platform.
  EXPECT_NE(CFBundleGetFunctionPointerForName(b, CFSTR("symacTestAnswer")), nullptr);
  CFBundleUnloadExecutable(b);
  CFRelease(b);
  CFRelease(u);
}

TEST(Bundles, CodeFindsItsOwnBundleThroughItsImagePath) {
  TempFolder tmp;
  const std::string root = makeBundle(tmp, "Own.component");
  CFURLRef u = fileURL(root, true);
  CFBundleRef b = CFBundleCreate(nullptr, u);
  void* code = CFBundleGetFunctionPointerForName(b, CFSTR("symacTestAnswer"));
  ASSERT_NE(code, nullptr);
  // As the bridge does: the image path, less MacOS/<executable>, Contents and the file.
  Dl_info info;
  ASSERT_NE(dladdr(code, &info), 0);
  const std::string image = info.dli_fname;
  CFURLRef url = fileURL(image, false);
  for (int i = 0; i < 3; ++i) {
    CFURLRef parent = CFURLCreateCopyDeletingLastPathComponent(nullptr, url);
    ASSERT_NE(parent, nullptr);
    CFRelease(url);
    url = parent;
  }
  CFBundleRef found = CFBundleCreate(nullptr, url);
  EXPECT_EQ(found, b);
  EXPECT_EQ(CFGetRetainCount(b), 2);
  for (CFTypeRef o : {CFTypeRef(found), CFTypeRef(url), CFTypeRef(b), CFTypeRef(u)}) CFRelease(o);
}

TEST(MainBundle, IdentityComesFromTheHook) {
  CFBundleRef main = CFBundleGetMainBundle();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main, CFBundleGetMainBundle());
  symac_test_setMainBundle("com.apple.logic10", "10.4.1");
  EXPECT_TRUE(CFEqual(CFBundleGetIdentifier(main), CFSTR("com.apple.logic10")));
  EXPECT_TRUE(CFEqual(CFBundleGetValueForInfoDictionaryKey(main, CFSTR("CFBundleShortVersionString")),
                      CFSTR("10.4.1")));
  symac_test_setMainBundle(nullptr, nullptr);
  EXPECT_EQ(CFBundleGetIdentifier(main), nullptr);
}

TEST(Images, ListTheProgramAndTheLayer) {
  const UInt32 count = _dyld_image_count();
  ASSERT_GT(count, 1u);
  EXPECT_STREQ(_dyld_get_image_name(0), "/proc/self/exe");
  bool foundLayer = false;
  for (UInt32 i = 0; i < count; ++i) {
    if (std::string(_dyld_get_image_name(i)).find("libsymac.so") != std::string::npos) foundLayer = true;
  }
  EXPECT_TRUE(foundLayer);
  EXPECT_EQ(_dyld_get_image_name(count), nullptr);
  // The headers are the load addresses that dladdr reports.
  Dl_info layer;
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&CFRetain), &layer), 0);
  bool foundHeader = false;
  for (UInt32 i = 0; i < count; ++i)
    if (static_cast<const void*>(_dyld_get_image_header(i)) == layer.dli_fbase) foundHeader = true;
  EXPECT_TRUE(foundHeader);
}

}  // namespace

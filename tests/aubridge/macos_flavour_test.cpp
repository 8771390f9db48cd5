// The macOS flavour of the plug-in module on the stand-in: the data-folder rule,
// getBundlePath and the pasteboard behind the toolkit's clipboard.
#include <gtest/gtest.h>

#include <AppKit/NSPasteboard.h>
#include <symac/TestHooks.h>

#include <filesystem>
#include <string>

#include "BridgeTestSupport.h"
#include "DataRootMacOS.h"
#include "macos/BundlePath.h"
#include "macos/macosservices.h"
#include "view.h"

using namespace bridgetest;

namespace {

// Puts the Linux rule and the stand-in's users folder back after each test.
class MacOSFlavour : public ::testing::Test {
 protected:
  void TearDown() override {
    datafiles::useDataRootRule(datafiles::linuxDataRootRule());
    symac_test_setUserFolder("/Users");
    VSTGUI::installSystemServices(VSTGUI::SystemServices());
  }
  TempFolder tmp;
};

std::string pasteboardText() {
  CFDataRef data = NSPasteboard::generalPasteboard()->dataForType(NSPasteboardTypeString);
  return data ? std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), size_t(CFDataGetLength(data)))
              : std::string("<none>");
}

TEST_F(MacOSFlavour, DataFolderLiesInTheSharedFolderBesideTheUsers) {
  datafiles::useDataRootRule(datafiles::macOSDataRootRule());
  EXPECT_EQ(datafiles::findDataRoot(), "/Users/");  // the platform's own answer
  EXPECT_EQ(datafiles::makerFolderPath("/Users/"), "/Users/Shared/Harlox");

  // A users folder elsewhere, with a name the URL has to escape, is taken whole.
  const std::string users = tmp / "a b%/Users";
  std::filesystem::create_directories(users);
  symac_test_setUserFolder(users.c_str());
  const std::string root = datafiles::findDataRoot();
  EXPECT_EQ(root, users + "/");
  EXPECT_EQ(datafiles::productFilePath(root, "bin/nef_rec.trc"), users + "/Shared/Harlox/Quillatone/bin/nef_rec.trc");
  std::filesystem::create_directories(users + "/Shared");
  ASSERT_TRUE(datafiles::createDataFolders(root));
  for (const char* folder : {"Harlox/bin", "Harlox/cache", "Harlox/Quillatone/bin", "Harlox/Quillatone/cache",
                             "Harlox/Quillatone/preset"})
    EXPECT_TRUE(std::filesystem::is_directory(users + "/Shared/" + folder)) << folder;
}

TEST_F(MacOSFlavour, WithoutAUsersFolderEveryDataPathIsRelative) {
  datafiles::useDataRootRule(datafiles::macOSDataRootRule());
  symac_test_setUserFolder("/home/someone");
  EXPECT_EQ(datafiles::findDataRoot(), "");
  symac_test_setUserFolder(nullptr);  // the file manager answers no folder at all
  EXPECT_EQ(datafiles::productFilePath(datafiles::findDataRoot(), "HP/x.hps"), "Shared/Harlox/Quillatone/HP/x.hps");
  EXPECT_EQ(datafiles::productFolderPath(""), "Shared/Harlox/Quillatone");
}

TEST_F(MacOSFlavour, BundlePathByIdentifier) {
  Bundle bundle(makeBundle(tmp, "Found.vst", FAKE_EFFECT_MODULE));
  ASSERT_NE(bundle.ref, nullptr);
  char path[4096] = "x";
  ASSERT_TRUE(getBundlePath("com.example.Found.vst", sizeof path, path));
  EXPECT_EQ(std::string(path), std::filesystem::canonical(tmp / "Found.vst").string());
  const int length = int(std::strlen(path));
  EXPECT_TRUE(getBundlePath("com.example.Found.vst", length + 1, path));
  EXPECT_FALSE(getBundlePath("com.example.Found.vst", length, path));  // no room for the terminator
  EXPECT_STREQ(path, "");
  EXPECT_FALSE(getBundlePath("com.example.Missing.vst", sizeof path, path));
  EXPECT_FALSE(getBundlePath(nullptr, sizeof path, path));
  EXPECT_FALSE(getBundlePath("com.example.Found.vst", sizeof path, nullptr));
  EXPECT_FALSE(getBundlePath("com.example.Found.vst", 0, path));
}

TEST_F(MacOSFlavour, FramesPutTheirTextOnTheGeneralPasteboard) {
  VSTGUI::installSystemServices(VSTGUI::macOSSystemServices());
  VSTGUI::CFrame* frame = new VSTGUI::CFrame(VSTGUI::CRect(0, 0, 10, 10), nullptr, nullptr);
  const long before = NSPasteboard::generalPasteboard()->changeCount();
  ASSERT_TRUE(frame->setClipboardText("Quillatone 010000\n", 18));
  EXPECT_GT(NSPasteboard::generalPasteboard()->changeCount(), before);
  EXPECT_EQ(pasteboardText(), "Quillatone 010000\n");
  std::string text;
  ASSERT_TRUE(frame->getClipboardText(text));
  EXPECT_EQ(text, "Quillatone 010000\n");
  // Too long for the text field: refused, the pasteboard keeps what it held.
  const std::string longText(10000, 'x');
  EXPECT_FALSE(frame->setClipboardText(longText.data(), longText.size()));
  EXPECT_FALSE(VSTGUI::setPasteboardText(longText));
  EXPECT_EQ(pasteboardText(), "Quillatone 010000\n");
  frame->forget();
}

}  // namespace

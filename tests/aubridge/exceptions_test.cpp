// The exception family and the log lines' tag.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "BridgeTestSupport.h"
#include "RoruvovuzException.h"
#include "RoruvovuzLog.h"

namespace {

TEST(Exceptions, MessagesAndFamily) {
  MacOSException mac(-10868);
  EXPECT_STREQ(mac.what(), "Mac OS error code -10868");
  EXPECT_STREQ(mac.what(), "Mac OS error code -10868");
  EXPECT_EQ(mac.status(), -10868);
  EXPECT_EQ(dynamic_cast<const RoruvovuzException*>(static_cast<const std::exception*>(&mac)), nullptr);

  const std::string longText(300, 'x');
  RoruvovuzException e(longText.c_str());
  EXPECT_EQ(std::string(e.what()), std::string(255, 'x'));
  FormatException f("Invalid format of FXP / FXB data");
  EOFException eof("End of file error");
  const RoruvovuzException& base = f;
  EXPECT_STREQ(base.what(), "Invalid format of FXP / FXB data");
  EXPECT_STREQ(static_cast<const RoruvovuzException&>(eof).what(), "End of file error");
  RoruvovuzException empty(nullptr);
  EXPECT_STREQ(empty.what(), "");
}

TEST(LogLines, CarryTheTagAndTheThread) {
  // Each test runs in a fresh process: no component has named the tag yet.
  bridgetest::StderrCapture capture;
  SY_LOG("[%s](%p) VST setBlockSize: %d\n", 512);
  const UInt8 name[] = {18, 'M', 'a', 'k', 'e', 'r', ':', ' ', 'Q', 'u', 'i', 'l', 'l', 'a', 't', 'o', 'n', 'e', '!'};
  setRoruvovuzLogTag(name);
  SY_LOG("[%s](%p) VST resume\n");
  const std::string text = capture.text();
  const auto got = bridgetest::lines(text);
  ASSERT_EQ(got.size(), 2u) << text;
  EXPECT_TRUE(bridgetest::isLogLine(got[0], "Roruvovuz", "VST setBlockSize: 512")) << got[0];
  EXPECT_TRUE(bridgetest::isLogLine(got[1], "Maker: Quillatone!", "VST resume")) << got[1];
  EXPECT_FALSE(bridgetest::isLogLine("[Roruvovuz](0x) VST resume", "Roruvovuz", "VST resume"));
  UInt8 longName[256];
  longName[0] = 255;
  std::memset(longName + 1, 'z', 255);
  setRoruvovuzLogTag(longName);
  EXPECT_EQ(std::string(roruvovuzLogTag), std::string(255, 'z'));
}

}  // namespace

// The product module hosted through the wrapper, compared with the direct test host, with a
// data folder built by the data-folder builder when it and its listener set are present.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "BridgeTestSupport.h"
#include "HostedPlugin.h"
#include "ProductDataSuite.h"

#ifdef QUILLATONE_PRODUCT_MODULE

using namespace bridgetest;

namespace {

constexpr Float32 kRate = 44100.0f;
constexpr SInt32 kBlock = 512;
constexpr size_t kFrames = 16384;

class ProductTest : public bridgetest::ProductDataSuite {
 protected:
  static std::vector<std::vector<float>> input() { return noise(2, kFrames, 3, 0.3f); }

};

TEST_F(ProductTest, WrapperRendersExactlyAsTheDirectHost) {
  TempFolder tmp;
  Bundle bundle(makeBundle(tmp, "Quillatone.vst", QUILLATONE_PRODUCT_MODULE));
  RecordingHost host;
  const auto in = input();

  VSTPlugIn p(host, bundle.ref, kRate, kBlock);
  p.open();
  EXPECT_EQ(p.getProgramCount(), 50);
  EXPECT_EQ(p.getParameterCount(), 38);
  EXPECT_EQ(p.getInputCount(), 2);
  EXPECT_EQ(p.getOutputCount(), 2);
  if (p.hasEditor()) {
    SInt32 w = 0, h = 0;
    p.getEditorDimensions(w, h);
    EXPECT_EQ(w, 880);
    EXPECT_EQ(h, 640);
  }
  p.setSampleRate(kRate);
  p.setBlockSize(kBlock);
  p.resume();
  std::vector<std::vector<float>> viaBridge(2, std::vector<float>(kFrames));
  std::vector<float> i0(kBlock), i1(kBlock), o0(kBlock), o1(kBlock);
  float* ins[] = {i0.data(), i1.data()};
  float* outs[] = {o0.data(), o1.data()};
  for (size_t start = 0; start < kFrames; start += kBlock) {
    std::copy(in[0].begin() + long(start), in[0].begin() + long(start + kBlock), i0.begin());
    std::copy(in[1].begin() + long(start), in[1].begin() + long(start + kBlock), i1.begin());
    p.processReplacing(ins, outs, kBlock);
    std::copy(o0.begin(), o0.end(), viaBridge[0].begin() + long(start));
    std::copy(o1.begin(), o1.end(), viaBridge[1].begin() + long(start));
  }

  testhost::TestHost directHost;
  std::string error;
  auto direct = testhost::HostedPlugin::load(directHost, QUILLATONE_PRODUCT_MODULE, error);
  ASSERT_NE(direct, nullptr) << error;
  direct->open();
  direct->resume();
  const auto reference = direct->render(in, kFrames, kBlock);
  ASSERT_EQ(reference.size(), 2u);
  double energy = 0;
  for (size_t c = 0; c < 2; ++c) {
    for (size_t i = 0; i < kFrames; ++i) {
      ASSERT_TRUE(std::isfinite(viaBridge[c][i]));
      ASSERT_EQ(reference[c][i], viaBridge[c][i]) << c << ":" << i;
      energy += double(viaBridge[c][i]) * viaBridge[c][i];
    }
  }
  if (haveData) {
    EXPECT_GT(energy, 0.0);
  }
}

TEST_F(ProductTest, ProgramsTravelAsFxpAndFxb) {
  TempFolder tmp;
  Bundle bundle(makeBundle(tmp, "Quillatone.vst", QUILLATONE_PRODUCT_MODULE));
  RecordingHost host;
  VSTPlugIn p(host, bundle.ref, kRate, kBlock);
  p.open();
  UInt32 size = 0;
  auto fxp = p.createFXP(size);
  ASSERT_EQ(size, 208u);
  EXPECT_EQ(fxp[16], 0x00);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(fxp.get() + 17), 3), "QLT");
  const float before = p.getParameter(7);
  p.setParameter(7, before > 0.5f ? 0.1f : 0.9f);
  EXPECT_TRUE(p.loadFXPOrFXB(size, fxp.get()));
  EXPECT_EQ(p.getParameter(7), before);
  UInt32 bankSize = 0;
  auto fxb = p.createFXB(bankSize);
  EXPECT_EQ(bankSize, 10556u);
  EXPECT_EQ(p.getCurrentProgram(), 0);
}

}  // namespace

#endif

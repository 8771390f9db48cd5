// Program and bank data: exact bytes, round trips, mismatches and refused data.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "BigEndian.h"
#include "BridgeTestSupport.h"
#include "RoruvovuzException.h"

using namespace bridgetest;

namespace {

UInt32 at(const std::vector<UInt8>& b, size_t offset) {
  return (UInt32(b[offset]) << 24) | (UInt32(b[offset + 1]) << 16) | (UInt32(b[offset + 2]) << 8) | b[offset + 3];
}
float floatAt(const std::vector<UInt8>& b, size_t offset) {
  const UInt32 bits = at(b, offset);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}
void put(std::vector<UInt8>& b, size_t offset, UInt32 x) { writeBigInt32(b.data() + offset, x); }
void putFloat(std::vector<UInt8>& b, size_t offset, float f) { writeBigFloat32(b.data() + offset, f); }

class FxTest : public ::testing::Test {
 protected:
  FxTest() : bundle(makeBundle(tmp, "Fx.vst", FAKE_EFFECT_MODULE)) {}

  void open(VstInt32 programs = 2, VstInt32 params = 3, VstInt32 flags = effFlagsCanReplacing) {
    fake().numPrograms = programs;
    fake().numParams = params;
    fake().flags = flags;
    plugIn = std::make_unique<VSTPlugIn>(host, bundle.ref, 44100.0f, 512);
    plugIn->open();
    for (size_t p = 0; p < fake().programs.size(); ++p) {
      fake().programNames[p] = "Program " + std::to_string(p);
      for (size_t i = 0; i < fake().programs[p].size(); ++i) fake().programs[p][i] = float(p + 1) / 10.0f + float(i) / 100.0f;
    }
    fake().currentProgram = programs > 1 ? 1 : 0;
  }
  std::vector<UInt8> fxp() {
    UInt32 size = 0;
    auto bytes = plugIn->createFXP(size);
    return std::vector<UInt8>(bytes.get(), bytes.get() + size);
  }
  std::vector<UInt8> fxb() {
    UInt32 size = 0;
    auto bytes = plugIn->createFXB(size);
    return std::vector<UInt8>(bytes.get(), bytes.get() + size);
  }
  bool load(const std::vector<UInt8>& b) { return plugIn->loadFXPOrFXB(b.size(), b.data()); }
  // The load is refused with the exception and text given, and the effect saw nothing.
  template <class E>
  void expectRefused(const std::vector<UInt8>& b, const char* text) {
    const auto state = fake().programs;
    const auto names = fake().programNames;
    const int current = fake().currentProgram;
    fake().calls.clear();
    fake().setParameters.clear();
    try {
      load(b);
      ADD_FAILURE() << "accepted";
    } catch (const E& e) {
      EXPECT_STREQ(e.what(), text);
    }
    EXPECT_EQ(fake().programs, state);
    EXPECT_EQ(fake().programNames, names);
    EXPECT_EQ(fake().currentProgram, current);
    EXPECT_TRUE(fake().setParameters.empty());
    EXPECT_EQ(fake().count(effSetProgramName), 0u);
    EXPECT_EQ(fake().count(effSetChunk), 0u);
  }
  FakeControl& fake() { return bundle.fake(); }

  TempFolder tmp;
  Bundle bundle;
  RecordingHost host;
  std::unique_ptr<VSTPlugIn> plugIn;
};

TEST_F(FxTest, ProgramRecordBytes) {
  open();
  fake().programNames[1] = std::string(30, 'N');
  const auto b = fxp();
  ASSERT_EQ(b.size(), 68u);
  EXPECT_EQ(at(b, 0), 0x43636E4Bu);
  EXPECT_EQ(at(b, 4), 60u);
  EXPECT_EQ(at(b, 8), 0x4678436Bu);
  EXPECT_EQ(at(b, 12), 1u);
  EXPECT_EQ(at(b, 16), 0x46616B65u);
  EXPECT_EQ(at(b, 20), 7u);
  EXPECT_EQ(at(b, 24), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[28]), 24), std::string(24, 'N'));
  for (size_t i = 52; i < 56; ++i) EXPECT_EQ(b[i], 0);
  EXPECT_FLOAT_EQ(floatAt(b, 56), 0.2f);
  EXPECT_FLOAT_EQ(floatAt(b, 60), 0.21f);
  EXPECT_FLOAT_EQ(floatAt(b, 64), 0.22f);
}

TEST_F(FxTest, BankRecordBytesAndProgramRestored) {
  open();
  const auto b = fxb();
  ASSERT_EQ(b.size(), 156u + 2 * 68u);
  EXPECT_EQ(at(b, 4), b.size() - 8);
  EXPECT_EQ(at(b, 8), 0x4678426Bu);
  EXPECT_EQ(at(b, 24), 2u);
  for (size_t i = 28; i < 156; ++i) ASSERT_EQ(b[i], 0) << i;
  EXPECT_EQ(at(b, 156), 0x43636E4Bu);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[156 + 28])), "Program 0");
  EXPECT_FLOAT_EQ(floatAt(b, 156 + 56), 0.1f);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[224 + 28])), "Program 1");
  EXPECT_FLOAT_EQ(floatAt(b, 224 + 64), 0.22f);
  EXPECT_EQ(fake().currentProgram, 1);
}

TEST_F(FxTest, ChunkFormsCarryTheChunk) {
  open(2, 3, effFlagsCanReplacing | effFlagsProgramChunks);
  fake().chunk = {'a', 'b', 'c', 'd', 'e'};
  const auto p = fxp();
  ASSERT_EQ(p.size(), 65u);
  EXPECT_EQ(at(p, 8), 0x46504368u);
  EXPECT_EQ(at(p, 4), 57u);
  EXPECT_EQ(at(p, 56), 5u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&p[60]), 5), "abcde");
  const auto b = fxb();
  ASSERT_EQ(b.size(), 165u);
  EXPECT_EQ(at(b, 8), 0x46424368u);
  EXPECT_EQ(at(b, 156), 5u);

  EXPECT_TRUE(load(p));
  const FakeCall& set = fake().calls.back();
  EXPECT_EQ(set.opcode, effSetChunk);
  EXPECT_EQ(set.index, 1);
  EXPECT_EQ(set.value, 5);
  EXPECT_EQ(std::string(set.data.begin(), set.data.end()), "abcde");
  EXPECT_TRUE(load(b));
  EXPECT_EQ(fake().calls.back().index, 0);
  fake().setChunkAnswer = 0;
  EXPECT_FALSE(load(b));

  fake().chunk.clear();
  UInt32 size = 99;
  try {
    plugIn->createFXP(size);
    FAIL();
  } catch (const RoruvovuzException& e) {
    EXPECT_STREQ(e.what(), "VST could not create chunk for FXP");
  }
  EXPECT_EQ(size, 0u);
  EXPECT_THROW(plugIn->createFXB(size), RoruvovuzException);
}

TEST_F(FxTest, RoundTripRestoresValuesAndName) {
  open();
  const auto b = fxp();
  const auto saved = fake().programs[1];
  for (float& v : fake().programs[1]) v = 0.9f;
  fake().programNames[1] = "Changed";
  EXPECT_TRUE(load(b));
  EXPECT_EQ(fake().programs[1], saved);
  EXPECT_EQ(fake().programNames[1], "Program 1");
  EXPECT_EQ(fake().count(effBeginSetProgram), 1u);
  EXPECT_EQ(fake().count(effEndSetProgram), 1u);

  const auto bank = fxb();
  const auto before = fake().programs;
  for (auto& p : fake().programs) p.assign(p.size(), 0.0f);
  EXPECT_TRUE(load(bank));
  EXPECT_EQ(fake().programs, before);
  EXPECT_EQ(fake().currentProgram, 1);
}

TEST_F(FxTest, ShortBankLoadsWhatItHasAndReportsMismatch) {
  open(3, 3);
  const auto bank3 = fxb();
  plugIn.reset();
  open(5, 3);
  for (auto& p : fake().programs) p.assign(p.size(), 0.0f);
  fake().currentProgram = 4;
  EXPECT_FALSE(load(bank3));
  EXPECT_EQ(fake().currentProgram, 4);
  EXPECT_FLOAT_EQ(fake().programs[0][0], 0.1f);
  EXPECT_FLOAT_EQ(fake().programs[2][2], 0.32f);
  EXPECT_EQ(fake().programs[3][0], 0.0f);  // untouched
}

TEST_F(FxTest, WiderRecordInsideBankKeepsItsPlace) {
  open(2, 3);
  // A bank written by an effect with 4 parameters.
  std::vector<UInt8> b(156 + 2 * 72, 0);
  put(b, 0, 0x43636E4B);
  put(b, 4, UInt32(b.size() - 8));
  put(b, 8, 0x4678426B);
  put(b, 12, 1);
  put(b, 16, 0x46616B65);
  put(b, 24, 2);
  for (size_t r = 0; r < 2; ++r) {
    const size_t o = 156 + r * 72;
    put(b, o, 0x43636E4B);
    put(b, o + 8, 0x4678436B);
    put(b, o + 12, 1);
    put(b, o + 16, 0x46616B65);
    put(b, o + 24, 4);
    for (size_t i = 0; i < 4; ++i) putFloat(b, o + 56 + 4 * i, float(r) * 0.5f + float(i) * 0.1f);
  }
  EXPECT_FALSE(load(b));
  EXPECT_FLOAT_EQ(fake().programs[1][0], 0.5f);
  EXPECT_FLOAT_EQ(fake().programs[1][2], 0.7f);
}

TEST_F(FxTest, OutOfRangeAndNaNValuesAreClamped) {
  open();
  auto b = fxp();
  putFloat(b, 56, 1.5f);
  putFloat(b, 60, -0.2f);
  putFloat(b, 64, std::nanf(""));
  EXPECT_FALSE(load(b));
  EXPECT_EQ(fake().programs[1][0], 1.0f);
  EXPECT_EQ(fake().programs[1][1], 0.0f);
  EXPECT_EQ(fake().programs[1][2], 0.0f);
  for (const auto& [index, value] : fake().setParameters) EXPECT_FALSE(std::isnan(value)) << index;
}

TEST_F(FxTest, ProgramNamesAreSentCutTo23Characters) {
  open();
  auto b = fxp();
  std::memset(&b[28], 'Q', 28);
  EXPECT_TRUE(load(b));
  EXPECT_EQ(fake().programNames[1], std::string(23, 'Q'));
}

TEST_F(FxTest, MalformedDataIsRefusedAndChangesNothing) {
  open();
  const auto good = fxp();
  const auto bank = fxb();

  expectRefused<EOFException>(std::vector<UInt8>(good.begin(), good.begin() + 3), "End of file error");
  expectRefused<EOFException>(std::vector<UInt8>(good.begin(), good.begin() + 20), "End of file error");
  auto big = good;
  put(big, 4, UInt32(good.size()));  // byteSize + 8 beyond the data
  expectRefused<FormatException>(big, "Invalid format of FXP / FXB data");
  auto negative = good;
  put(negative, 4, 0x80000000u);
  expectRefused<FormatException>(negative, "Invalid format of FXP / FXB data");
  auto magic = good;
  put(magic, 0, 0x43636E4C);
  expectRefused<FormatException>(magic, "Invalid format of FXP / FXB data");
  auto kind = good;
  put(kind, 8, 0x41424344);
  expectRefused<FormatException>(kind, "Invalid format of FXP / FXB data");
  auto v2 = good;
  put(v2, 12, 2);  // passes the outer check, not the record's
  expectRefused<FormatException>(v2, "Invalid format of FXP / FXB data");
  auto otherBank = bank;
  put(otherBank, 16, 0x4F746872);
  expectRefused<FormatException>(otherBank, "Invalid format of FXP / FXB data");
  auto otherRecord = bank;
  put(otherRecord, 156 + 68 + 16, 0x4F746872);  // second record from another effect
  expectRefused<FormatException>(otherRecord, "Invalid format of FXP / FXB data");

  // A record whose values run past the data, by truncation or by a huge count.
  auto cut = std::vector<UInt8>(bank.begin(), bank.end() - 4);
  put(cut, 4, UInt32(cut.size() - 8));
  expectRefused<EOFException>(cut, "End of file error");
  auto huge = good;
  put(huge, 24, 0x7FFFFFFF);
  expectRefused<EOFException>(huge, "End of file error");
  auto negativeCount = good;
  put(negativeCount, 24, 0xFFFFFFFF);
  expectRefused<EOFException>(negativeCount, "End of file error");
  auto nameCut = std::vector<UInt8>(good.begin(), good.begin() + 40);
  put(nameCut, 4, 32);
  expectRefused<EOFException>(nameCut, "End of file error");

  // Chunk forms offered to an effect without chunks.
  auto chunkForm = good;
  put(chunkForm, 8, 0x46504368);
  expectRefused<FormatException>(chunkForm, "Invalid format of FXP / FXB data");
}

TEST_F(FxTest, TruncatedChunksAreRefusedBeforeTheName) {
  open(2, 3, effFlagsCanReplacing | effFlagsProgramChunks);
  fake().chunk.assign(100, 'c');
  auto p = fxp();
  put(p, 56, 1000);
  expectRefused<EOFException>(p, "Unexpected end of file in FXP / FXB data");
  put(p, 56, 0xFFFFFFFF);
  expectRefused<EOFException>(p, "Unexpected end of file in FXP / FXB data");
  auto b = fxb();
  put(b, 156, 101);
  expectRefused<EOFException>(b, "Unexpected end of file in FXB data");
  auto shortBank = std::vector<UInt8>(b.begin(), b.begin() + 158);
  put(shortBank, 4, 150);
  expectRefused<EOFException>(shortBank, "End of file error");
}

TEST_F(FxTest, NegativeProgramCountLoadsNothing) {
  open();
  auto b = fxb();
  put(b, 24, 0xFFFFFFFE);
  fake().calls.clear();
  EXPECT_FALSE(load(b));
  EXPECT_TRUE(fake().setParameters.empty());
}

TEST_F(FxTest, ZeroProgramEffectBanksHoldOneProgram) {
  open(0, 2);
  const auto b = fxb();
  EXPECT_EQ(b.size(), 156u + 64u);
  EXPECT_EQ(at(b, 24), 1u);
  fake().programs[0] = {0.0f, 0.0f};
  EXPECT_TRUE(load(b));
  EXPECT_FLOAT_EQ(fake().programs[0][1], 0.11f);
  EXPECT_EQ(fake().count(effSetProgram), 0u);
}

TEST_F(FxTest, MutatedDataNeverEscapesTheExceptionFamily) {
  open();
  const auto bank = fxb();
  std::mt19937 random(12345);
  for (int trial = 0; trial < 3000; ++trial) {
    auto b = bank;
    const int edits = 1 + int(random() % 4);
    for (int e = 0; e < edits; ++e) b[random() % b.size()] = UInt8(random());
    if (random() % 3 == 0) b.resize(random() % b.size());
    if (b.empty()) continue;
    try {
      load(b);
    } catch (const RoruvovuzException&) {
    }
    for (const auto& [index, value] : fake().setParameters) ASSERT_TRUE(value >= 0.0f && value <= 1.0f);
    fake().setParameters.clear();
  }
}

TEST(BigEndian, ReadsCheckTheirBounds) {
  const UInt8 bytes[] = {0x3F, 0x80, 0x00, 0x00, 0xFF};
  SInt32 x = 0;
  EXPECT_EQ(readBigInt32(bytes, bytes + 5, &x), bytes + 4);
  EXPECT_EQ(x, 0x3F800000);
  Float32 f = 0;
  readBigFloat32(bytes, bytes + 4, &f);
  EXPECT_EQ(f, 1.0f);
  EXPECT_THROW(readBigInt32(bytes + 2, bytes + 5, &x), EOFException);
  EXPECT_THROW(readBigInt32(bytes + 5, bytes + 4, &x), EOFException);
}

}  // namespace

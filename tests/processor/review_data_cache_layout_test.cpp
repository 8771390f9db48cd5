#include "CorrectionTestSupport.h"
#include "DesignTables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

using namespace correction_test;

namespace
{
double doubleAt(const std::vector<unsigned char>& bytes, std::size_t offset)
{
    // Little-endian whatever the host.
    std::uint64_t bits = 0;
    for (int b = 7; b >= 0; --b)
        bits = (bits << 8) | bytes[offset + std::size_t(b)];
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}
}

// The cache file read by offsets alone: basisReal (r, i) at 8 (8192 r + i),
// basisImag from byte 13,828,096, normalInverse (r, c) from byte 27,656,192
// at 8 (211 r + c), nothing after byte 28,012,360.
TEST(DesignCacheLayout, ValuesSitAtTheirOffsets)
{
    auto& t = sharedDesignTables();
    const std::string path = testFolder("layout") + "/pretab.qtb";
    ASSERT_TRUE(writeDesignTableCache(path, t.arrays()));
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(bytes.size(), 28012360u);

    const unsigned char anchor[8] = {0x29, 0xb4, 0x1a, 0x3b, 0x86, 0xc9, 0xd6, 0x40};
    double first;
    std::memcpy(&first, anchor, 8);
    EXPECT_NEAR(doubleAt(bytes, 0), first, 1e-9 * first) << "basisReal[0][0] = 1 / A_0(1)";

    const std::size_t imagStart = 13828096;
    const std::size_t normalStart = 27656192;
    for (int r = 0; r < recordSize; r += 3)
        for (int i : {0, 1, 16, 777, 4096, 8190, 8191})
        {
            double re, conjImag;
            basisValue(t.poleA1, t.poleA2, r, i, re, conjImag);
            const double tol = r < firstDirectTap ? 1e-9 * std::max(1.0, std::fabs(re) + std::fabs(conjImag)) : 1e-6;
            const std::size_t cell = 8 * (std::size_t(designBinCount) * r + i);
            ASSERT_NEAR(doubleAt(bytes, cell), re, tol) << r << " " << i;
            ASSERT_NEAR(doubleAt(bytes, imagStart + cell), conjImag, tol) << r << " " << i;
        }
    EXPECT_EQ(doubleAt(bytes, imagStart + 8 * (std::size_t(designBinCount) * 200 + 4096)) > 0.99, true)
        << "basisImag holds -Im b: +sin for the delay taps";
    for (int r = 0; r < recordSize; r += 5)
        for (int c = 0; c < recordSize; c += 7)
            ASSERT_EQ(doubleAt(bytes, normalStart + 8 * (std::size_t(recordSize) * r + c)),
                      t.normalInverse[std::size_t(recordSize) * r + c])
                << r << " " << c;
}

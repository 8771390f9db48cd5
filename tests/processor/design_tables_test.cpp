#include "CorrectionTestSupport.h"
#include "DesignTables.h"

#include <gtest/gtest.h>
#include <Eigen/Dense>

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>

using namespace correction_test;

namespace
{
std::vector<char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::vector<char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

void putDouble(std::vector<char>& bytes, std::size_t index, double v)
{
    std::memcpy(bytes.data() + 8 * index, &v, 8);
}

int filesIn(const std::string& folder)
{
    int count = 0;
    if (DIR* dir = opendir(folder.c_str()))
    {
        while (dirent* e = readdir(dir))
            if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
                ++count;
        closedir(dir);
    }
    return count;
}

std::unique_ptr<OwnedDesignTables> emptyTables()
{
    auto t = std::make_unique<OwnedDesignTables>();
    computeCorrectionPoles(t->poleA1, t->poleA2);
    return t;
}

// The cache of the shared tables, written once per program.
const std::string& validCache()
{
    static const std::string path = [] {
        const std::string p = testFolder("valid") + "/pretab.qtb";
        if (!writeDesignTableCache(p, sharedDesignTables().arrays()))
            throw std::runtime_error("cache not written");
        return p;
    }();
    return path;
}
}

TEST(DesignTables, BasisMatchesADirectComplexComputation)
{
    auto& t = sharedDesignTables();
    std::mt19937 random(3);
    std::uniform_int_distribution<int> anyBin(0, designBinCount - 1);
    for (int trial = 0; trial < 4000; ++trial)
    {
        const int r = trial % recordSize;
        const int bin = trial < recordSize ? 0 : anyBin(random);
        const double w = binAngle(bin);
        Complex b;
        if (r < firstDirectTap)
            b = sectionResponse(t.poleA1, t.poleA2, r / 2, w) * ((r & 1) ? std::polar(1.0, -w) : Complex(1.0));
        else if (r < dryTap)
            b = std::polar(1.0, -(r - firstDirectTap + 1) * w);
        else
            b = 1.0;
        const double re = t.basisReal[std::size_t(r) * designBinCount + bin];
        const double conjIm = t.basisImag[std::size_t(r) * designBinCount + bin];
        const double tol = r < firstDirectTap ? 1e-9 * std::max(1.0, std::abs(b)) : 2e-6;
        ASSERT_NEAR(re, b.real(), tol) << r << " " << bin;
        ASSERT_NEAR(conjIm, -b.imag(), tol) << r << " " << bin;
    }
    EXPECT_NEAR(t.basisReal[0], 23334.09736, 1e-4);
    EXPECT_EQ(t.basisImag[0], 0.0);
    EXPECT_EQ(t.basisReal[200 * std::size_t(designBinCount) + 8191], -1.0);
    EXPECT_NEAR(t.basisImag[200 * std::size_t(designBinCount) + 4096], 1.0, 1e-6);
}

TEST(DesignTables, NormalInverseInvertsTheNormalMatrix)
{
    auto& t = sharedDesignTables();
    using Rows = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
    const Eigen::Map<const Rows> hr(t.basisReal.data(), recordSize, designBinCount);
    const Eigen::Map<const Rows> hi(t.basisImag.data(), recordSize, designBinCount);
    const Eigen::Map<const Rows> n(t.normalInverse.data(), recordSize, recordSize);
    // G = Re(B^H B) by plain products, not the build's triangular update.
    const Eigen::MatrixXd g = hr * hr.transpose() + hi * hi.transpose();
    const Eigen::MatrixXd product = g * n;
    EXPECT_LT((product - Eigen::MatrixXd::Identity(recordSize, recordSize)).cwiseAbs().maxCoeff(), 1e-5);
    EXPECT_LT((n - n.transpose()).cwiseAbs().maxCoeff(), 1e-8 * n.cwiseAbs().maxCoeff());
    EXPECT_NEAR(n(210, 210), 26.688, 0.01);
}

TEST(DesignTableCache, WrittenAndReadBackExactly)
{
    auto& t = sharedDesignTables();
    const std::string& path = validCache();
    const auto bytes = readFile(path);
    ASSERT_EQ(bytes.size(), designCacheBytes);
    const unsigned char anchor[8] = {0x29, 0xb4, 0x1a, 0x3b, 0x86, 0xc9, 0xd6, 0x40};
    double stored;
    std::memcpy(&stored, anchor, 8);
    EXPECT_NEAR(t.basisReal[0], stored, 1e-9 * stored);
    EXPECT_EQ(0, std::memcmp(bytes.data() + 8 * 2 * basisValueCount, t.normalInverse.data(), 8 * normalValueCount));
    EXPECT_EQ(filesIn(testFolder("valid")), 1) << "temporary file left behind";

    auto loaded = emptyTables();
    ASSERT_EQ(loadDesignTableCache(path, loaded->poleA1, loaded->poleA2, loaded->arrays()), designCacheValid);
    EXPECT_EQ(loaded->basisReal, t.basisReal);
    EXPECT_EQ(loaded->basisImag, t.basisImag);
    EXPECT_EQ(loaded->normalInverse, t.normalInverse);
}

TEST(DesignTableCache, RebuiltWhenMissingAndByteIdentical)
{
    const std::string folder = testFolder("rebuild");
    const std::string path = folder + "/pretab.qtb";
    std::remove(path.c_str());
    auto t = emptyTables();
    EXPECT_EQ(loadDesignTableCache(path, t->poleA1, t->poleA2, t->arrays()), designCacheNotOpened);
    EXPECT_EQ(loadDesignTableCache("", t->poleA1, t->poleA2, t->arrays()), designCacheNotOpened);
    ASSERT_TRUE(buildDesignTablesAndCache(path, t->poleA1, t->poleA2, t->arrays()));
    EXPECT_EQ(readFile(path), readFile(validCache()));
    EXPECT_EQ(loadDesignTableCache(path, t->poleA1, t->poleA2, t->arrays()), designCacheValid);
}

TEST(DesignTableCache, DamagedFilesAreRefused)
{
    const std::vector<char> good = readFile(validCache());
    const std::string path = testFolder("damaged") + "/pretab.qtb";
    auto t = emptyTables();
    auto codeOf = [&](const std::vector<char>& bytes) {
        writeFile(path, bytes);
        return loadDesignTableCache(path, t->poleA1, t->poleA2, t->arrays());
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::size_t normalStart = 2 * basisValueCount;

    EXPECT_EQ(codeOf(good), designCacheValid);
    EXPECT_EQ(codeOf(std::vector<char>(good.begin(), good.end() - 8)), designCacheWrongSize);
    auto longer = good;
    longer.insert(longer.end(), 8, 0);
    EXPECT_EQ(codeOf(longer), designCacheWrongSize);
    EXPECT_EQ(codeOf({}), designCacheWrongSize);

    auto bad = good;
    putDouble(bad, 12345, nan);
    EXPECT_EQ(codeOf(bad), designCacheBadValues) << "NaN in the basis";
    bad = good;
    putDouble(bad, normalStart + 211 * 3 + 4, nan);
    EXPECT_EQ(codeOf(bad), designCacheBadValues) << "NaN in the inverse";

    // Mantissa bit 30 of N[5][7]: invisible to the spot check, seen by the probe.
    bad = good;
    bad[8 * (normalStart + 211 * 5 + 7) + 3] ^= 0x40;
    EXPECT_EQ(codeOf(bad), designCacheBadValues) << "corrupt inverse";
    // A basis value off in the last digits.
    bad = good;
    double v;
    std::memcpy(&v, bad.data() + 8 * 16, 8);
    putDouble(bad, 16, v * (1 + 1e-7));
    EXPECT_EQ(codeOf(bad), designCacheBadValues) << "corrupt basis";
}

TEST(DesignTableCache, CacheOfOtherPolesIsRefused)
{
    auto other = emptyTables();
    other->poleA1[0] = std::nextafter(other->poleA1[0], 0.0f);
    const std::string path = testFolder("other") + "/pretab.qtb";
    ASSERT_TRUE(buildDesignTablesAndCache(path, other->poleA1, other->poleA2, other->arrays()));
    EXPECT_EQ(loadDesignTableCache(path, other->poleA1, other->poleA2, other->arrays()), designCacheValid);
    auto t = emptyTables();
    EXPECT_EQ(loadDesignTableCache(path, t->poleA1, t->poleA2, t->arrays()), designCacheBadValues);
}

TEST(DesignTableCache, UnwritableFolderLeavesNothing)
{
    auto& t = sharedDesignTables();
    EXPECT_FALSE(writeDesignTableCache(testFolder("absent") + "/no/such/folder/pretab.qtb", t.arrays()));
    EXPECT_FALSE(writeDesignTableCache("", t.arrays()));
    // A folder where the cache name is taken by a directory: rename fails, the temporary goes.
    const std::string folder = testFolder("blocked");
    std::filesystem::create_directories(folder + "/pretab.qtb/x");
    EXPECT_FALSE(writeDesignTableCache(folder + "/pretab.qtb", t.arrays()));
    EXPECT_EQ(filesIn(folder), 1);
    auto fresh = emptyTables();
    EXPECT_NE(loadDesignTableCache(folder + "/pretab.qtb", fresh->poleA1, fresh->poleA2, fresh->arrays()),
              designCacheValid);
}

#include "DesignTables.h"
#include "ReplaceFile.h"

#include <Eigen/Dense>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <random>
#include <vector>

namespace correction
{
namespace
{
constexpr double pi = 3.14159265358979323846;
constexpr int rows = recordSize;
constexpr int bins = designBinCount;

using RowMajorMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
using TableMap = Eigen::Map<RowMajorMatrix>;

struct BinAngles
{
    double cosW, sinW, cos2W, sin2W;
};

BinAngles anglesOfBin(int bin)
{
    const double w = bin / 8191.0 * pi;
    return {std::cos(w), std::sin(w), std::cos(2.0 * w), std::sin(2.0 * w)};
}

// 1 / A_k at one bin, and (optionally) times e^{-jw}.
void sectionValue(double a1, double a2, const BinAngles& t, bool delayed, double& re, double& im)
{
    const double aRe = 1.0 + a1 * t.cosW + a2 * t.cos2W;
    const double aIm = -a1 * t.sinW - a2 * t.sin2W;
    const double norm = aRe * aRe + aIm * aIm;
    const double invRe = aRe / norm;
    const double invIm = -aIm / norm;
    if (!delayed)
    {
        re = invRe;
        im = invIm;
        return;
    }
    // (cos w - j sin w)(invRe + j invIm)
    re = t.cosW * invRe + t.sinW * invIm;
    im = t.cosW * invIm - t.sinW * invRe;
}

// The direct taps use single-precision angles.
float directAngle(int bin)
{
    const float q = static_cast<float>(bin) / 8191.0f;
    return static_cast<float>(q * pi);
}

void directValue(int delay, float wf, double& re, double& im)
{
    const float angle = static_cast<float>(delay) * wf;
    re = static_cast<double>(std::cos(angle));
    im = -static_cast<double>(std::sin(angle));
}

bool allFinite(const double* values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(values[i]))
            return false;
    return true;
}

constexpr bool littleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

void swapBytes(double* values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
    {
        unsigned char b[8];
        std::memcpy(b, &values[i], 8);
        std::reverse(b, b + 8);
        std::memcpy(&values[i], b, 8);
    }
}

bool writeValues(std::FILE* file, const double* values, std::size_t count)
{
    if (littleEndian)
        return std::fwrite(values, sizeof(double), count, file) == count;
    std::vector<double> chunk(designBinCount);
    for (std::size_t done = 0; done < count;)
    {
        const std::size_t n = std::min(chunk.size(), count - done);
        std::copy(values + done, values + done + n, chunk.begin());
        swapBytes(chunk.data(), n);
        if (std::fwrite(chunk.data(), sizeof(double), n, file) != n)
            return false;
        done += n;
    }
    return true;
}

bool readValues(std::FILE* file, double* values, std::size_t count)
{
    if (std::fread(values, sizeof(double), count, file) != count)
        return false;
    if (!littleEndian)
        swapBytes(values, count);
    return true;
}

// Bins where every row of a loaded basis is compared with a fresh value: the
// low bins, where the section responses are most sensitive to the poles, and
// a spread over the rest of the band.
std::vector<int> spotCheckBins()
{
    std::vector<int> picked;
    for (int i = 0; i <= 40; ++i)
        picked.push_back(i);
    for (int i = 97; i < bins; i += 97)
        picked.push_back(i);
    picked.push_back(bins - 1);
    return picked;
}

bool basisMatchesPoles(const float* poleA1, const float* poleA2, const DesignTableArrays& t)
{
    for (int bin : spotCheckBins())
    {
        for (int r = 0; r < rows; ++r)
        {
            double re, conjImag;
            basisValue(poleA1, poleA2, r, bin, re, conjImag);
            const double gotRe = t.basisReal[std::size_t(r) * bins + bin];
            const double gotIm = t.basisImag[std::size_t(r) * bins + bin];
            const double tolRe = r < firstDirectTap ? 1e-9 * std::max(1.0, std::fabs(re)) : 1e-6;
            const double tolIm = r < firstDirectTap ? 1e-9 * std::max(1.0, std::fabs(conjImag)) : 1e-6;
            if (!(std::fabs(gotRe - re) <= tolRe) || !(std::fabs(gotIm - conjImag) <= tolIm))
                return false;
        }
    }
    return true;
}

// Symmetry of the inverse, and a probe in response space: a response R = B x
// made from known real coefficients must be fitted back to itself.
bool inverseIsConsistent(const DesignTableArrays& t)
{
    const TableMap hr(t.basisReal, rows, bins);
    const TableMap hi(t.basisImag, rows, bins);
    const TableMap n(t.normalInverse, rows, rows);

    const double largest = n.cwiseAbs().maxCoeff();
    if (!((n - n.transpose()).cwiseAbs().maxCoeff() <= 1e-6 * largest))
        return false;

    std::mt19937 random(20260101u);
    std::normal_distribution<double> gauss;
    Eigen::VectorXd x(rows);
    for (int r = 0; r < rows; ++r)
        x[r] = gauss(random);
    const Eigen::VectorXd responseRe = hr.transpose() * x;
    const Eigen::VectorXd responseIm = -(hi.transpose() * x);
    const Eigen::VectorXd fitted = n * (hr * responseRe - hi * responseIm);
    const Eigen::VectorXd errorRe = hr.transpose() * fitted - responseRe;
    const Eigen::VectorXd errorIm = -(hi.transpose() * fitted) - responseIm;
    const double error = std::sqrt(errorRe.squaredNorm() + errorIm.squaredNorm());
    const double size = std::sqrt(responseRe.squaredNorm() + responseIm.squaredNorm());
    return error <= 1e-4 * size;
}
}

void basisValue(const float* poleA1, const float* poleA2, int row, int bin, double& re, double& conjImag)
{
    double im = 0.0;
    if (row < firstDirectTap)
        sectionValue(poleA1[row / 2], poleA2[row / 2], anglesOfBin(bin), (row & 1) != 0, re, im);
    else if (row < dryTap)
        directValue(row - firstDirectTap + 1, directAngle(bin), re, im);
    else
        re = 1.0;
    conjImag = -im;
}

void computeBasis(const float* poleA1, const float* poleA2, const DesignTableArrays& t)
{
    std::vector<BinAngles> angles(bins);
    for (int i = 0; i < bins; ++i)
        angles[i] = anglesOfBin(i);

    for (int k = 0; k < sectionCount; ++k)
    {
        double* re0 = t.basisReal + std::size_t(2 * k) * bins;
        double* im0 = t.basisImag + std::size_t(2 * k) * bins;
        double* re1 = re0 + bins;
        double* im1 = im0 + bins;
        for (int i = 0; i < bins; ++i)
        {
            double re, im;
            sectionValue(poleA1[k], poleA2[k], angles[i], false, re, im);
            re0[i] = re;
            im0[i] = -im;
            sectionValue(poleA1[k], poleA2[k], angles[i], true, re, im);
            re1[i] = re;
            im1[i] = -im;
        }
    }
    for (int i = 0; i < bins; ++i)
    {
        const float wf = directAngle(i);
        for (int m = 0; m < directTapCount; ++m)
        {
            double re, im;
            directValue(m + 1, wf, re, im);
            t.basisReal[std::size_t(firstDirectTap + m) * bins + i] = re;
            t.basisImag[std::size_t(firstDirectTap + m) * bins + i] = -im;
        }
        t.basisReal[std::size_t(dryTap) * bins + i] = 1.0;
        t.basisImag[std::size_t(dryTap) * bins + i] = 0.0;
    }
}

bool buildDesignTables(const float* poleA1, const float* poleA2, const DesignTableArrays& t)
{
    try
    {
        computeBasis(poleA1, poleA2, t);
    }
    catch (...)
    {
        return false;
    }
    return computeNormalInverse(t);
}

bool computeNormalInverse(const DesignTableArrays& t)
{
    try
    {
        const TableMap hr(t.basisReal, rows, bins);
        const TableMap hi(t.basisImag, rows, bins);

        // G = Re(B^H B) = Hr Hr^T + Hi Hi^T, symmetric: fill one triangle, mirror it.
        Eigen::MatrixXd g = Eigen::MatrixXd::Zero(rows, rows);
        g.selfadjointView<Eigen::Lower>().rankUpdate(hr);
        g.selfadjointView<Eigen::Lower>().rankUpdate(hi);
        g.triangularView<Eigen::StrictlyUpper>() = g.transpose();

        TableMap n(t.normalInverse, rows, rows);
        n = g.partialPivLu().inverse();
        return allFinite(t.normalInverse, normalValueCount);
    }
    catch (...)
    {
        return false;
    }
}

std::int32_t loadDesignTableCache(const std::string& path, const float* poleA1, const float* poleA2,
                                  const DesignTableArrays& t)
{
    if (path.empty())
        return designCacheNotOpened;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return designCacheNotOpened;

    std::int32_t code = designCacheValid;
    struct stat info;
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) != designCacheBytes)
        code = designCacheWrongSize;
    else if (!readValues(file, t.basisReal, basisValueCount) || !readValues(file, t.basisImag, basisValueCount) ||
             !readValues(file, t.normalInverse, normalValueCount))
        code = designCacheReadError;
    std::fclose(file);
    if (code != designCacheValid)
        return code;

    try
    {
        if (!allFinite(t.basisReal, basisValueCount) || !allFinite(t.basisImag, basisValueCount) ||
            !allFinite(t.normalInverse, normalValueCount) || !basisMatchesPoles(poleA1, poleA2, t) ||
            !inverseIsConsistent(t))
            return designCacheBadValues;
    }
    catch (...)
    {
        return designCacheBadValues;
    }
    return designCacheValid;
}

bool writeDesignTableCache(const std::string& path, const DesignTableArrays& t)
{
    if (path.empty())
        return false;
    try
    {
        // Unique per process and call: two instances may build at the same time.
        static std::atomic<unsigned> serial{0};
        const std::string temporary = path + ".tmp." + std::to_string(static_cast<long>(getpid())) + "." +
                                      std::to_string(serial.fetch_add(1));
        std::FILE* file = std::fopen(temporary.c_str(), "wb");
        if (!file)
            return false;
        bool ok = writeValues(file, t.basisReal, basisValueCount) && writeValues(file, t.basisImag, basisValueCount) &&
                  writeValues(file, t.normalInverse, normalValueCount) && std::fflush(file) == 0;
        ok = (std::fclose(file) == 0) && ok;
        if (ok && fileio::replaceFile(temporary, path))
            return true;
        std::remove(temporary.c_str());
        return false;
    }
    catch (...)
    {
        return false;
    }
}

bool buildDesignTablesAndCache(const std::string& path, const float* poleA1, const float* poleA2,
                               const DesignTableArrays& tables)
{
    if (!buildDesignTables(poleA1, poleA2, tables))
        return false;
    writeDesignTableCache(path, tables);  // an unwritable folder only costs the next start a rebuild
    return true;
}
}

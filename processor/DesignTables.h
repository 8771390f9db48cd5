#pragma once
#include <cstdint>
#include <string>

#include "DesignGrid.h"

// The design tables of the correction fit, computed once from the fixed poles:
// the conjugate transpose of the 8192 x 211 modelling matrix (real and imaginary
// parts, rows = coefficients, columns = bins) and the inverse of the fit's real
// normal matrix. Kept in the cache file "bin/pretab.qtb": raw little-endian
// float64, basisReal, then basisImag, then normalInverse, row by row.
namespace correction
{
constexpr std::size_t basisValueCount = std::size_t(recordSize) * designBinCount;     // per table
constexpr std::size_t normalValueCount = std::size_t(recordSize) * recordSize;
constexpr std::uint64_t designCacheBytes = 8 * (2 * basisValueCount + normalValueCount);  // 28,012,360
constexpr const char* designCacheRelativePath = "bin/pretab.qtb";  // under the program folder

// Caller-owned arrays, row-major: basisReal[211][8192], basisImag[211][8192],
// normalInverse[211][211].
struct DesignTableArrays
{
    double* basisReal;
    double* basisImag;      // -Im b_r(i), the conjugate's imaginary part
    double* normalInverse;
};

// The basis response b_r at bin i (w = pi i / 8191), as stored: re = Re b_r(i),
// conjImag = -Im b_r(i). [any thread]
void basisValue(const float* poleA1, const float* poleA2, int row, int bin, double& re, double& conjImag);

// Computes basisReal and basisImag for every row and bin. [any thread]
void computeBasis(const float* poleA1, const float* poleA2, const DesignTableArrays& tables);

// Computes normalInverse from the two basis tables. False when memory ran
// out or the result is not finite; nothing escapes. [host thread]
bool computeNormalInverse(const DesignTableArrays& tables);

// Computes all three tables. False when memory ran out or the result is not
// finite; nothing escapes. [host thread]
bool buildDesignTables(const float* poleA1, const float* poleA2, const DesignTableArrays& tables);

// Load results of loadDesignTableCache.
enum DesignCacheCode : std::int32_t
{
    designCacheValid = 0,
    designCacheNotOpened = 1,
    designCacheWrongSize = 2,
    designCacheReadError = 3,
    designCacheBadValues = 4,   // non-finite, other poles, or an inconsistent inverse
};

// Reads the cache at path into the tables and checks it against the poles:
// exact size, finite values, spot values of the basis, a symmetric inverse
// and a response-space probe of the inverse. Any code but designCacheValid
// means the tables must be rebuilt (their content is then undefined).
// [host thread]
std::int32_t loadDesignTableCache(const std::string& path, const float* poleA1, const float* poleA2,
                                  const DesignTableArrays& tables);

// Writes the tables to path through a temporary file in the same folder and a
// rename. False (and no file left behind) on any failure. [host thread]
bool writeDesignTableCache(const std::string& path, const DesignTableArrays& tables);

// Builds the tables and, when that succeeded, writes them to path (an empty
// path writes nothing). False when the build failed. [host thread]
bool buildDesignTablesAndCache(const std::string& path, const float* poleA1, const float* poleA2,
                               const DesignTableArrays& tables);
}

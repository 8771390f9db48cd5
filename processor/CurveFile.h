#pragma once
#include <cstdint>
#include <string>
#include "CurveList.h"
#include "DataFileCodes.h"

// Curve files (.hps, .mos, .trc, .ldc): little-endian float32 N, then N
// frequencies in Hz, then N levels in dB; 4 + 8 N bytes; count = int(N).
//
// A file that cannot be opened, is shorter than 4 + 8 count bytes, has a count
// outside 1..1000, a non-finite N or frequency, or a level that is not finite
// or beyond the level bound (maxCurveLevelDb, for loudness contours
// maxLoudnessLevelDb) is treated as missing: the list's
// 1000 levels are set to 0 dB, its count and frequencies keep their content,
// and a non-zero code comes back (3 missing, 8 short, 5 invalid). A rejected
// file never changes count or frequencies. Callers set their "loaded" flag to
// (code == 0). All loaders here run on the [host thread] (parameter changes
// and initialise); they write the list in place without a lock.
namespace datafiles
{

// [any thread] A valid flat curve: 0 Hz, 1 kHz and 24 kHz at 0 dB, the rest
// of the arrays zero. Every list starts like this.
void setFlatCurve(CurveList& list);

// [host thread] Reads one curve file at an absolute path into list (path ""
// counts as missing). Returns 0, 3, 5 or 8 as above.
int32_t readCurveFile(const std::string& path, CurveList& list, float levelBound = maxCurveLevelDb);

// Paths under "<root>/Harlox/Quillatone/" ("" when root is ""); rows clamped.
std::string headphoneCurvePath(const std::string& root, int row);      // HP/<file name>.hps
std::string monitorCurvePath(const std::string& root, int group, int monitorRow); // Monitor/...
std::string nefCurvePath(const std::string& root);                     // bin/nef_rec.trc
std::string loudnessCurvePath(const std::string& root, int phon);      // bin/LC10_rec.ldc (10, 50 or 90)

// [host thread] Worn headphones: row clamped to 0..275.
int32_t loadHeadphoneCurveFile(const std::string& root, int row, CurveList& headphone);

// [host thread] Emulated headphones from the live parameters 17, 22 and 23:
// sub = int(2 p17); 2 reads row 199, 1 the row of p23, else the row of p22.
int32_t loadReferenceHeadphoneCurveFile(const std::string& root, float p17, float p22,
                                        float p23, CurveList& reference);

// [host thread] bin/nef_rec.trc.
int32_t loadNefCurveFile(const std::string& root, CurveList& nef);

// [host thread] Monitor from the live parameters 16 and 21: group = int(2 p16);
// 1 reads Yamaha_NS10.mos, 2 the monitor table row of p21, else Genelec_1236A.mos.
int32_t loadMonitorCurveFile(const std::string& root, float p16, float p21,
                             CurveList& reference);

// [host thread] LC10, LC50, LC90 in this order; stops at the first file that
// fails (its levels zeroed, later lists untouched) and returns its code.
int32_t loadLoudnessCurveFiles(const std::string& root, CurveList& lc10, CurveList& lc50,
                               CurveList& lc90);

} // namespace datafiles

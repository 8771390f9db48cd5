#pragma once
#include <cstdint>
#include <string>
#include "CurveList.h"
#include "DataFileCodes.h"

// Turning measurement texts into binary curve files (.hps, .mos): float32 N,
// then N frequencies, then N levels in dB, little-endian.
namespace curveconvert
{

inline constexpr int32_t convertOk = 0;
inline constexpr int32_t convertInputMissing = 3;  // the input cannot be opened
inline constexpr int32_t convertNoPoints = 5;      // no usable point, or input and output are one file
inline constexpr int32_t convertLevelOutOfRange = 6;  // a level beyond datafiles::maxCurveLevelDb
inline constexpr int32_t convertWriteError = 8;    // the output cannot be written

enum class HeadphoneTextFormat
{
    measurement,  // 14 header lines, then "frequency, level, ignored" lines
    pairs,        // "frequency level" lines, no header
};

// [any thread] Reads a headphone text into list (at most 1000 points; lines
// shorter than 4 characters, lines that do not scan and lines with a
// non-finite number are skipped), subtracts the mean level and adds offsetDb
// to every level. Returns convertOk, convertInputMissing, convertNoPoints or,
// when a resulting level lies beyond +-datafiles::maxCurveLevelDb (a file the
// readers would refuse), convertLevelOutOfRange. list changes only with
// convertOk and convertLevelOutOfRange (then it holds the refused levels).
int32_t parseHeadphoneText(const std::string& inputPath, HeadphoneTextFormat format, float offsetDb,
                           CurveList& list);

// [any thread] Reads whitespace-separated numbers in pairs (frequency, level)
// until a number fails to read or 1000 points are held; pairs with a
// non-finite number are skipped. Subtracts the mean level. Codes as above.
int32_t parseMonitorText(const std::string& inputPath, CurveList& list);

// [any thread] Writes list as a curve file through a temporary file renamed
// into place, so a failed write leaves any earlier file as it was. A list of
// no points is not written (convertNoPoints).
int32_t writeCurveFile(const std::string& outputPath, const CurveList& list);

// [any thread] parse then write. Refuses (convertNoPoints, nothing written)
// when outputPath names the input file itself.
int32_t convertHeadphoneText(const std::string& inputPath, const std::string& outputPath,
                             HeadphoneTextFormat format, float offsetDb, CurveList& list);
int32_t convertMonitorText(const std::string& inputPath, const std::string& outputPath, CurveList& list);

// [any thread] Index of the level farthest beyond +-datafiles::maxCurveLevelDb,
// or -1 when every level lies within.
int32_t worstLevelOutOfRange(const CurveList& list);

// Names in the data folder: the text of headphone model "<name>" is
// "<name>.txt" beside its curve "<name>.hps"; the text of monitor file
// "<stem>.mos" is "<stem>.txt".
std::string headphoneTextName(const std::string& modelFileName);
std::string headphoneCurveName(const std::string& modelFileName);
std::string monitorTextName(const std::string& monitorFileName);

} // namespace curveconvert

#pragma once
#include <cstdint>
#include <string>
#include "DataFileCodes.h"

// Listener response files under "<root>/Harlox/Quillatone/bin/":
//   HRTF_subject<NNN>_toQuillatone_IRSleft.hrt / ..._IRSright.hrt:
//     272,500 float32, [25 blocks][50 rows][218 taps], 1,090,000 bytes;
//   Quillatoneltor<NNN>.hrt: 218 float32, 872 bytes.
// NNN is the listener's subject number; listeners outside 0..11 read 003.
//
// Codes: 0 read as a whole; 3 cannot be opened (or no root), nothing changed;
// 8 the file is short: what it holds is stored, the rest of its layout is
// zero; 5 non-finite samples were found and stored as 0 (the rest is loaded).
// No scaling is applied. All loaders: [host thread]; they rewrite the caller's
// arrays in place while the audio thread may read them.
namespace datafiles
{

inline constexpr int listenerCount = 12;
inline constexpr int listenerBlocks = 25;
inline constexpr int listenerRows = 50;
inline constexpr int listenerTaps = 218;        // taps stored per row in a file
inline constexpr int listenerRowStride = 300;  // taps per row in the tables
inline constexpr int flatHrtfTaps = 200;

using ListenerTable = float[listenerBlocks][listenerRows][listenerRowStride];
using ListenerRow = float[listenerRowStride];

// [any thread] Subject number of a listener index (3, 8, 9, 10, 11, 12, 15,
// 17, 18, 19, 20, 21); any other index gives 3.
int listenerSubject(int listener);

// [any thread] Paths ("" when root is ""). channel 0 left, anything else right.
std::string hrtfFilePath(const std::string& root, int channel, int listener);
std::string leftToRightFilePath(const std::string& root, int listener);
std::string flatHrtfFilePath(const std::string& root); // HRTF_subject003_toQuillatone.hrt

// [host thread] Reads the ear's file into taps 0..217 of every row of table;
// taps 218..299 are never touched. Does not read the left-to-right file:
// Controlsgui::loadHrtf calls loadLeftToRightFile first, then this for
// channel 0 or 1 (any other channel loads nothing and answers 0).
int32_t loadHrtfFile(const std::string& root, int channel, int listener, ListenerTable& table);

// [host thread] Reads the left-to-right file into taps 0..217 of response,
// sets unitImpulse to 1 at tap 0 and 0 at taps 1..217, and sum to the float32
// sum of |response|. An all-zero (or underflowing) response stores sum = 1, so
// the chain's division by sum never divides by zero. Missing file: nothing
// changes, answers 3.
int32_t loadLeftToRightFile(const std::string& root, int listener, ListenerRow& response,
                            ListenerRow& unitImpulse, float& sum);

// [host thread] Opens the flat listener file (25 x 50 x 200 float32), reads
// and discards it, and sets taps 0..199 of every row of table to 1.0.
// Missing file: answers 3 and leaves table alone. Nothing calls it.
int32_t loadFlatHrtfFile(const std::string& root, ListenerTable& table);

} // namespace datafiles

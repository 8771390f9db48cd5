#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The processor's RIFF/WAVE reader.
namespace places
{

// Result codes, the same as the other data-file loaders.
inline constexpr int32_t waveOk = 0;          // read whole
inline constexpr int32_t waveCannotOpen = 3;  // missing or unreadable
inline constexpr int32_t waveInvalid = 5;     // not RIFF/WAVE, or a format not decoded
inline constexpr int32_t waveReadError = 8;   // the data ended before its stated size
inline constexpr int32_t waveCut = 9;         // more frames than the buffers hold

// Longest data the reader takes, whatever the buffers hold.
inline constexpr size_t waveMaxFrames = 1400000;

// [host thread] Reads the file at path into left and right, each holding
// capacity samples. Accepted: tags 0 and 1 (integer PCM: 16, 24 and 32 bits)
// and 3 (IEEE float: 32 and 64 bits), any channel count from 1. Mono goes to
// both buffers; otherwise the first two channels of every frame go to left
// then right, so passing the same buffer twice keeps the second channel.
// Float samples that are not finite or beyond datafiles::maxResponseMagnitude
// are stored as 0. Integers are scaled with one polarity: int16 by 1/32767, int24 and int32 by
// 1/2^31. Chunks are walked by their sizes (odd sizes padded), at most 999
// skipped before "fmt " and again before "data".
//
// Returns waveInvalid, leaving both buffers untouched, for a file that is not
// RIFF/WAVE, lacks "fmt " or "data", has an "fmt " shorter than 16 bytes,
// zero channels, or a tag or sample size not listed above. Otherwise frame i
// is stored at index i for at most min(capacity, waveMaxFrames) frames, never
// beyond; more frames answer waveCut. Data that ends early keeps what was read
// (later samples untouched) and answers waveReadError.
int32_t readWaveFile(const std::string& path, float* left, float* right, size_t capacity);

} // namespace places

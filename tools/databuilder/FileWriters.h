#pragma once
#include <string>
#include <vector>

// Little-endian writers for the data files. Each returns false when the file
// cannot be written completely.
namespace databuilder
{

// Raw float32 values (listener files).
bool writeFloatFile(const std::string& path, const std::vector<float>& values);

// Curve file: float32 N, N frequencies, N levels.
bool writeCurveFile(const std::string& path, const std::vector<float>& hz,
                    const std::vector<float>& db);

// Mono 32-bit float RIFF/WAVE (format tag 3).
bool writeFloatWav(const std::string& path, const std::vector<float>& samples, int sampleRate);

// The same with any number of channels of equal length, interleaved.
bool writeFloatWav(const std::string& path, const std::vector<std::vector<float>>& channels,
                   int sampleRate);

bool writeTextFile(const std::string& path, const std::string& text);

} // namespace databuilder

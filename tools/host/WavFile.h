// RIFF/WAVE files for the command-line host: reads 16, 24 and 32-bit integer
// and 32-bit float PCM (plain or extensible format, mono or stereo) and
// writes 32-bit float files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testhost {

struct WavAudio {
    uint32_t sampleRate = 0;
    std::vector<std::vector<float>> channels;  // planar, all of one length

    size_t frames() const { return channels.empty() ? 0 : channels[0].size(); }
};

struct WavReadResult {
    bool ok = false;
    std::string error;      // why the file was refused, when !ok
    bool truncated = false;  // the data chunk claimed more bytes than the file holds
    uint16_t bitsPerSample = 0;
    bool isFloat = false;
};

// [any thread] Integer samples scale by 1/2^(bits-1), so full scale is -1..1;
// float samples are taken as stored. A data chunk cut short by the end of the
// file yields its whole frames with truncated set.
WavReadResult readWav(const std::string& path, WavAudio& audio);

// [any thread] Writes the channels as 32-bit float (format 3 with a fact
// chunk). The file appears under its name only when completely written.
bool writeWavFloat(const std::string& path, const WavAudio& audio, std::string& error);

}  // namespace testhost

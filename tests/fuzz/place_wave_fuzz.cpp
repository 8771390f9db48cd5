// The place-response WAV reader.
#include <cmath>
#include <vector>

#include "DataFileCodes.h"
#include "FuzzSupport.h"
#include "WaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzzsupport::scratchFile("place.wav", data, size);
    static std::vector<float> left(4096), right(4096);
    const int32_t code = places::readWaveFile(path, left.data(), right.data(), left.size());
    if (code != places::waveOk && code != places::waveInvalid && code != places::waveReadError &&
        code != places::waveCut)
        std::abort();
    for (size_t i = 0; i < left.size(); ++i)
        if (!datafiles::withinBound(left[i], datafiles::maxResponseMagnitude) ||
            !datafiles::withinBound(right[i], datafiles::maxResponseMagnitude))
            std::abort();
    return 0;
}

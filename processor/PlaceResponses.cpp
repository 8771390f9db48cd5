#include "PlaceResponses.h"

#include <algorithm>

#include "DataFolder.h"
#include "WaveFile.h"

namespace places
{
namespace
{

// In the order of the Place enumeration.
constexpr PlaceFiles placeTable[placeCount] = {
    {"Office", "Quillatone_uff"},
    {"Small_warm", "Small_warm"},
    {"Medium_warm", "Medium_warm"},
    {"Medium_clear", "Medium_clear"},
    {"Punto", "Punto_center"},
    {"Buddy", "Buddy"},
};

float clampUnit(float v)
{
    if (!(v > 0.0f))
        return 0.0f;  // NaN too
    return v < 1.0f ? v : 1.0f;
}

} // namespace

const PlaceFiles& placeFiles(Place place) { return placeTable[static_cast<int>(place)]; }

Place choosePlace(float variant, float placeIndex)
{
    const int sub = static_cast<int>(2.0f * clampUnit(variant));
    if (sub == 2)
        return Place::buddy;
    if (sub == 1)
        return Place::punto;
    switch (static_cast<int>(100.0f * clampUnit(placeIndex) + 0.49f))
    {
    case 0: return Place::office;
    case 2: return Place::mediumWarm;
    case 3: return Place::mediumClear;
    default: return Place::smallWarm;
    }
}

std::string placeFilePath(const std::string& placesFolder, Place place, int k)
{
    if (placesFolder.empty())
        return {};
    const PlaceFiles& files = placeFiles(place);
    return datafiles::joinPath(placesFolder,
                               std::string(files.folder) + "/" + files.prefix + "_" + std::to_string(k) + ".wav");
}

void loadPlaceResponses(const std::string& placesFolder, Place place, float* const buffers[placeFileCount],
                        size_t capacity, int32_t* codes)
{
    for (int k = 0; k < placeFileCount; ++k)
        std::fill(buffers[k], buffers[k] + capacity, 0.0f);
    for (int k = 0; k < placeFileCount; ++k)
    {
        const std::string path = placeFilePath(placesFolder, place, k + 1);
        const int32_t code = path.empty() ? waveCannotOpen : readWaveFile(path, buffers[k], buffers[k], capacity);
        if (codes)
            codes[k] = code;
    }
}

} // namespace places

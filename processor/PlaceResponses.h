#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The recorded places of mode PLACES: six places of four WAV files each,
// under "<product folder>/Places/<folder>/<prefix>_<k>.wav", k = 1..4.
namespace places
{

inline constexpr int placeCount = 6;
inline constexpr int placeFileCount = 4;
inline constexpr size_t placeResponseCapacity = 192000;

enum class Place
{
    office,
    smallWarm,
    mediumWarm,
    mediumClear,
    punto,
    buddy,
};

struct PlaceFiles
{
    const char* folder;  // folder under "Places"
    const char* prefix;  // file k is prefix + "_" + k + ".wav"
};

// [any thread] Folder and file prefix of a place.
const PlaceFiles& placeFiles(Place place);

// [any thread] The place chosen by parameter 18 (variant) and parameter 25
// (place index), each clamped to 0..1 with NaN as 0: variant int(2 v18) 2 is
// Buddy, 1 Punto; variant 0 takes the place index int(100 v25 + 0.49):
// 0 Office, 2 Medium_warm, 3 Medium_clear, any other Small_warm.
Place choosePlace(float variant, float placeIndex);

// [any thread] "<placesFolder>/<folder>/<prefix>_<k>.wav"; "" when
// placesFolder is "" (no data root).
std::string placeFilePath(const std::string& placesFolder, Place place, int k);

// [host thread] Zeroes the four buffers (capacity samples each), then reads
// file k of the place into buffer k - 1, the same buffer given for both
// channels (a stereo file leaves its second channel). A missing or bad file
// leaves its buffer zero. codes, when given, receives the four reader results.
void loadPlaceResponses(const std::string& placesFolder, Place place, float* const buffers[placeFileCount],
                        size_t capacity, int32_t* codes = nullptr);

} // namespace places

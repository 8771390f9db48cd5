#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Curves.h"
#include "ListenerSet.h"

// Place recordings from a shoebox image-source model with a decaying,
// decorrelated late tail. Each place gives four mono responses, one per place
// source of the chain; every arrival goes to the response whose source
// direction is nearest (a tie in front is split between sources 3 and 4).
namespace databuilder
{

inline constexpr int placeFrames = 44100;
inline constexpr int placeSources = 4;

struct Place
{
    const char* folder;      // folder under Places
    const char* filePrefix;  // files are <prefix>_1.wav ... _4.wav
    double size[3];          // room length (front), width (left), height in m
    double listener[3];      // ear position, facing +x
    double source[3];        // the loudspeaker
    double rt60Low;          // s, up to 250 Hz
    double rt60High;         // s, from 4 kHz
    double bassGainDb;       // extra gain below 100 Hz (cabin gain)
    uint32_t seed;
};

extern const Place places[6];

// Grid position [block][row] of place source k (0..3) at the default
// azimuth and elevation.
void placeSourceRow(int source, int& block, int& row);

struct PlaceResponses
{
    std::vector<float> files[placeSources];
    double levelScale = 1.0;
};

// Renders the four responses, then scales them together so that the chain's
// place path (0.125 * sum of response k through listener row k, with the
// correction 1 / reference curve) has 0 dB mean power for pink noise.
PlaceResponses renderPlace(const Place& place, const ListenerSet& listener,
                           const Curve& referenceCurve);

} // namespace databuilder

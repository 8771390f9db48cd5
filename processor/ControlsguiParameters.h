#pragma once
#include <cmath>
#include <cstdint>

// The processor's 38 parameters and 50 programs: names, defaults and the
// decoding shared by the actions, the signal chain and the program records.
namespace controls
{

inline constexpr int parameterCount = 38;
inline constexpr int programCount = 50;
inline constexpr int programNameSize = 24;  // bytes, terminator included

// Indices with a meaning of their own.
enum Parameter : int
{
    pHeadphones = 0,
    pPerson = 1,
    pStudio = 2,
    pAzimuth = 3,
    pElevation = 4,
    pGain = 6,
    pVolume = 7,
    pEqualiserFirst = 9,   // 9..14 feed the target curve
    pEqualiserLevel1 = 10,
    pEqualiserLevel2 = 12,
    pEqualiserLevel3 = 14,
    pMode = 15,
    pMixVariant = 16,
    pHeadphonesVariant = 17,
    pPlacesVariant = 18,
    pMonitor = 21,
    pEmulatedA = 22,
    pEmulatedB = 23,
    pPlace = 25,
    pTrimFirst = 28,       // 28 + 3 mode + variant
    pMoveable = 37,
};

enum Mode : int
{
    modeMix = 0,
    modeHeadphones = 1,
    modePlaces = 2,
};

struct ParameterInfo
{
    const char* name;
    float defaultValue;
};

inline constexpr ParameterInfo parameterTable[parameterCount] = {
    {"Headphones", 0.006f}, {"Person", 0.0f},  {"Studio", 0.0f},   {"Azimuth", 0.5f},
    {"Elevation", 0.55f},   {"-", 0.5f},       {"Gain", 0.5f},     {"Volume", 0.5f},
    {"-", 0.5f},            {"-", 0.5f},       {"-", 0.75f},       {"-", 0.5f},
    {"-", 0.75f},           {"-", 0.5f},       {"-", 0.75f},       {"-", 0.0f},
    {"-", 0.0f},            {"-", 0.0f},       {"-", 0.0f},        {"-", 0.0f},
    {"-", 0.0f},            {"-", 0.0f},       {"-", 0.0f},        {"-", 0.0f},
    {"-", 0.0f},            {"-", 0.0f},       {"-", 0.0f},        {"-", 0.0f},
    {"-", 0.5f},            {"-", 0.5f},       {"-", 0.5f},        {"-", 0.5f},
    {"-", 0.5f},            {"-", 0.5f},       {"-", 0.5f},        {"-", 0.5f},
    {"-", 0.5f},            {"Moveable", 0.1f},
};

// [any thread]
inline bool isParameterIndex(int32_t index) { return index >= 0 && index < parameterCount; }

// A stored value as the decoders see it: clamped to 0..1, NaN as 0.
// Values are stored as given; only their use is clamped. [any thread]
inline float clampUnit(float v)
{
    if (!(v > 0.0f))
        return 0.0f;  // NaN, zero and negatives
    return v < 1.0f ? v : 1.0f;
}

// int(2 v): 0, 1 or 2. [any thread]
inline int decodeSelector(float v) { return int(2.0f * clampUnit(v)); }

// int(100 v + 0.5): the listener (0..100; past 11 reads listener 0's data).
// [any thread]
inline int decodeListener(float v) { return int(100.0f * clampUnit(v) + 0.5f); }

// int(100 v + 0.49) clamped to 0..6. [any thread]
inline int decodeStudio(float v)
{
    const int s = int(100.0f * clampUnit(v) + 0.49f);
    return s < 6 ? s : 6;
}

// The output trim: 10^((30 t - 15) / 20), -15 dB to +15 dB, 0.5 giving
// exactly 1. [any thread]
inline float trimGainOf(float t)
{
    return std::pow(10.0f, (30.0f * clampUnit(t) - 15.0f) * 0.05f);
}

} // namespace controls

#pragma once
#include <cstdint>

// Constant model tables: headphones, monitors and synthetic studios, with the
// decoding of the parameter values that select their rows. Every decoder
// clamps its value to 0..1 first (NaN counts as 0) and its row to the table,
// so no parameter value can index outside a table. Arithmetic is float32 with
// truncation toward zero, as the editor's item values i * 0.001f and i * 0.01f
// come back exactly as i. All functions: [any thread].
namespace datafiles
{

struct HeadphoneModel
{
    const char* brand;     // brand text as listed (row 5 ends in a space)
    const char* fileName;  // curve file is "HP/" + fileName + ".hps"
    const char* menuLabel; // brand + " " + fileName
};

inline constexpr int headphoneModelCount = 276;
inline constexpr int headphoneRowInitial = 199;     // "HD25 Aluminium": initialise, HEADPHONES variant C
extern const HeadphoneModel headphoneModelTable[headphoneModelCount];
extern const float headphoneModelLevelOffsets[headphoneModelCount]; // all 0 dB

inline constexpr int monitorTableCount = 6;
extern const char* const monitorFileTable[monitorTableCount]; // names with ".mos"
extern const char* const monitorMenuTable[monitorTableCount];
inline constexpr const char* monitorGroup0File = "Genelec_1236A.mos";
inline constexpr const char* monitorGroup1File = "Yamaha_NS10.mos";

struct StudioModel
{
    const char* menuLabel;
    float decay;        // studio decay table: tail level ratio
    float damping;      // studio damping table: early damping
    float lateDamping;  // studio table: late damping
    float gain;         // studio gain table: gain of the studio path
};

inline constexpr int studioCount = 7;
extern const StudioModel studioTable[studioCount];

// Parameter value clamped to 0..1; NaN gives 0.
float clampParameter(float v);

// int(2 v): 0, 1 or 2 (modes and variants).
int decodeSelector(float v);

// Worn headphones (parameter 0): int(1000 v), clamped to 0..275.
int decodeWornHeadphoneRow(float v);

// Emulated headphones (parameters 22, 23): int(1000 v + 0.49), clamped to 0..275.
int decodeEmulatedHeadphoneRow(float v);

// Monitor of group 2 (parameter 21): int(100 v + 0.49), clamped to 0..5.
int decodeMonitorRow(float v);

// Studio (parameter 2): int(100 v + 0.49), clamped to 0..6.
int decodeStudioIndex(float v);

// Listener (parameter 1): int(100 v + 0.5), 0..100; indices past 11 read
// subject 003 like index 0 (see ListenerResponses.h).
int decodeListener(float v);

// Row numbers clamped to their tables (for callers holding a raw row).
int clampHeadphoneRow(int row);
int clampMonitorRow(int row);
int clampStudioIndex(int index);

} // namespace datafiles

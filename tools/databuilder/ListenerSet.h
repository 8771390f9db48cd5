#pragma once
#include <string>
#include <vector>

// Listener response tables built from a SOFA set of head-related responses,
// laid out as the listener files are: [25 blocks][50 rows][218 taps].
namespace databuilder
{

inline constexpr int gridBlocks = 25;
inline constexpr int gridRows = 50;
inline constexpr int gridTaps = 218;
inline constexpr int fadeTaps = 24;
inline constexpr int onsetLead = 8;
inline constexpr double outputRate = 48000.0;

// Lateral angle of a block in degrees (negative is left).
double blockLateralAngle(int block);
// Polar angle of a row in degrees: 5.625 r, rows 42..49 below ear level.
double rowPolarAngle(int row);
// Unit direction of (lateral, polar) with x to the front, y to the left, z up.
void gridDirection(int block, int row, double direction[3]);

struct ListenerSet
{
    double headScale = 1.0;      // the set was opened at 48000 * headScale
    int onset = 0;               // first tap taken from the raw responses
    double levelScale = 1.0;     // applied to every response
    std::vector<float> left;     // 25 * 50 * 218
    std::vector<float> right;

    const float* row(bool rightEar, int block, int gridRow) const
    {
        return (rightEar ? right : left).data() + (size_t(block) * gridRows + gridRow) * gridTaps;
    }
};

// Opens the SOFA file at 48000 * headScale without normalisation, samples
// every grid direction, takes 218 taps from the common onset minus 8 with a
// half-Hann fade over the last 24, and scales the set so that the left ear's
// blocks 6 and 18 at row 0 sum to 0 dB over 200-1000 Hz. False with a message
// when the file cannot be read.
bool buildListenerSet(const std::string& sofaPath, double headScale, ListenerSet& set,
                      std::string& error);

// Left-to-right response of a set (block 6, row 0): contralateral over
// ipsilateral, |X| <= 1, low-passed at 12 kHz, 218 taps from tap 0 (so the
// interaural delay stays) with a fade.
std::vector<float> leftToRightResponse(const ListenerSet& set);

// Peak tap of a response (largest magnitude).
int peakTap(const float* response, int taps);

} // namespace databuilder

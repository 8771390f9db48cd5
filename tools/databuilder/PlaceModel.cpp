#include "PlaceModel.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "Fft.h"

namespace databuilder
{

const Place places[6] = {
    // folder          prefix             size (m)            listener (ears)      loudspeaker          RT60 low/high  bass  seed
    { "Office",       "Quillatone_uff", { 5.0, 4.0, 2.8 }, { 1.6, 1.9, 1.2 }, { 3.4, 1.9, 1.2 },  0.45, 0.45, 0.0, 101 },
    { "Small_warm",   "Small_warm",     { 3.5, 3.0, 2.5 }, { 1.1, 1.4, 1.2 }, { 2.6, 1.4, 1.2 },  0.35, 0.20, 0.0, 102 },
    { "Medium_warm",  "Medium_warm",    { 7.0, 5.0, 3.0 }, { 2.6, 2.4, 1.2 }, { 5.2, 2.4, 1.2 },  0.60, 0.35, 0.0, 103 },
    { "Medium_clear", "Medium_clear",   { 7.0, 5.0, 3.0 }, { 2.6, 2.4, 1.2 }, { 5.2, 2.4, 1.2 },  0.50, 0.50, 0.0, 104 },
    { "Punto",        "Punto_center",   { 1.8, 1.4, 1.1 }, { 0.8, 0.95, 0.75 }, { 1.55, 0.7, 0.6 }, 0.08, 0.08, 6.0, 105 },
    { "Buddy",        "Buddy",          { 5.5, 4.5, 2.6 }, { 2.2, 2.1, 1.1 }, { 4.6, 2.1, 1.1 },  0.50, 0.50, 0.0, 106 },
};

namespace
{
constexpr double speedOfSound = 343.0;
constexpr double earlyEnd = 0.080;     // image sources up to 80 ms
constexpr double crossfadeStart = 0.050;
constexpr int bandCount = 9;           // octaves 62.5 Hz ... 16 kHz
constexpr size_t fftSize = 65536;
constexpr int sincHalf = 8;

// Place sources of the chain at the default azimuth and elevation.
const int sourceBlocks[placeSources] = { 3, 21, 3, 21 };
const int sourceRows[placeSources] = { 16, 32, 48, 0 };

double bandRt60(const Place& place, int band)
{
    const double t = std::clamp((band - 2) / 4.0, 0.0, 1.0);
    double rt = place.rt60Low + t * (place.rt60High - place.rt60Low);
    if (band == 7)
        rt *= 0.85; // air absorption
    if (band == 8)
        rt *= 0.7;
    return rt;
}

// Octave band masks, raised-cosine in log frequency; they sum to 1.
double bandMask(int band, double hz)
{
    const double x = hz > 0.0 ? std::log2(hz / 62.5) : -1e9;
    if (band == 0 && x <= 0.0)
        return 1.0;
    if (band == bandCount - 1 && x >= bandCount - 1)
        return 1.0;
    const double d = std::fabs(x - band);
    if (d >= 1.0)
        return 0.0;
    const double c = std::cos(0.5 * M_PI * d);
    return c * c;
}

// Deterministic Gaussian noise (Box-Muller on mt19937, which is specified).
class Noise
{
public:
    explicit Noise(uint32_t seed) : engine_(seed) {}
    double next()
    {
        const double u1 = (double(engine_()) + 1.0) / 4294967296.0;
        const double u2 = double(engine_()) / 4294967296.0;
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
    }

private:
    std::mt19937 engine_;
};

void addArrival(std::vector<double>& signal, double position, double amplitude)
{
    const long base = long(std::floor(position));
    for (long j = -sincHalf + 1; j <= sincHalf; ++j)
    {
        const long index = base + j;
        if (index < 0 || index >= long(signal.size()))
            continue;
        const double x = double(index) - position;
        const double sinc = std::fabs(x) < 1e-9 ? 1.0 : std::sin(M_PI * x) / (M_PI * x);
        const double window = 0.5 * (1.0 + std::cos(M_PI * x / sincHalf));
        signal[size_t(index)] += amplitude * sinc * window;
    }
}

void sourceDirection(int source, double direction[3])
{
    gridDirection(sourceBlocks[source], sourceRows[source], direction);
}
} // namespace

void placeSourceRow(int source, int& block, int& row)
{
    block = sourceBlocks[source];
    row = sourceRows[source];
}

PlaceResponses renderPlace(const Place& place, const ListenerSet& listener,
                           const Curve& referenceCurve)
{
    const double rate = outputRate;
    const double* L = place.size;
    const double volume = L[0] * L[1] * L[2];
    const double surface = 2.0 * (L[0] * L[1] + L[0] * L[2] + L[1] * L[2]);

    double reflection[bandCount]; // pressure reflection factor per band (Eyring)
    for (int b = 0; b < bandCount; ++b)
        reflection[b] = std::exp(-0.0805 * volume / (surface * bandRt60(place, b)));

    double directions[placeSources][3];
    for (int k = 0; k < placeSources; ++k)
        sourceDirection(k, directions[k]);

    // Early part: image sources, band by band, routed by direction.
    std::vector<double> band[placeSources][bandCount];
    for (auto& perSource : band)
        for (auto& signal : perSource)
            signal.assign(fftSize, 0.0);
    double windowEnergy[bandCount] = {};

    const double maxDistance = speedOfSound * earlyEnd;
    int range[3];
    for (int a = 0; a < 3; ++a)
        range[a] = int(std::ceil(maxDistance / (2.0 * L[a]))) + 1;
    for (int nx = -range[0]; nx <= range[0]; ++nx)
        for (int ny = -range[1]; ny <= range[1]; ++ny)
            for (int nz = -range[2]; nz <= range[2]; ++nz)
                for (int parity = 0; parity < 8; ++parity)
                {
                    const int n[3] = { nx, ny, nz };
                    double v[3];
                    int reflections = 0;
                    for (int a = 0; a < 3; ++a)
                    {
                        const int q = (parity >> a) & 1;
                        const double image = (1 - 2 * q) * place.source[a] + 2.0 * n[a] * L[a];
                        v[a] = image - place.listener[a];
                        reflections += std::abs(2 * n[a] - q);
                    }
                    const double r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
                    const double t = r / speedOfSound;
                    if (t > earlyEnd)
                        continue;
                    const double fade = t <= crossfadeStart
                                            ? 1.0
                                            : std::cos(0.5 * M_PI * (t - crossfadeStart) /
                                                       (earlyEnd - crossfadeStart));
                    // Nearest place source; a tie between the two front ones is split.
                    double dots[placeSources];
                    int nearest = 0;
                    for (int k = 0; k < placeSources; ++k)
                    {
                        dots[k] = (v[0] * directions[k][0] + v[1] * directions[k][1] +
                                   v[2] * directions[k][2]) / r;
                        if (dots[k] > dots[nearest])
                            nearest = k;
                    }
                    const bool frontTie = (nearest == 2 || nearest == 3) &&
                                          std::fabs(dots[2] - dots[3]) < 0.05;
                    for (int b = 0; b < bandCount; ++b)
                    {
                        const double amplitude = std::pow(reflection[b], reflections) / r;
                        if (t >= crossfadeStart)
                            windowEnergy[b] += amplitude * amplitude;
                        if (frontTie)
                        {
                            addArrival(band[2][b], t * rate, 0.5 * amplitude * fade);
                            addArrival(band[3][b], t * rate, 0.5 * amplitude * fade);
                        }
                        else
                            addArrival(band[nearest][b], t * rate, amplitude * fade);
                    }
                }

    // Late part: decorrelated noise per response and band, decaying at the
    // band's RT60, fading in over the crossfade, matched in energy to the
    // image sources that arrive in the crossfade window.
    for (int b = 0; b < bandCount; ++b)
    {
        const double decay = std::log(1000.0) / bandRt60(place, b); // 60 dB in amplitude
        double envelopeEnergy = 0.0;
        for (size_t i = size_t(crossfadeStart * rate); i <= size_t(earlyEnd * rate); ++i)
            envelopeEnergy += std::exp(-2.0 * decay * double(i) / rate);
        const double sigma = std::sqrt(windowEnergy[b] / (placeSources * envelopeEnergy));
        for (int k = 0; k < placeSources; ++k)
        {
            Noise noise(place.seed * 1000u + uint32_t(k) * 16u + uint32_t(b));
            for (size_t i = size_t(crossfadeStart * rate); i < size_t(placeFrames); ++i)
            {
                const double t = double(i) / rate;
                const double fadeIn =
                    t >= earlyEnd ? 1.0
                                  : std::sin(0.5 * M_PI * (t - crossfadeStart) / (earlyEnd - crossfadeStart));
                band[k][b][i] += sigma * fadeIn * std::exp(-decay * t) * noise.next();
            }
        }
    }

    // Band filtering and the cabin gain, in the frequency domain.
    const double bassGain = std::pow(10.0, place.bassGainDb / 20.0);
    PlaceResponses result;
    Spectrum fileSpectra[placeSources];
    for (int k = 0; k < placeSources; ++k)
    {
        Spectrum sum(fftSize);
        for (int b = 0; b < bandCount; ++b)
        {
            Spectrum spectrum(band[k][b].begin(), band[k][b].end());
            fft(spectrum, false);
            for (size_t bin = 0; bin <= fftSize / 2; ++bin)
            {
                const double hz = bin * rate / fftSize;
                const double mask = bandMask(b, hz) * (1.0 + (bassGain - 1.0) / (1.0 + (hz / 100.0) * (hz / 100.0)));
                sum[bin] += spectrum[bin] * mask;
            }
        }
        for (size_t bin = 1; bin < fftSize / 2; ++bin)
            sum[fftSize - bin] = std::conj(sum[bin]);
        sum[0] = sum[0].real();
        sum[fftSize / 2] = sum[fftSize / 2].real();
        const std::vector<double> signal = realInverse(sum);
        result.files[k].assign(signal.begin(), signal.begin() + placeFrames);
        fileSpectra[k] = realSpectrum(result.files[k].data(), placeFrames, fftSize);
    }

    // Level: the chain's place path for pink noise, both ears, 20 Hz - 20 kHz.
    Spectrum hrir[2][placeSources];
    for (int ear = 0; ear < 2; ++ear)
        for (int k = 0; k < placeSources; ++k)
            hrir[ear][k] = realSpectrum(listener.row(ear == 1, sourceBlocks[k], sourceRows[k]),
                                        gridTaps, fftSize);
    double power = 0.0;
    int points = 0;
    for (int i = 0; i < 400; ++i)
    {
        const double hz = 20.0 * std::pow(1000.0, i / 399.0);
        const size_t bin = size_t(std::lround(hz * fftSize / rate));
        const double correction = std::pow(10.0, -curveLevelAt(referenceCurve, hz) / 20.0);
        for (int ear = 0; ear < 2; ++ear)
        {
            std::complex<double> path = 0.0;
            for (int k = 0; k < placeSources; ++k)
                path += fileSpectra[k][bin] * hrir[ear][k][bin];
            power += std::norm(0.125 * correction * path);
            ++points;
        }
    }
    power /= points;
    result.levelScale = power > 0.0 ? 1.0 / std::sqrt(power) : 1.0;
    for (auto& file : result.files)
        for (float& v : file)
            v = float(v * result.levelScale);
    return result;
}

} // namespace databuilder

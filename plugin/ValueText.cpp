// Value-to-text operations of AudioEffect.
#include "AudioEffect.h"

#include <cmath>
#include <cstring>

void vstCopyText(char* text, const char* source, VstInt32 maxLen) {
    if (!text || maxLen < 0)
        return;
    VstInt32 n = 0;
    if (source)
        while (n < maxLen && source[n])
            ++n;
    if (n > 0)
        std::memcpy(text, source, static_cast<size_t>(n));
    text[n] = 0;
    text[maxLen] = 0;
}

namespace {

const char kHuge[] = "Huge!";
constexpr int kBudget = 8;  // sign, point and digits

// Formats value into out (at least 16 bytes) with the 8-character budget.
void formatFloat(double v, char* out) {
    if (!std::isfinite(v) || v > 99999999.0 || v < -9999999.0) {
        std::strcpy(out, kHuge);
        return;
    }
    const bool negative = v < 0;
    double magnitude = negative ? -v : v;
    int count = negative ? 1 : 0;
    ++count;  // the point

    // Integer digits, least significant first, into the tail of a scratch buffer.
    char integer[kBudget + 1];
    int pos = kBudget;
    double integ = std::floor(magnitude);
    do {
        integer[--pos] = static_cast<char>('0' + static_cast<int>(std::fmod(integ, 10.0)));
        integ = std::floor(integ / 10.0);
        ++count;
    } while (integ >= 1.0 && count < kBudget);

    char* o = out;
    if (negative)
        *o++ = '-';
    std::memcpy(o, integer + pos, static_cast<size_t>(kBudget - pos));
    o += kBudget - pos;
    *o++ = '.';

    // Fraction: scaled to the characters left, digits taken from the least
    // significant end, so it is truncated rather than rounded.
    const int left = kBudget - count;
    if (left > 0) {
        double mantissa = std::fmod(magnitude, 1.0) * std::pow(10.0, left);
        for (int i = left - 1; i >= 0; --i) {
            if (mantissa <= 0) {
                o[i] = '0';
            } else {
                o[i] = static_cast<char>('0' + static_cast<int>(std::fmod(mantissa, 10.0)));
                mantissa /= 10.0;
            }
        }
        o += left;
    }
    *o = 0;
}

// Narrows to float; magnitudes beyond float's range become infinities.
float narrow(double v) {
    if (v > 3.4028234663852886e38)
        return INFINITY;
    if (v < -3.4028234663852886e38)
        return -INFINITY;
    return static_cast<float>(v);
}

}  // namespace

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen) {
    char out[24];
    formatFloat(static_cast<double>(value), out);
    vstCopyText(text, out, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen) {
    // Eight digits at most; larger magnitudes (either sign) do not fit.
    if (value >= 100000000 || value <= -100000000) {
        vstCopyText(text, kHuge, maxLen);
        return;
    }
    char out[16];
    char digits[12];
    int n = 0;
    long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    char* o = out;
    if (value < 0)
        *o++ = '-';
    while (n > 0)
        *o++ = digits[--n];
    *o = 0;
    vstCopyText(text, out, maxLen);
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen) {
    if (value <= 0)
        vstCopyText(text, "-oo", maxLen);
    else
        float2string(narrow(20.0 * std::log10(static_cast<double>(value))), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen) {
    if (samples == 0)
        float2string(0.0f, text, maxLen);
    else
        float2string(sampleRate / samples, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen) {
    float2string(narrow(static_cast<double>(samples) * 1000.0 / static_cast<double>(sampleRate)), text, maxLen);
}

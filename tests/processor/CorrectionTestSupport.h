#pragma once
// Shared by the correction tests: one design-table build per test program, an
// analytic response of a coefficient record, and curve-list helpers.
#include "CorrectionFilter.h"
#include "CurveList.h"
#include "DesignTables.h"

#include <xmmintrin.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace correction_test
{
using namespace correction;
using Complex = std::complex<double>;
constexpr double pi = 3.14159265358979323846;

struct OwnedDesignTables
{
    float poleA1[sectionCount];
    float poleA2[sectionCount];
    std::vector<double> basisReal = std::vector<double>(basisValueCount);
    std::vector<double> basisImag = std::vector<double>(basisValueCount);
    std::vector<double> normalInverse = std::vector<double>(normalValueCount);

    DesignTableArrays arrays() { return {basisReal.data(), basisImag.data(), normalInverse.data()}; }
};

// Built once per test program.
inline OwnedDesignTables& sharedDesignTables()
{
    static std::unique_ptr<OwnedDesignTables> tables = [] {
        auto t = std::make_unique<OwnedDesignTables>();
        computeCorrectionPoles(t->poleA1, t->poleA2);
        if (!buildDesignTables(t->poleA1, t->poleA2, t->arrays()))
            throw std::runtime_error("design tables did not build");
        return t;
    }();
    return *tables;
}

// Angular frequency of design bin i.
inline double binAngle(int bin) { return pi * bin / 8191.0; }

// Response of section k's denominator inverse, straight from the pole formula.
inline Complex sectionResponse(const float* a1, const float* a2, int k, double w)
{
    const Complex z1 = std::polar(1.0, -w);
    return 1.0 / (1.0 + double(a1[k]) * z1 + double(a2[k]) * z1 * z1);
}

// The parallel-form response of a record at angle w.
inline Complex recordResponse(const float* record, const float* a1, const float* a2, double w)
{
    const Complex z1 = std::polar(1.0, -w);
    Complex sum = double(record[dryTap]);
    for (int k = 0; k < sectionCount; ++k)
        sum += (double(record[2 * k]) + double(record[2 * k + 1]) * z1) * sectionResponse(a1, a2, k, w);
    for (int m = 0; m < directTapCount; ++m)
        sum += double(record[firstDirectTap + m]) * std::polar(1.0, -(m + 1) * w);
    return sum;
}

// The record's impulse response through the chain's own filter code.
inline std::vector<double> impulseResponse(const float* record, const float* a1, const float* a2, int length)
{
    const unsigned int saved = _mm_getcsr();
    _mm_setcsr(saved | 0x8040);  // flush denormals, as the audio thread does
    CorrectionFilterState state;
    state.reset();
    std::vector<double> out(length);
    for (int n = 0; n < length; ++n)
        out[n] = processCorrectionSample(record, a1, a2, state, n == 0 ? 1.0f : 0.0f);
    _mm_setcsr(saved);
    return out;
}

// Direct DFT of a real sequence at angle w, in long double.
inline Complex directDft(const std::vector<double>& x, double w)
{
    long double re = 0, im = 0;
    const long double c = std::cos((long double)w), s = std::sin((long double)w);
    long double cr = 1, ci = 0;  // e^{-j w n}
    for (std::size_t n = 0; n < x.size(); ++n)
    {
        re += x[n] * cr;
        im += x[n] * ci;
        const long double nr = cr * c + ci * s;
        ci = ci * c - cr * s;
        cr = nr;
        if ((n & 1023) == 1023)  // renormalise the rotation
        {
            const long double norm = std::sqrt(cr * cr + ci * ci);
            cr /= norm;
            ci /= norm;
        }
    }
    return Complex(double(re), double(im));
}

inline double decibels(double magnitude) { return 20.0 * std::log10(magnitude); }

inline CurveList makeCurve(const std::vector<float>& hz, const std::vector<float>& db)
{
    CurveList list;
    list.count = static_cast<int32_t>(hz.size());
    for (std::size_t j = 0; j < hz.size(); ++j)
    {
        list.hz[j] = hz[j];
        list.db[j] = db[j];
    }
    return list;
}

inline CurveList flatCurve(float db)
{
    return makeCurve({100.0f, 1000.0f, 10000.0f}, {db, db, db});
}

// A smooth curve: 60 log-spaced points from 10 Hz to 24 kHz.
template <typename Shape>
CurveList smoothCurve(Shape shape)
{
    std::vector<float> hz, db;
    for (int j = 0; j < 60; ++j)
    {
        const double f = 10.0 * std::pow(2400.0, j / 59.0);
        hz.push_back(float(f));
        db.push_back(float(shape(f)));
    }
    return makeCurve(hz, db);
}

// A folder under the test program's data root.
inline std::string testFolder(const std::string& name)
{
    const char* root = std::getenv("QUILLATONE_DATA_ROOT");
    std::string base = root && *root ? root : "/tmp/quillatone-correction-tests";
    std::error_code error;
    std::filesystem::create_directories(base, error);
    const std::string folder = base + "/" + name;
    std::filesystem::create_directory(folder, error);
    return folder;
}
}

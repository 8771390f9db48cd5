// Host-thread cost of the correction design and its tables, and the per-sample
// cost of the correction filter. Each design case is timed per call.
#include "CorrectionDesign.h"
#include "CorrectionFilter.h"
#include "DesignTables.h"
#include "TargetCurve.h"

#include <benchmark/benchmark.h>

#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace correction;

namespace
{
struct Tables
{
    float poleA1[sectionCount], poleA2[sectionCount];
    std::vector<double> basisReal = std::vector<double>(basisValueCount);
    std::vector<double> basisImag = std::vector<double>(basisValueCount);
    std::vector<double> normalInverse = std::vector<double>(normalValueCount);
    DesignTableArrays arrays() { return {basisReal.data(), basisImag.data(), normalInverse.data()}; }
    Tables() { computeCorrectionPoles(poleA1, poleA2); }
};

Tables& builtTables()
{
    static std::unique_ptr<Tables> t = [] {
        auto tables = std::make_unique<Tables>();
        buildDesignTables(tables->poleA1, tables->poleA2, tables->arrays());
        return tables;
    }();
    return *t;
}

std::string cachePath()
{
    const char* root = std::getenv("QUILLATONE_DATA_ROOT");
    return std::string(root && *root ? root : "/tmp") + "/quillatone-bench-pretab.qtb";
}

CurveList curve(double shift)
{
    CurveList list;
    list.count = 60;
    for (int j = 0; j < 60; ++j)
    {
        const double hz = 10.0 * std::pow(2400.0, j / 59.0);
        list.hz[j] = float(hz);
        list.db[j] = float(3.0 * std::sin(std::log2(hz / 100.0) + shift));
    }
    return list;
}

struct DesignState
{
    CurveList headphone = curve(0.0), nef = curve(1.0), reference = curve(2.0);
    CurveList loudness10 = curve(3.0), loudness50 = curve(4.0), loudness90 = curve(5.0);
    float equaliser[6] = {0.5f, 0.75f, 0.5f, 0.75f, 0.5f, 0.75f};
    std::vector<float> target = std::vector<float>(designBinCount);
    float params[38] = {};
    std::vector<float> scratch = std::vector<float>(std::size_t(designScratchArrayCount) * designFftSize);
    unsigned char flagA = 1, flagB = 1;
    float records[2][recordSize] = {};

    DesignState()
    {
        builtTables();  // built outside the timed region
        params[gainParameter] = 0.7f;
        params[moveableParameter] = 0.1f;
        buildTargetCurve(equaliser, target.data());
    }
    void design(int record)
    {
        const CorrectionDesignInput input{&headphone, &nef, &reference, &loudness10, &loudness50, &loudness90,
                                          target.data(), 4.0f, params};
        designCorrectionFilter(input, builtTables().arrays(),
                               reinterpret_cast<float (*)[designFftSize]>(scratch.data()), flagA, flagB,
                               records[record]);
    }
};

void perCall(benchmark::internal::Benchmark* b)
{
    b->Iterations(1)->Repetitions(40)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
    b->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
    b->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

// One redesign as setParameter runs it: both channels' records. The argument
// is the target level (100 = flat 1.0, narrowest smoothing; 0 = widest).
void Redesign(benchmark::State& state)
{
    DesignState d;
    const float level = state.range(0) / 100.0f;
    std::fill(d.equaliser + 1, d.equaliser + 6, level);
    buildTargetCurve(d.equaliser, d.target.data());
    for (auto _ : state)
    {
        d.design(0);
        d.design(1);
        benchmark::DoNotOptimize(d.records);
    }
}
BENCHMARK(Redesign)->Arg(100)->Arg(75)->Arg(0)->Apply(perCall);

// An equaliser level change: target curve rebuilt, then the redesign.
void EqualiserLevelWidestSmoothing(benchmark::State& state)
{
    DesignState d;
    for (auto _ : state)
    {
        float e[6] = {0.5f, 0.0f, 0.5f, 0.0f, 0.5f, 0.0f};
        buildTargetCurve(e, d.target.data());
        d.design(0);
        d.design(1);
        benchmark::DoNotOptimize(d.records);
    }
}
BENCHMARK(EqualiserLevelWidestSmoothing)->Apply(perCall);

void BuildDesignTables(benchmark::State& state)
{
    auto t = std::make_unique<Tables>();
    for (auto _ : state)
        benchmark::DoNotOptimize(buildDesignTables(t->poleA1, t->poleA2, t->arrays()));
}
BENCHMARK(BuildDesignTables)->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);

void WriteDesignCache(benchmark::State& state)
{
    const std::string path = cachePath();
    for (auto _ : state)
        benchmark::DoNotOptimize(writeDesignTableCache(path, builtTables().arrays()));
}
BENCHMARK(WriteDesignCache)->Iterations(1)->Repetitions(5)->Unit(benchmark::kMillisecond);

// Reading and validating a cache (warm page cache).
void LoadDesignCache(benchmark::State& state)
{
    const std::string path = cachePath();
    writeDesignTableCache(path, builtTables().arrays());
    auto t = std::make_unique<Tables>();
    for (auto _ : state)
        if (loadDesignTableCache(path, t->poleA1, t->poleA2, t->arrays()) != designCacheValid)
            state.SkipWithError("cache refused");
    std::remove(path.c_str());
}
BENCHMARK(LoadDesignCache)->Iterations(1)->Repetitions(10)->Unit(benchmark::kMillisecond);

void TargetCurve(benchmark::State& state)
{
    std::vector<float> curve(designBinCount);
    const float e[6] = {0.3f, 0.2f, 0.5f, 0.9f, 0.7f, 0.4f};
    for (auto _ : state)
    {
        buildTargetCurve(e, curve.data());
        benchmark::DoNotOptimize(curve.data());
    }
}
BENCHMARK(TargetCurve);

// The correction filter per sample and channel, on noise (no denormals).
void CorrectionFilterSample(benchmark::State& state)
{
    _mm_setcsr(_mm_getcsr() | 0x8040);
    DesignState d;
    d.design(0);
    CorrectionFilterState filter;
    filter.reset();
    unsigned seed = 1;
    float sink = 0.0f;
    for (auto _ : state)
    {
        seed = seed * 1664525u + 1013904223u;
        sink += processCorrectionSample(d.records[0], builtTables().poleA1, builtTables().poleA2, filter,
                                        float(seed >> 8) * 5.96e-8f - 0.5f);
    }
    benchmark::DoNotOptimize(sink);
}
BENCHMARK(CorrectionFilterSample);
}

int main(int argc, char** argv)
{
    benchmark::AddCustomContext("build type", QUILLATONE_BUILD_TYPE);
    benchmark::AddCustomContext("compiler flags", QUILLATONE_CXX_FLAGS);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Host-thread cost of the processor's parameter actions that redesign the
// correction filter, of setProgram and of construction with and without the
// design-table cache. Each case is timed per call (min, median, max).
//
// The data root is QUILLATONE_DATA_ROOT when set (point it at a folder made by
// the data-folder builder for realistic file loads); otherwise a temporary root
// with smooth synthetic curves for the files these actions read.
#include "Controlsgui.h"
#include "DesignTables.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{
std::string productFolder;
std::string ownRoot;  // a synthetic root made here, removed at the end

void writeCurve(const std::string& relative, double shift)
{
    const std::string path = productFolder + "/" + relative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::vector<float> v{60.0f};
    for (int j = 0; j < 60; ++j)
        v.push_back(float(10.0 * std::pow(2400.0, j / 59.0)));
    for (int j = 0; j < 60; ++j)
        v.push_back(float(3.0 * std::sin(std::log2(v[1 + j] / 100.0) + shift)));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(v.data()), std::streamsize(v.size() * sizeof(float)));
}

std::string prepareDataRoot()
{
    const char* given = std::getenv("QUILLATONE_DATA_ROOT");
    std::string root;
    if (given && *given)
        root = given;
    else
    {
        root = (std::filesystem::temp_directory_path() / "quillatone-controlsgui-bench").string();
        ownRoot = root;
        setenv("QUILLATONE_DATA_ROOT", root.c_str(), 1);
    }
    productFolder = root + "/Harlox/Quillatone";
    if (!std::filesystem::exists(productFolder + "/HP"))
    {
        writeCurve("HP/K240 Studio.hps", 0.0);
        writeCurve("HP/HD25 Aluminium.hps", 0.5);
        writeCurve("HP/MK801.hps", 1.0);
        writeCurve("Monitor/Genelec_1236A.mos", 1.5);
        writeCurve("bin/nef_rec.trc", 2.0);
        writeCurve("bin/LC10_rec.ldc", 2.5);
        writeCurve("bin/LC50_rec.ldc", 3.0);
        writeCurve("bin/LC90_rec.ldc", 3.5);
    }
    return root;
}

std::string cachePath() { return productFolder + "/" + correction::designCacheRelativePath; }

void perCall(benchmark::internal::Benchmark* b, int repetitions)
{
    b->Iterations(1)->Repetitions(repetitions)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
    b->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
    b->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

// One instance shared by the parameter cases.
Controlsgui& effect()
{
    static std::unique_ptr<Controlsgui> fx(new Controlsgui(nullptr));
    return *fx;
}

// Alternates a parameter between two values, one setParameter per call.
void alternate(benchmark::State& state, int index, float a, float b)
{
    Controlsgui& fx = effect();
    bool flip = false;
    for (auto _ : state)
    {
        fx.setParameter(index, flip ? a : b);
        flip = !flip;
    }
}

void SetParameterGain(benchmark::State& state) { alternate(state, 6, 0.3f, 0.8f); }
BENCHMARK(SetParameterGain)->Apply([](auto* b) { perCall(b, 40); });

// Equaliser levels at 0: the widest smoothing everywhere.
void SetParameterEqualiserWidest(benchmark::State& state)
{
    Controlsgui& fx = effect();
    fx.setParameter(12, 0.0f);
    fx.setParameter(14, 0.0f);
    alternate(state, 10, 0.0f, 0.001f);
    fx.setParameter(10, 0.75f);
    fx.setParameter(12, 0.75f);
    fx.setParameter(14, 0.75f);
}
BENCHMARK(SetParameterEqualiserWidest)->Apply([](auto* b) { perCall(b, 40); });

void SetParameterHeadphones(benchmark::State& state) { alternate(state, 0, 0.006f, 0.199f); }
BENCHMARK(SetParameterHeadphones)->Apply([](auto* b) { perCall(b, 40); });

// MIX <-> HEADPHONES.
void ModeSwitch(benchmark::State& state)
{
    alternate(state, 15, 0.0f, 0.5f);
    effect().setParameter(15, 0.0f);
}
BENCHMARK(ModeSwitch)->Apply([](auto* b) { perCall(b, 40); });

void SetProgram(benchmark::State& state)
{
    Controlsgui& fx = effect();
    for (auto _ : state)
        fx.setProgram(0);
}
BENCHMARK(SetProgram)->Apply([](auto* b) { perCall(b, 15); });

void ConstructionWithCache(benchmark::State& state)
{
    delete new Controlsgui(nullptr);  // makes sure the cache exists
    for (auto _ : state)
    {
        auto* fx = new Controlsgui(nullptr);
        state.PauseTiming();
        delete fx;
        state.ResumeTiming();
    }
}
BENCHMARK(ConstructionWithCache)->Apply([](auto* b) { perCall(b, 10); });

void ConstructionWithoutCache(benchmark::State& state)
{
    for (auto _ : state)
    {
        state.PauseTiming();
        std::remove(cachePath().c_str());
        state.ResumeTiming();
        auto* fx = new Controlsgui(nullptr);
        state.PauseTiming();
        delete fx;
        state.ResumeTiming();
    }
}
BENCHMARK(ConstructionWithoutCache)->Apply([](auto* b) { perCall(b, 10); });
}

int main(int argc, char** argv)
{
    benchmark::AddCustomContext("build type", QUILLATONE_BUILD_TYPE);
    benchmark::AddCustomContext("compiler flags", QUILLATONE_CXX_FLAGS);
    benchmark::AddCustomContext("data root", prepareDataRoot());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!ownRoot.empty())
    {
        std::error_code ignored;
        std::filesystem::remove_all(ownRoot, ignored);
    }
    return 0;
}

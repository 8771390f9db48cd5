// processReplacing per mode at 48 kHz in 64-frame blocks (CPU time per
// second of audio and the worst block), and the time of the parameter
// changes that load files or redesign. Data: a synthetic folder under
// $QUILLATONE_DATA_ROOT, or under a new folder in /tmp when that is unset.
// Per-block time is this thread's CPU time; the worst block is given both
// as CPU time and as wall time (which includes preemption).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "BenchDataFolder.h"
#include "Controlsgui.h"

namespace
{

using bench::benchHost;
using bench::threadSeconds;

// Builds the data folder once per run.
const std::string& dataRoot()
{
    static const std::string root = bench::makeBenchDataRoot("/tmp/quillatone_bench_");
    return root;
}

std::unique_ptr<Controlsgui> makeEffect()
{
    dataRoot();
    std::unique_ptr<Controlsgui> fx(new Controlsgui(benchHost));
    fx->setSampleRate(48000.0f);
    fx->setBlockSize(64);
    fx->resume();
    return fx;
}

// Mode: 0 MIX, 1 HEADPHONES, 2 PLACES; moveable: parameter 37.
void processBlocks(benchmark::State& state, float mode, float moveable)
{
    auto fx = makeEffect();
    fx->setParameter(37, moveable);
    fx->setParameter(15, mode);
    constexpr int block = 64;
    constexpr int blocksPerSecond = 48000 / block;  // 750
    std::vector<float> inL(block), inR(block), outL(block), outR(block);
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    uint32_t seed = 1;
    auto fill = [&] {
        for (int n = 0; n < block; ++n)
        {
            seed = seed * 1664525u + 1013904223u;
            inL[size_t(n)] = float(int32_t(seed)) * 2.3e-10f;
            inR[size_t(n)] = -inL[size_t(n)] * 0.7f;
        }
    };
    // The first blocks rebuild the convolvers; they are not part of the run.
    for (int b = 0; b < 8; ++b)
    {
        fill();
        fx->processReplacing(in, out, block);
    }
    double worst = 0.0, worstCpu = 0.0, total = 0.0;
    long seconds = 0;
    for (auto _ : state)
    {
        double second = 0.0;
        for (int b = 0; b < blocksPerSecond; ++b)
        {
            fill();
            const auto t0 = std::chrono::steady_clock::now();
            const double c0 = threadSeconds();
            fx->processReplacing(in, out, block);
            const double cpu = threadSeconds() - c0;
            const double dt = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            second += cpu;
            worst = std::max(worst, dt);
            worstCpu = std::max(worstCpu, cpu);
        }
        benchmark::DoNotOptimize(outL.data());
        state.SetIterationTime(second);
        total += second;
        ++seconds;
    }
    state.counters["cpu_percent_of_realtime"] = 100.0 * total / double(seconds);
    state.counters["worst_block_ms"] = worst * 1e3;          // wall clock, preemption included
    state.counters["worst_block_cpu_ms"] = worstCpu * 1e3;   // this thread's CPU time
    state.counters["block_period_ms"] = 1e3 * block / 48000.0;
}

void BM_ProcessMixMoveable01(benchmark::State& s) { processBlocks(s, 0.0f, 0.1f); }
void BM_ProcessMixMoveable0(benchmark::State& s) { processBlocks(s, 0.0f, 0.0f); }
void BM_ProcessHeadphones(benchmark::State& s) { processBlocks(s, 0.5f, 0.1f); }
void BM_ProcessPlaces(benchmark::State& s) { processBlocks(s, 1.0f, 0.1f); }
BENCHMARK(BM_ProcessMixMoveable01)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_ProcessMixMoveable0)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_ProcessHeadphones)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_ProcessPlaces)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

// setParameter of one index, alternating between two values so every call
// does its work.
void setParameterTime(benchmark::State& state, int index, float a, float b)
{
    auto fx = makeEffect();
    bool flip = false;
    for (auto _ : state)
    {
        fx->setParameter(index, flip ? a : b);
        flip = !flip;
    }
}

void BM_SetHeadphones(benchmark::State& s) { setParameterTime(s, 0, 0.199f, 0.0f); }
void BM_SetPerson(benchmark::State& s) { setParameterTime(s, 1, 0.0f, 0.0f); }
void BM_SetStudio(benchmark::State& s) { setParameterTime(s, 2, 0.0f, 0.01f); }
void BM_SetGain(benchmark::State& s) { setParameterTime(s, 6, 0.3f, 0.7f); }
void BM_SetEqualiserLevel(benchmark::State& s) { setParameterTime(s, 10, 0.6f, 0.9f); }
void BM_SetMode(benchmark::State& s) { setParameterTime(s, 15, 0.0f, 0.5f); }
void BM_SetPlace(benchmark::State& s) { setParameterTime(s, 25, 0.0f, 0.0f); }
void BM_SetProgram(benchmark::State& state)
{
    auto fx = makeEffect();
    for (auto _ : state)
        fx->setProgram(0);
}
BENCHMARK(BM_SetHeadphones)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetPerson)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetStudio)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetGain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetEqualiserLevel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetMode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetProgram)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
#ifdef QUILLATONE_BUILD_TYPE
    benchmark::AddCustomContext("build_type", QUILLATONE_BUILD_TYPE);
    benchmark::AddCustomContext("cxx_flags", QUILLATONE_CXX_FLAGS);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

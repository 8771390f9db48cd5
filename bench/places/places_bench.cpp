// Studio synthesis, waterfall and WAV reading, each on its own.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "StudioSynthesis.h"
#include "WaveFile.h"

namespace
{

struct Tables
{
    studio::HrirTable left;
    studio::HrirTable right;
};

void synthesis(benchmark::State& state)
{
    auto tables = std::make_unique<Tables>();
    NoiseGenerator rows(3);
    for (int b = 0; b < studio::hrirBlocks; ++b)
        for (int r = 0; r < studio::hrirRows; ++r)
            for (int j = 0; j < studio::hrirRowStride; ++j)
            {
                tables->left[b][r][j] = rows.uniform() - 0.5f;
                tables->right[b][r][j] = rows.uniform() - 0.5f;
            }
    auto work = std::make_unique<studio::SynthesisState>();
    std::vector<float> left(192000), right(192000);
    studio::PanelArrays panel;
    NoiseGenerator noise;
    for (auto _ : state)
    {
        studio::synthesiseStudioResponses({100.0f, 0.8f, 0.5f}, 48000.0f, tables->left, tables->right, noise, *work,
                                          left.data(), right.data(), left.size(), panel);
        benchmark::DoNotOptimize(left.data());
    }
}
BENCHMARK(synthesis)->Unit(benchmark::kMillisecond);

void waterfall(benchmark::State& state)
{
    std::vector<float> response(studio::responseLength);
    NoiseGenerator noise;
    for (float& v : response)
        v = noise.uniform() - 0.5f;
    studio::PanelArrays panel;
    for (auto _ : state)
    {
        studio::computePanelArrays(response.data(), panel);
        benchmark::DoNotOptimize(panel);
    }
}
BENCHMARK(waterfall)->Unit(benchmark::kMicrosecond);

// One place file: 44,100 frames of float32 mono, read into a 192,000-sample buffer.
void readPlaceFile(benchmark::State& state)
{
    const std::string path = (std::filesystem::temp_directory_path() / "quillatone_bench_place.wav").string();
    {
        const uint32_t frames = 44100;
        const uint32_t dataBytes = frames * 4;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        auto u32 = [f](uint32_t v) { std::fwrite(&v, 4, 1, f); };
        auto u16 = [f](uint16_t v) { std::fwrite(&v, 2, 1, f); };
        std::fwrite("RIFF", 1, 4, f);
        u32(36 + dataBytes);
        std::fwrite("WAVEfmt ", 1, 8, f);
        u32(16);
        u16(3);
        u16(1);
        u32(48000);
        u32(48000 * 4);
        u16(4);
        u16(32);
        std::fwrite("data", 1, 4, f);
        u32(dataBytes);
        std::vector<float> samples(frames, 0.25f);
        std::fwrite(samples.data(), 4, frames, f);
        std::fclose(f);
    }
    std::vector<float> buffer(192000);
    for (auto _ : state)
        benchmark::DoNotOptimize(places::readWaveFile(path, buffer.data(), buffer.data(), buffer.size()));
    std::filesystem::remove(path);
}
BENCHMARK(readPlaceFile)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

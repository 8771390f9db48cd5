// Convolution benchmark: six-way (1, 2, 4, 6 convolvers) comparison of our
// two-stage engine, fed one sample per call and 64-sample calls, with
// zita-convolver at a 64-sample quantum; and our real FFT against KISS FFT.
//
// Usage: convolution_bench [seconds of audio per run, default 5]

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

#include <sched.h>

#include <kissfft/kiss_fftr.h>
#include <zita-convolver.h>

#include "RealFFT.h"
#include "TwoStageConvolver.h"

namespace {

constexpr double kRate = 48000.0;
constexpr size_t kResponseLength = 44100;
constexpr size_t kHead = 64;
constexpr size_t kTail = 4096;
constexpr size_t kBlock = 64;
constexpr double kBlockBudgetMs = 1000.0 * kBlock / kRate;

double Now(clockid_t clock)
{
    timespec ts;
    clock_gettime(clock, &ts);
    return ts.tv_sec + 1e-9 * ts.tv_nsec;
}

double WallNow() { return Now(CLOCK_MONOTONIC); }
double CpuNow() { return Now(CLOCK_PROCESS_CPUTIME_ID); }

// A decaying noise response, as a room response would be.
std::vector<float> MakeResponse(unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    std::vector<float> h(kResponseLength);
    for (size_t i = 0; i < h.size(); ++i)
        h[i] = 0.1f * noise(rng) * std::exp(-static_cast<float>(i) / 15000.0f);
    h[0] = 1.0f;
    return h;
}

std::vector<float> MakeInput(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-0.5f, 0.5f);
    std::vector<float> x(n);
    for (float& v : x)
        v = d(rng);
    return x;
}

struct Result {
    double cpuFraction = 0; // CPU seconds per second of audio
    double worstBlockMs = 0;
    double worstCallMs = 0;
    std::vector<float> output; // of the first convolver
};

std::vector<std::unique_ptr<convolution::TwoStageConvolver>> MakeOurs(const std::vector<std::vector<float>>& irs)
{
    std::vector<std::unique_ptr<convolution::TwoStageConvolver>> convs;
    for (const auto& h : irs) {
        convs.emplace_back(new convolution::TwoStageConvolver);
        convs.back()->reset();
        if (!convs.back()->init(kHead, kTail, h.data(), h.size())) {
            std::fprintf(stderr, "init failed\n");
            std::exit(1);
        }
    }
    return convs;
}

// Each figure the lowest of several runs, so that a preemption by another
// process on a busy machine does not stand in for the engine's own worst case.
constexpr int kRuns = 3;

Result Best(Result sofar, Result run, int index)
{
    if (index == 0)
        return run;
    sofar.cpuFraction = std::min(sofar.cpuFraction, run.cpuFraction);
    sofar.worstBlockMs = std::min(sofar.worstBlockMs, run.worstBlockMs);
    sofar.worstCallMs = std::min(sofar.worstCallMs, run.worstCallMs);
    return sofar;
}

// Our engine, every convolver fed callLength samples per call.
Result RunOurs(const std::vector<std::vector<float>>& irs, const std::vector<float>& x, size_t callLength,
               bool timeCalls)
{
    auto convs = MakeOurs(irs);
    const size_t count = convs.size();
    std::vector<std::vector<float>> out(count, std::vector<float>(x.size()));
    Result r;
    const size_t blocks = x.size() / kBlock;
    const double cpu0 = CpuNow();
    for (size_t b = 0; b < blocks; ++b) {
        const double t0 = WallNow();
        const size_t base = b * kBlock;
        if (callLength == 1) {
            for (size_t i = base; i < base + kBlock; ++i) {
                for (size_t c = 0; c < count; ++c) {
                    if (timeCalls) {
                        const double c0 = WallNow();
                        out[c][i] = 0.0f;
                        convs[c]->process(&x[i], &out[c][i], 1);
                        r.worstCallMs = std::max(r.worstCallMs, 1000.0 * (WallNow() - c0));
                    } else {
                        out[c][i] = 0.0f;
                        convs[c]->process(&x[i], &out[c][i], 1);
                    }
                }
            }
        } else {
            for (size_t c = 0; c < count; ++c)
                convs[c]->process(&x[base], &out[c][base], kBlock);
        }
        r.worstBlockMs = std::max(r.worstBlockMs, 1000.0 * (WallNow() - t0));
    }
    r.cpuFraction = (CpuNow() - cpu0) / (blocks * kBlock / kRate);
    r.output = std::move(out[0]);
    return r;
}

// zita-convolver: a diagonal count x count matrix, quantum and smallest
// partition 64, largest 8192, synchronous processing (its lower-priority
// partitions run in its own threads, so process CPU time is measured).
Result RunZita(const std::vector<std::vector<float>>& irs, const std::vector<float>& x)
{
    const unsigned count = static_cast<unsigned>(irs.size());
    Convproc proc;
    if (proc.configure(count, count, kResponseLength, kBlock, kBlock, Convproc::MAXPART, 0.0f)) {
        std::fprintf(stderr, "zita configure failed\n");
        std::exit(1);
    }
    for (unsigned c = 0; c < count; ++c)
        proc.impdata_create(c, c, 1, const_cast<float*>(irs[c].data()), 0, static_cast<int>(kResponseLength));
    if (proc.start_process(0, SCHED_OTHER)) {
        std::fprintf(stderr, "zita start_process failed\n");
        std::exit(1);
    }
    Result r;
    r.output.resize(x.size());
    const size_t blocks = x.size() / kBlock;
    const double cpu0 = CpuNow();
    for (size_t b = 0; b < blocks; ++b) {
        const double t0 = WallNow();
        const size_t base = b * kBlock;
        for (unsigned c = 0; c < count; ++c)
            std::copy(x.begin() + base, x.begin() + base + kBlock, proc.inpdata(c));
        proc.process(true);
        std::copy(proc.outdata(0), proc.outdata(0) + kBlock, r.output.begin() + base);
        r.worstBlockMs = std::max(r.worstBlockMs, 1000.0 * (WallNow() - t0));
    }
    r.cpuFraction = (CpuNow() - cpu0) / (blocks * kBlock / kRate);
    proc.stop_process();
    while (!proc.check_stop())
        sched_yield();
    proc.cleanup();
    return r;
}

// Largest |y - direct convolution| over the first n samples, relative to the
// output peak.
double RelativeError(const std::vector<float>& y, const std::vector<float>& x, const std::vector<float>& h, size_t n)
{
    std::vector<double> ref(n, 0.0);
    for (size_t k = 0; k < h.size(); ++k)
        for (size_t t = k; t < n; ++t)
            ref[t] += static_cast<double>(h[k]) * x[t - k];
    double worst = 0, peak = 0;
    for (size_t t = 0; t < n; ++t) {
        worst = std::max(worst, std::fabs(y[t] - ref[t]));
        peak = std::max(peak, std::fabs(ref[t]));
    }
    return worst / peak;
}

// Microseconds per forward + inverse pair.
double TimeOurFFT(size_t n, int pairs)
{
    realfft::RealFFT fft;
    fft.init(n);
    std::vector<float> x = MakeInput(n, 5), re(n / 2 + 1), im(n / 2 + 1);
    const double t0 = CpuNow();
    for (int i = 0; i < pairs; ++i) {
        fft.fft(x.data(), re.data(), im.data());
        fft.ifft(x.data(), re.data(), im.data());
    }
    return 1e6 * (CpuNow() - t0) / pairs;
}

double TimeKissFFT(size_t n, int pairs)
{
    kiss_fftr_cfg forward = kiss_fftr_alloc(static_cast<int>(n), 0, nullptr, nullptr);
    kiss_fftr_cfg inverse = kiss_fftr_alloc(static_cast<int>(n), 1, nullptr, nullptr);
    std::vector<float> x = MakeInput(n, 5);
    std::vector<kiss_fft_cpx> spectrum(n / 2 + 1);
    const float scale = 1.0f / static_cast<float>(n);
    const double t0 = CpuNow();
    for (int i = 0; i < pairs; ++i) {
        kiss_fftr(forward, x.data(), spectrum.data());
        kiss_fftri(inverse, spectrum.data(), x.data());
        for (float& v : x)
            v *= scale; // keep the data bounded, as our inverse does
    }
    const double us = 1e6 * (CpuNow() - t0) / pairs;
    kiss_fftr_free(forward);
    kiss_fftr_free(inverse);
    return us;
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 5.0;
    const size_t samples = static_cast<size_t>(seconds * kRate) / kBlock * kBlock;
    const std::vector<float> x = MakeInput(samples, 1);
    std::vector<std::vector<float>> irs;
    for (unsigned c = 0; c < 6; ++c)
        irs.push_back(MakeResponse(100 + c));

    std::printf("Convolution: %zu-sample responses, head %zu, tail %zu, %.0f Hz, %.0f s of audio per run\n",
                kResponseLength, kHead, kTail, kRate, seconds);
    std::printf("CPU = CPU seconds per second of audio (ours: one thread; zita: whole process); lowest of %d runs.\n",
                kRuns);
    std::printf("worst = worst 64-frame block over all convolvers (budget %.2f ms); call = worst single call.\n\n",
                kBlockBudgetMs);
    std::printf("%-5s | %-30s | %-19s | %-19s | %-17s\n", "convs", "ours, 1 sample per call", "ours, 64 per call",
                "zita, quantum 64", "ratio to zita CPU");
    std::printf("%-5s | %7s %10s %10s | %7s %10s | %7s %10s | %8s %8s\n", "", "CPU", "worst", "call", "CPU", "worst",
                "CPU", "worst", "1/call", "64/call");
    std::printf("------+--------------------------------+---------------------+---------------------+------------------\n");
    Result accuracyOne, accuracyBlock, accuracyZita;
    for (size_t count : {1u, 2u, 4u, 6u}) {
        std::vector<std::vector<float>> use(irs.begin(), irs.begin() + count);
        RunOurs(use, std::vector<float>(x.begin(), x.begin() + 64 * kBlock), 1, false); // warm up
        Result one, oneTimed, block, zita;
        for (int run = 0; run < kRuns; ++run) {
            one = Best(one, RunOurs(use, x, 1, false), run);
            oneTimed = Best(oneTimed, RunOurs(use, x, 1, true), run);
            block = Best(block, RunOurs(use, x, kBlock, false), run);
            zita = Best(zita, RunZita(use, x), run);
        }
        std::printf("%-5zu | %6.2f%% %7.3f ms %7.3f ms | %6.2f%% %7.3f ms | %6.2f%% %7.3f ms | %8.2f %8.2f\n", count,
                    100 * one.cpuFraction, one.worstBlockMs, oneTimed.worstCallMs, 100 * block.cpuFraction,
                    block.worstBlockMs, 100 * zita.cpuFraction, zita.worstBlockMs,
                    one.cpuFraction / zita.cpuFraction, block.cpuFraction / zita.cpuFraction);
        if (count == 1) {
            accuracyOne = one;
            accuracyBlock = block;
            accuracyZita = zita;
        }
    }

    const size_t checked = std::min<size_t>(samples, 20000);
    std::printf("\nAccuracy, one convolver, first %zu samples, max error / output peak against a direct double "
                "convolution:\n",
                checked);
    std::printf("  ours 1/call %.2e, ours 64/call %.2e, zita %.2e\n",
                RelativeError(accuracyOne.output, x, irs[0], checked),
                RelativeError(accuracyBlock.output, x, irs[0], checked),
                RelativeError(accuracyZita.output, x, irs[0], checked));

    // What a response change costs at a block start: reset + init of six.
    double worstInit = 0, bestInit = 1e9;
    for (int rep = 0; rep < 5; ++rep) {
        std::vector<convolution::TwoStageConvolver> convs(6);
        const double t0 = WallNow();
        for (size_t c = 0; c < convs.size(); ++c) {
            convs[c].reset();
            convs[c].init(kHead, kTail, irs[c].data(), irs[c].size());
        }
        const double ms = 1000.0 * (WallNow() - t0);
        worstInit = std::max(worstInit, ms);
        bestInit = std::min(bestInit, ms);
    }
    std::printf("\nreset + init of 6 convolvers: %.2f ms best, %.2f ms worst of 5\n", bestInit, worstInit);

    // A response change as the processor makes it: the same convolvers get
    // new responses of the same sizes (their storage is reused).
    {
        std::vector<convolution::TwoStageConvolver> convs(6);
        for (size_t c = 0; c < convs.size(); ++c)
            convs[c].init(kHead, kTail, irs[c].data(), irs[c].size());
        double worst = 0, best = 1e9;
        for (int rep = 0; rep < 5; ++rep) {
            const double t0 = WallNow();
            for (size_t c = 0; c < convs.size(); ++c) {
                convs[c].reset();
                convs[c].init(kHead, kTail, irs[(c + rep + 1) % 6].data(), irs[c].size());
            }
            const double ms = 1000.0 * (WallNow() - t0);
            worst = std::max(worst, ms);
            best = std::min(best, ms);
        }
        std::printf("reset + init of 6 convolvers again, same sizes: %.2f ms best, %.2f ms worst of 5\n", best,
                    worst);
    }

    std::printf("\nReal FFT, forward + inverse pair (CPU time):\n");
    std::printf("%-6s | %12s | %12s | %12s\n", "N", "ours", "KISS FFT", "ratio");
    for (size_t n : {128u, 8192u}) {
        const int pairs = n == 128 ? 1000000 : 10000;
        TimeOurFFT(n, pairs / 10);
        TimeKissFFT(n, pairs / 10);
        const double ours = TimeOurFFT(n, pairs);
        const double kiss = TimeKissFFT(n, pairs);
        std::printf("%-6zu | %9.3f us | %9.3f us | %12.2f\n", n, ours, kiss, ours / kiss);
    }
    return 0;
}

// Per-block cost of processReplacing at 48 kHz in 64-frame blocks, by the
// block's phase within the convolvers' 4096-sample tail period. Each block's
// cost is this thread's CPU time; a phase's cost is the lowest over all its
// occurrences (what the code itself needs, without preemption or a busy
// neighbour), and its median. Also prints the plain worst block and the
// 99.9 % quantile of all blocks.
//
// Beside each mode's CPU it runs zita-convolver (when the build found it) on
// the same convolutions: the same responses, taken from the processor, in the
// same arrangement (MIX: two channels, each through its own response;
// PLACES: one signal through four responses), quantum and smallest partition
// 64, synchronous processing, timed as process CPU time since it works in
// threads of its own. Each CPU figure is the lowest of the runs; the last
// lines set what a mode adds over HEADPHONES against zita's cost.
//
// Usage: processor_worst_block_bench [periods per run, default 12] [runs, default 3]
//        processor_worst_block_bench --callgrind MODE PHASE [BLOCKS]
//        processor_worst_block_bench --callgrind-reload
//        processor_worst_block_bench --dump FILE [frame-by-frame]
// With --callgrind, under valgrind --tool=callgrind --instr-atstart=no, only
// the block of the given phase (or BLOCKS blocks from there) (of mode 0 MIX, 1 MIX moveable 0,
// 2 HEADPHONES, 3 PLACES) is counted; with --callgrind-reload, the PLACES
// block that takes a place change.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_START_INSTRUMENTATION
#define CALLGRIND_STOP_INSTRUMENTATION
#define CALLGRIND_TOGGLE_COLLECT
#define CALLGRIND_DUMP_STATS_AT(x)
#endif

#ifdef QUILLATONE_HAVE_ZITA
#include <sched.h>
#include <zita-convolver.h>
#endif

#include "BenchDataFolder.h"
#include "Controlsgui.h"

namespace
{

constexpr int kBlock = 64;
constexpr int kPhases = 4096 / kBlock;

using bench::benchHost;
using bench::threadSeconds;

// The same synthetic data folder as the processReplacing benchmark.
void makeDataRoot() { bench::makeBenchDataRoot("/tmp/quillatone_worst_block_"); }

struct Mode
{
    const char* name;
    float mode;
    float moveable;
    int firstConvolver;  // the mode's convolvers: firstConvolver ..
    int convolverCount;  // .. firstConvolver + convolverCount - 1
    int inputs;          // signals fed to them
};

const Mode kModes[] = {
    {"MIX (moveable 0.1)", 0.0f, 0.1f, 0, 2, 2},
    {"MIX (moveable 0)", 0.0f, 0.0f, 0, 2, 2},
    {"HEADPHONES", 0.5f, 0.1f, 0, 0, 0},
    {"PLACES", 1.0f, 0.1f, 2, 4, 1},
};

double processSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

class Runner
{
public:
    explicit Runner(const Mode& m, bool frameByFrame = false) : fx(new Controlsgui(benchHost))
    {
        fx->setFrameByFrame(frameByFrame);
        fx->setSampleRate(48000.0f);
        fx->setBlockSize(kBlock);
        fx->resume();
        fx->setParameter(37, m.moveable);
        fx->setParameter(15, m.mode);
        // The first blocks take the hand-over flags; then align to a period.
        for (int b = 0; b < kPhases; ++b)
            block();
    }

    double block(FILE* dump = nullptr)
    {
        for (int n = 0; n < kBlock; ++n)
        {
            seed = seed * 1664525u + 1013904223u;
            inL[n] = float(int32_t(seed)) * 2.3e-10f;
            inR[n] = -inL[n] * 0.7f;
        }
        float* in[2] = {inL, inR};
        float* out[2] = {outL, outR};
        const double c0 = threadSeconds();
        fx->processReplacing(in, out, kBlock);
        const double t = threadSeconds() - c0;
        if (dump)
        {
            std::fwrite(outL, sizeof(float), kBlock, dump);
            std::fwrite(outR, sizeof(float), kBlock, dump);
        }
        return t;
    }

    void set(int index, float value) { fx->setParameter(index, value); }
    const float* response(int convolver) const { return fx->getConvolverResponse(convolver); }

private:
    std::unique_ptr<Controlsgui> fx;
    uint32_t seed = 1;
    float inL[kBlock], inR[kBlock], outL[kBlock], outR[kBlock];
};

int callgrindOne(int mode, int phase, int count)
{
    Runner r(kModes[mode]);
    const int first = 2 * kPhases + phase;
    for (int b = 0; b < first + count; ++b)
    {
        if (b == first)
            CALLGRIND_START_INSTRUMENTATION;
        r.block();
    }
    CALLGRIND_STOP_INSTRUMENTATION;
    CALLGRIND_DUMP_STATS_AT("blocks");
    std::printf("counted %s, %d blocks from phase %d\n", kModes[mode].name, count, phase);
    return 0;
}

int callgrindReload()
{
    Runner r(kModes[3]);
    for (int b = 0; b < 2 * kPhases; ++b)
        r.block();
    r.set(25, 0.0f);
    CALLGRIND_START_INSTRUMENTATION;
    r.block();
    CALLGRIND_STOP_INSTRUMENTATION;
    CALLGRIND_DUMP_STATS_AT("reload");
    std::printf("counted the PLACES block with a place change\n");
    return 0;
}

// The block that takes a place change: it re-initialises the four place
// convolvers with the new responses (here the same files again). Also the
// blocks of the three tail periods that follow it, where the convolvers
// transform the new responses' partitions: each one's lowest cost over the
// changes, and the highest of those.
void placeReload(int count)
{
    Runner r(kModes[3]);
    std::vector<double> t;
    std::vector<double> after(3 * kPhases - 1, 1e9);
    for (int k = 0; k < count; ++k)
    {
        r.set(25, 0.0f);
        t.push_back(r.block());
        for (double& a : after)
            a = std::min(a, r.block());
    }
    std::sort(t.begin(), t.end());
    const auto worstAfter = std::max_element(after.begin(), after.end());
    std::printf("%-20s | block with a place change: %.3f ms lowest, %.3f ms median, %.3f ms worst of %d\n",
                "PLACES", 1e3 * t.front(), 1e3 * t[t.size() / 2], 1e3 * t.back(), count);
    std::printf("%-20s | blocks after it: %.3f ms (block %d after the change, lowest of %d)\n", "PLACES",
                1e3 * *worstAfter, int(worstAfter - after.begin()) + 1, count);
}

// CPU seconds per second of audio that zita-convolver needs for the mode's
// convolutions over `blocks` blocks of noise; 0 when the mode has none, -1
// without zita-convolver.
double zitaCpu(const Mode& m, const Runner& r, int blocks)
{
    if (m.convolverCount == 0)
        return 0.0;
#ifdef QUILLATONE_HAVE_ZITA
    const int length = Controlsgui::responseLength;
    Convproc proc;
    if (proc.configure(uint32_t(m.inputs), uint32_t(m.convolverCount), uint32_t(length), kBlock, kBlock,
                       Convproc::MAXPART, 0.0f))
        return -1.0;
    for (int c = 0; c < m.convolverCount; ++c)
        proc.impdata_create(uint32_t(m.inputs == 1 ? 0 : c), uint32_t(c), 1,
                            const_cast<float*>(r.response(m.firstConvolver + c)), 0, length);
    if (proc.start_process(0, SCHED_OTHER))
        return -1.0;
    uint32_t seed = 5;
    double sink = 0.0;
    const double c0 = processSeconds();
    for (int b = 0; b < blocks; ++b)
    {
        for (int i = 0; i < m.inputs; ++i)
        {
            float* in = proc.inpdata(uint32_t(i));
            for (int n = 0; n < kBlock; ++n)
            {
                seed = seed * 1664525u + 1013904223u;
                in[n] = float(int32_t(seed)) * 2.3e-10f;
            }
        }
        proc.process(true);
        for (int c = 0; c < m.convolverCount; ++c)
            sink += double(proc.outdata(uint32_t(c))[kBlock - 1]);
    }
    const double cpu = processSeconds() - c0;
    proc.stop_process();
    while (!proc.check_stop())
        sched_yield();
    proc.cleanup();
    if (sink == 12345.0)
        std::printf(" ");
    return cpu / (double(blocks) * kBlock / 48000.0);
#else
    (void)r;
    (void)blocks;
    return -1.0;
#endif
}

// Writes every mode's output of 4 tail periods, so that two builds can be
// compared sample for sample.
int dumpOutputs(const char* path, bool frameByFrame)
{
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return 1;
    for (const Mode& m : kModes)
    {
        Runner r(m, frameByFrame);
        for (int b = 0; b < 4 * kPhases; ++b)
            r.block(f);
    }
    std::fclose(f);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    makeDataRoot();
    if ((argc == 4 || argc == 5) && std::string(argv[1]) == "--callgrind")
        return callgrindOne(std::atoi(argv[2]) & 3, std::atoi(argv[3]) % kPhases,
                            argc == 5 ? std::max(1, std::atoi(argv[4])) : 1);

    if (argc == 2 && std::string(argv[1]) == "--callgrind-reload")
        return callgrindReload();
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--dump")
        return dumpOutputs(argv[2], argc == 4 && std::string(argv[3]) == "frame-by-frame");

    const int periods = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::printf("48 kHz, %d-frame blocks (budget %.3f ms), %d tail periods of %d blocks x %d rounds per mode; "
                "CPU: lowest round\n",
                kBlock, 1e3 * kBlock / 48000.0, periods, kPhases, runs);
    std::printf("%-20s | %8s | %8s | %10s | %10s | %21s | %21s | %10s\n", "mode", "CPU", "zita CPU", "worst",
                "99.9 %", "worst phase (min)", "worst phase (median)", "next phase");
    {
        // A warm-up, so that the first mode does not pay for cold caches and a
        // clock still ramping up.
        Runner warm(kModes[0]);
        for (int b = 0; b < 4 * kPhases; ++b)
            warm.block();
        zitaCpu(kModes[0], warm, 2 * kPhases);
    }
    // Rounds of all four modes, each followed by zita on its convolutions, so
    // that figures set side by side were taken close together in time.
    constexpr size_t modeCount = sizeof kModes / sizeof kModes[0];
    std::vector<std::vector<std::vector<double>>> phases(modeCount, std::vector<std::vector<double>>(kPhases));
    double worstOf[modeCount] = {}, modeCpu[modeCount], modeZita[modeCount];
    for (size_t mi = 0; mi < modeCount; ++mi)
        modeCpu[mi] = modeZita[mi] = 1e9;
    for (int run = 0; run < runs; ++run)
        for (size_t mi = 0; mi < modeCount; ++mi)
        {
            Runner r(kModes[mi]);
            double total = 0.0;
            for (int b = 0; b < periods * kPhases; ++b)
            {
                const double t = r.block();
                phases[mi][size_t(b % kPhases)].push_back(t);
                total += t;
                worstOf[mi] = std::max(worstOf[mi], t);
            }
            modeCpu[mi] = std::min(modeCpu[mi], total / (double(periods * kPhases) * kBlock / 48000.0));
            modeZita[mi] = std::min(modeZita[mi], zitaCpu(kModes[mi], r, periods * kPhases));
        }
    for (const Mode& m : kModes)
    {
        const size_t mi = size_t(&m - kModes);
        auto& byPhase = phases[mi];
        const double worst = worstOf[mi], bestRun = modeCpu[mi], bestZita = modeZita[mi];
        std::vector<double> all;
        for (const auto& v : byPhase)
            all.insert(all.end(), v.begin(), v.end());
        std::sort(all.begin(), all.end());
        const double quantile = all[std::min(all.size() - 1, size_t(0.999 * double(all.size())))];
        std::vector<double> mins(kPhases), medians(kPhases);
        for (int p = 0; p < kPhases; ++p)
        {
            auto& v = byPhase[size_t(p)];
            std::sort(v.begin(), v.end());
            mins[size_t(p)] = v.front();
            medians[size_t(p)] = v[v.size() / 2];
        }
        const int wp = int(std::max_element(mins.begin(), mins.end()) - mins.begin());
        const int wm = int(std::max_element(medians.begin(), medians.end()) - medians.begin());
        std::vector<double> rest = mins;
        rest[size_t(wp)] = 0.0;
        const double next = *std::max_element(rest.begin(), rest.end());
        char zita[16] = "-";
        if (bestZita > 0.0)
            std::snprintf(zita, sizeof zita, "%6.2f%%", 100.0 * bestZita);
        std::printf("%-20s | %7.2f%% | %8s | %7.3f ms | %7.3f ms | %7.3f ms (phase %2d) | %7.3f ms (phase %2d) | %7.3f ms\n",
                    m.name, 100.0 * bestRun, zita, 1e3 * worst, 1e3 * quantile, 1e3 * mins[size_t(wp)], wp,
                    1e3 * medians[size_t(wm)], wm, 1e3 * next);
    }
    // What the convolving modes add over HEADPHONES, against zita's CPU for
    // the same convolutions.
    for (size_t mi : {size_t(0), size_t(1), size_t(3)})
        if (modeZita[mi] > 0.0)
            std::printf("%-20s | adds %.2f%% over HEADPHONES; zita for its %d convolutions %.2f%%; ratio %.2f\n",
                        kModes[mi].name, 100.0 * (modeCpu[mi] - modeCpu[2]), kModes[mi].convolverCount,
                        100.0 * modeZita[mi], (modeCpu[mi] - modeCpu[2]) / modeZita[mi]);
    placeReload(20);
    return 0;
}

// Audio Unit render timings: a 512-frame slice through the component entry (input callback,
// one plug-in run, copy into host buffers) against the effect called straight.
#include <benchmark/benchmark.h>

#include "AUTestHost.h"

using namespace autest;

namespace {

struct UnitFixture {
  UnitFixture() {
    BundleSpec spec;
    spec.executable = BRIDGE_HOST_MODULE;
    spec.config = configXml(Config());
    spec.vstModule = FAKE_EFFECT_MODULE;
    host = std::make_unique<AUHost>(makeComponentBundle(tmp, spec));
    std::FILE* quiet = std::freopen("/dev/null", "w", stderr);  // the bridge logs its start-up
    (void)quiet;
    host->open();
    feed.channels.assign(2, std::vector<float>(4096, 0.25f));
    const AURenderCallbackStruct cb{&InputFeed::proc, &feed};
    host->set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb);
    host->set<UInt32>(kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, 512);
    AudioUnitInitialize(host->unit);
  }
  TempFolder tmp;
  std::unique_ptr<AUHost> host;
  InputFeed feed;
};

UnitFixture& unit() {
  static UnitFixture f;
  return f;
}

void RenderThroughUnit(benchmark::State& state) {
  AudioBufferList* list = symac_allocateBufferList(2);
  std::vector<float> out0(512), out1(512);
  AudioTimeStamp ts{};
  AudioUnitRenderActionFlags flags = 0;
  for (auto _ : state) {
    list->mNumberBuffers = 2;
    list->mBuffers[0] = AudioBuffer{1, 2048, out0.data()};
    list->mBuffers[1] = AudioBuffer{1, 2048, out1.data()};
    ts.mSampleTime += 512;
    AudioUnitRender(unit().host->unit, &flags, &ts, 0, 512, list);
    benchmark::DoNotOptimize(out0.data());
  }
  std::free(list);
}
BENCHMARK(RenderThroughUnit);

}  // namespace

BENCHMARK_MAIN();

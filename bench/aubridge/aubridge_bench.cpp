// Bridge timings: a 512-frame block through the wrapper and straight into the effect,
// FXB creation and loading, and an .aupreset-sized property list written and read.
#include <benchmark/benchmark.h>

#include "BridgeTestSupport.h"

using namespace bridgetest;

namespace {

struct Fixture {
  Fixture() : bundle(makeBundle(tmp, "Bench.vst", FAKE_EFFECT_MODULE)) {
    bundle.fake().numPrograms = 50;
    bundle.fake().numParams = 38;
    plugIn = std::make_unique<VSTPlugIn>(host, bundle.ref, 44100.0f, 512);
    plugIn->open();
    plugIn->resume();
  }
  TempFolder tmp;
  Bundle bundle;
  RecordingHost host;
  std::unique_ptr<VSTPlugIn> plugIn;
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void ProcessThroughWrapper(benchmark::State& state) {
  std::vector<float> in(512, 0.25f), out0(512), out1(512);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {out0.data(), out1.data()};
  for (auto _ : state) {
    fixture().plugIn->processReplacing(ins, outs, 512);
    benchmark::DoNotOptimize(out0.data());
  }
}
BENCHMARK(ProcessThroughWrapper);

void ProcessDirect(benchmark::State& state) {
  std::vector<float> in(512, 0.25f), out0(512), out1(512);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {out0.data(), out1.data()};
  AEffect* effect = fixture().bundle.fake().effect;
  for (auto _ : state) {
    effect->processReplacing(effect, ins, outs, 512);
    benchmark::DoNotOptimize(out0.data());
  }
}
BENCHMARK(ProcessDirect);

void CreateAndLoadBank(benchmark::State& state) {
  FILE* quiet = std::freopen("/dev/null", "w", stderr);  // the wrapper logs every program change
  (void)quiet;
  for (auto _ : state) {
    UInt32 size = 0;
    auto bank = fixture().plugIn->createFXB(size);
    benchmark::DoNotOptimize(fixture().plugIn->loadFXPOrFXB(size, bank.get()));
    fixture().bundle.fake().calls.clear();
    fixture().bundle.fake().setParameters.clear();
  }
}
BENCHMARK(CreateAndLoadBank)->Unit(benchmark::kMicrosecond);

void PresetPropertyList(benchmark::State& state) {
  std::vector<UInt8> bytes(10556, 0x5A);
  CFMutableDictionaryRef d =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDataRef data = CFDataCreate(nullptr, bytes.data(), CFIndex(bytes.size()));
  CFDictionarySetValue(d, CFSTR("vstdata"), data);
  CFDictionarySetValue(d, CFSTR("name"), CFSTR("Default"));
  for (auto _ : state) {
    CFDataRef xml = CFPropertyListCreateXMLData(nullptr, d);
    CFPropertyListRef back = CFPropertyListCreateFromXMLData(nullptr, xml, 0, nullptr);
    benchmark::DoNotOptimize(back);
    CFRelease(back);
    CFRelease(xml);
  }
  CFRelease(data);
  CFRelease(d);
}
BENCHMARK(PresetPropertyList)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

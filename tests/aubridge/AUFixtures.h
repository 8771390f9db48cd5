// Fixtures shared by the Audio Unit tests: a component bundle hosting the fake effect.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "AUTestHost.h"

namespace autest {

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline bool exists(const std::string& path) { return std::filesystem::exists(path); }

// A bridge bundle whose Resources/Plugin.vst holds a private copy of the fake effect; the
// fake is loaded first so that a test can configure it before the unit opens.
class FakeUnit {
 public:
  explicit FakeUnit(Config config = Config(), const std::string& type = "aufx",
                    const std::string& componentName = "Maker: Quillatone") {
    BundleSpec spec;
    spec.executable = BRIDGE_HOST_MODULE;
    spec.config = configXml(config);
    spec.vstModule = FAKE_EFFECT_MODULE;
    spec.type = type;
    spec.componentName = componentName;
    path = makeComponentBundle(tmp, spec);
    fakeBundle = std::make_unique<bridgetest::Bundle>(path + "/Contents/Resources/Plugin.vst");
    host = std::make_unique<AUHost>(path);
  }
  FakeControl& fake() { return fakeBundle->fake(); }
  std::string resources(const std::string& name = std::string()) const {
    return path + "/Contents/Resources" + (name.empty() ? "" : "/" + name);
  }
  OSStatus open() { return host->open(); }
  AudioUnit unit() const { return host->unit; }

  TempFolder tmp;
  std::string path;
  std::unique_ptr<bridgetest::Bundle> fakeBundle;
  std::unique_ptr<AUHost> host;
};

// Records property-listener calls.
struct ListenerLog {
  struct Call {
    void* ref;
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    AudioUnitElement element;
  };
  std::vector<Call> calls;
  static void proc(void* ref, AudioUnit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element) {
    static_cast<ListenerLog*>(ref)->calls.push_back({ref, id, scope, element});
  }
};

}  // namespace autest

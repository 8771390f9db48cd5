// A test Audio Unit host: builds component bundles in a temporary folder, registers them
// with the Component Manager and drives an instance through the selector wrappers.
#pragma once

#include <AudioUnit/AudioUnit.h>
#include <CoreServices/Files.h>
#include <symac/HostTestHooks.h>
#include <symac/TestHooks.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BridgeTestSupport.h"

namespace autest {

using bridgetest::TempFolder;
using bridgetest::writeFile;

struct Config {
  bool autoConvertPresets = false;
  bool presetIsFXB = false;
  bool updateNameOnLoad = false;
  bool canDoMonoIO = false;
};

inline std::string plistBool(const char* key, bool value) {
  return std::string("<key>") + key + "</key>" + (value ? "<true/>" : "<false/>");
}

// The SYConfig dictionary text; an empty override replaces it with the given XML.
inline std::string configXml(const Config& c) {
  return "<key>SYConfig</key><dict>" + plistBool("AutoConvertPresets", c.autoConvertPresets) +
         plistBool("PresetIsFXB", c.presetIsFXB) + plistBool("UpdateNameOnLoad", c.updateNameOnLoad) +
         plistBool("CanDoMonoIO", c.canDoMonoIO) + "</dict>";
}

struct BundleSpec {
  std::string name = "Test.component";
  std::string executable;   // module copied to Contents/MacOS/Bridge
  std::string config;       // SYConfig XML (configXml by default)
  std::string type = "aufx";
  std::string componentName = "Maker: Quillatone";
  int version = 0x00010203;
  std::string vstModule;    // when set: Resources/Plugin.vst holding a copy of it
  std::string shimTarget;   // with vstModule = the shim: the plug-in it forwards to
  bool withResources = true;
};

// Makes <tmp>/<name> and answers its path.
inline std::string makeComponentBundle(const TempFolder& tmp, const BundleSpec& spec) {
  const std::string root = tmp / spec.name;
  std::filesystem::create_directories(root + "/Contents/MacOS");
  writeFile(root + "/Contents/Info.plist",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
            "<key>CFBundleIdentifier</key><string>com.example.test</string>"
            "<key>CFBundleExecutable</key><string>Bridge</string>"
            "<key>SymacComponent</key><dict><key>type</key><string>" + spec.type +
            "</string><key>subtype</key><string>Qlt1</string><key>manufacturer</key><string>Quil</string>"
            "<key>name</key><string>" + spec.componentName + "</string><key>version</key><integer>" +
            std::to_string(spec.version) + "</integer><key>entry</key><string>RoruvovuzEntry</string></dict>" +
            spec.config + "</dict></plist>\n");
  std::filesystem::copy_file(spec.executable, root + "/Contents/MacOS/Bridge");
  if (spec.withResources) std::filesystem::create_directories(root + "/Contents/Resources");
  if (!spec.vstModule.empty())
    bridgetest::makeBundle(tmp, spec.name + "/Contents/Resources/Plugin.vst", spec.vstModule, spec.shimTarget);
  return root;
}

// Per-test user and local Library roots inside the temporary folder.
struct DomainRoots {
  explicit DomainRoots(const TempFolder& tmp) : user(tmp / "UserLibrary"), local(tmp / "LocalLibrary") {
    std::filesystem::create_directories(user + "/Audio");
    std::filesystem::create_directories(local + "/Audio");
    symac_test_setDomainRoot(kUserDomain, user.c_str());
    symac_test_setDomainRoot(kLocalDomain, local.c_str());
  }
  ~DomainRoots() {
    symac_test_setDomainRoot(kUserDomain, (user + "/missing").c_str());
    symac_test_setDomainRoot(kLocalDomain, (local + "/missing").c_str());
  }
  std::string user, local;
};

class AUHost {
 public:
  explicit AUHost(const std::string& bundlePath) : path(bundlePath) {
    component = symac_registerComponentFromBundle(bundlePath.c_str());
  }
  ~AUHost() {
    close();
    if (component != nullptr) symac_unregisterComponent(component);
  }
  AUHost(const AUHost&) = delete;
  AUHost& operator=(const AUHost&) = delete;

  OSStatus open() { return OpenAComponent(component, &unit); }
  void close() {
    if (unit != nullptr) CloseComponent(unit);
    unit = nullptr;
  }

  template <class T>
  OSStatus get(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, T& out,
               UInt32* outSize = nullptr) {
    UInt32 size = sizeof(T);
    const OSStatus status = AudioUnitGetProperty(unit, id, scope, element, &out, &size);
    if (outSize != nullptr) *outSize = size;
    return status;
  }
  template <class T>
  OSStatus set(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const T& value) {
    return AudioUnitSetProperty(unit, id, scope, element, &value, sizeof(T));
  }
  OSStatus info(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32& size,
                Boolean& writable) {
    return AudioUnitGetPropertyInfo(unit, id, scope, element, &size, &writable);
  }

  OSStatus setRate(double rate) {
    return set<Float64>(kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0, rate);
  }

  // Renders one slice of an output bus into out (channels × frames); with memory the host
  // hands its own buffers, without it takes the unit's.
  OSStatus render(UInt32 bus, UInt32 frames, double sampleTime, UInt32 channels, bool withMemory,
                  std::vector<std::vector<float>>& out, AudioUnitRenderActionFlags* flags = nullptr) {
    AudioBufferList* list = symac_allocateBufferList(channels);
    list->mNumberBuffers = channels;
    out.assign(channels, std::vector<float>(frames, -7.0f));
    for (UInt32 c = 0; c < channels; ++c)
      list->mBuffers[c] = AudioBuffer{1, frames * 4, withMemory ? out[c].data() : nullptr};
    AudioTimeStamp ts{};
    ts.mSampleTime = sampleTime;
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags localFlags = 0;
    const OSStatus status = AudioUnitRender(unit, flags != nullptr ? flags : &localFlags, &ts, bus, frames, list);
    if (status == noErr && !withMemory)
      for (UInt32 c = 0; c < channels; ++c)
        std::copy(static_cast<float*>(list->mBuffers[c].mData), static_cast<float*>(list->mBuffers[c].mData) + frames,
                  out[c].begin());
    std::free(list);
    return status;
  }

  std::string path;
  Component component = nullptr;
  AudioUnit unit = nullptr;
};

// An input callback feeding fixed channels (one vector per channel), advancing per call.
struct InputFeed {
  std::vector<std::vector<float>> channels;
  size_t position = 0;
  int calls = 0;
  static OSStatus proc(void* ref, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                       AudioBufferList* list) {
    auto* self = static_cast<InputFeed*>(ref);
    ++self->calls;
    for (UInt32 c = 0; c < list->mNumberBuffers; ++c) {
      auto* data = static_cast<float*>(list->mBuffers[c].mData);
      const auto& src = self->channels[c % self->channels.size()];
      for (UInt32 i = 0; i < frames; ++i) data[i] = src[(self->position + i) % src.size()];
    }
    self->position += frames;
    return noErr;
  }
};

}  // namespace autest

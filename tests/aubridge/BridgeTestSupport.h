// Fixtures of the bridge tests: temporary bundles, a recording VSTHost, captured log lines.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "FakeEffectControl.h"
#include "VSTHost.h"
#include "VSTPlugIn.h"

namespace bridgetest {

class TempFolder {
 public:
  TempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/aubridge-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void writeFile(const std::string& file, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(file).parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

// A bundle folder X.vst whose executable is a copy of the given module.
inline std::string makeBundle(const TempFolder& tmp, const std::string& name, const std::string& module,
                              const std::string& shimTarget = std::string()) {
  const std::string root = tmp / name;
  writeFile(root + "/Contents/Info.plist",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
            "<key>CFBundleIdentifier</key><string>com.example." + name + "</string>"
            "<key>CFBundleExecutable</key><string>Plugin</string></dict></plist>\n");
  std::filesystem::create_directories(root + "/Contents/MacOS");
  std::filesystem::copy_file(module, root + "/Contents/MacOS/Plugin");
  if (!shimTarget.empty()) writeFile(root + "/Contents/Resources/shim-target.txt", shimTarget + "\n");
  else std::filesystem::create_directories(root + "/Contents/Resources");
  return root;
}

// Holds a bundle reference for the length of a test.
struct Bundle {
  explicit Bundle(const std::string& path) {
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                           CFIndex(path.size()), true);
    ref = CFBundleCreate(nullptr, url);
    CFRelease(url);
  }
  ~Bundle() {
    if (ref != nullptr) CFRelease(ref);
  }
  FakeControl& fake() {
    auto control = reinterpret_cast<FakeControlFunction>(
        CFBundleGetFunctionPointerForName(ref, CFSTR("fakeEffectControl")));
    return *control();
  }
  CFBundleRef ref = nullptr;
};

// Whether line is "[<tag>](0x<hex digits>) <rest>".
inline bool isLogLine(const std::string& line, const std::string& tag, const std::string& rest) {
  const std::string head = "[" + tag + "](0x";
  if (line.compare(0, head.size(), head) != 0) return false;
  size_t i = head.size();
  const size_t digits = i;
  while (i < line.size() && std::isxdigit(static_cast<unsigned char>(line[i])) && !std::isupper(line[i])) ++i;
  return i > digits && line.compare(i, std::string::npos, ") " + rest) == 0;
}

// The lines of a captured text, without their line feeds; a last line without one is kept.
inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

struct HostCall {
  std::string name;
  SInt32 a = 0;
  SInt32 b = 0;
  float value = 0;
};

class RecordingHost : public VSTHost {
 public:
  void getVendor(VSTPlugIn&, char* text) override { std::snprintf(text, 256, "%s", vendor.c_str()); }
  void getProduct(VSTPlugIn&, char* text) override { std::snprintf(text, 256, "%s", "Bridge Tests"); }
  SInt32 getVersion(VSTPlugIn&) override { return 0x10000; }
  bool canDo(VSTPlugIn&, const char* text) override {
    calls.push_back({std::string("canDo:") + text});
    return std::string(text) == "sizeWindow";
  }
  VstTimeInfo* getTimeInfo(VSTPlugIn&, SInt32 filter) override {
    calls.push_back({"getTimeInfo", filter});
    return &time;
  }
  void beginEdit(VSTPlugIn&, SInt32 index) override { calls.push_back({"beginEdit", index}); }
  void automate(VSTPlugIn&, SInt32 index, float value) override { calls.push_back({"automate", index, 0, value}); }
  void endEdit(VSTPlugIn&, SInt32 index) override { calls.push_back({"endEdit", index}); }
  bool isIOPinConnected(VSTPlugIn&, bool output, SInt32 pin) override { return !output && pin < 2; }
  void idle(VSTPlugIn&) override {
    calls.push_back({"idle"});
    if (throwOnIdle) throw std::runtime_error("host failure");
  }
  void updateDisplay(VSTPlugIn&) override { calls.push_back({"updateDisplay"}); }
  void resizeWindow(VSTPlugIn&, SInt32 width, SInt32 height) override {
    calls.push_back({"resizeWindow", width, height});
  }

  size_t count(const std::string& name) const {
    size_t n = 0;
    for (const HostCall& c : calls) n += c.name == name;
    return n;
  }

  std::string vendor = "Quillatone";
  bool throwOnIdle = false;
  std::vector<HostCall> calls;
  VstTimeInfo time{};
};

// Sends standard error to a file while alive; text() answers what was written.
class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    file_ = std::tmpfile();
    saved_ = dup(2);
    dup2(fileno(file_), 2);
  }
  ~StderrCapture() {
    restore();
    std::fclose(file_);
  }
  std::string text() {
    restore();
    std::rewind(file_);
    std::stringstream out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, file_)) > 0) out.write(buf, std::streamsize(n));
    return out.str();
  }

 private:
  void restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    saved_ = -1;
  }
  FILE* file_;
  int saved_ = -1;
};

// Planar uniform noise in [-amplitude, amplitude], the same for the same seed.
inline std::vector<std::vector<float>> noise(size_t channels, size_t frames, unsigned seed, float amplitude = 0.5f) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> d(-amplitude, amplitude);
  std::vector<std::vector<float>> out(channels, std::vector<float>(frames));
  for (auto& c : out)
    for (float& x : c) x = d(random);
  return out;
}

}  // namespace bridgetest

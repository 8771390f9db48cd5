// Main-loop timers on a virtual clock, fired in time order while the host pumps.
#include <Carbon/CarbonEvents.h>
#include <symac/HostTestHooks.h>
#include <symac/TestHooks.h>

#include <algorithm>
#include <vector>

struct SyEventLoopTimer {
  double due;
  double interval;
  EventLoopTimerUPP proc;
  void* userData;
};

namespace {

struct MainLoop {
  double now = 0.0;
  std::vector<SyEventLoopTimer*> timers;
};
MainLoop& loop() {
  static auto* l = new MainLoop();
  return *l;
}
struct SyEventLoop* const kMainLoop = reinterpret_cast<struct SyEventLoop*>(&loop);

bool alive(SyEventLoopTimer* t) {
  const auto& v = loop().timers;
  return std::find(v.begin(), v.end(), t) != v.end();
}

}  // namespace

extern "C" {

EventLoopTimerUPP NewEventLoopTimerUPP(EventLoopTimerProcPtr proc) { return proc; }
void DisposeEventLoopTimerUPP(EventLoopTimerUPP) {}
EventLoopRef GetMainEventLoop(void) { return kMainLoop; }

OSStatus InstallEventLoopTimer(EventLoopRef eventLoop, EventTimerInterval firstFire, EventTimerInterval interval,
                               EventLoopTimerUPP upp, void* userData, EventLoopTimerRef* outTimer) {
  OSStatus injected;
  if (symac_takeInjectedFailure("InstallEventLoopTimer", &injected)) return injected;
  if (eventLoop != kMainLoop || upp == nullptr || !(firstFire >= 0.0) || !(interval >= 0.0)) return paramErr;
  auto* t = new SyEventLoopTimer{loop().now + firstFire, interval, upp, userData};
  loop().timers.push_back(t);
  if (outTimer != nullptr) *outTimer = t;
  return noErr;
}

OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer) {
  OSStatus injected;
  if (symac_takeInjectedFailure("RemoveEventLoopTimer", &injected)) return injected;
  auto& v = loop().timers;
  auto it = std::find(v.begin(), v.end(), timer);
  if (it == v.end()) return paramErr;
  v.erase(it);
  delete timer;
  return noErr;
}

OSStatus RunCurrentEventLoop(EventTimerInterval seconds) {
  if (!(seconds >= 0.0)) return paramErr;
  const double end = loop().now + seconds;
  // A small tolerance keeps a timer due exactly at the end from slipping by rounding.
  const double epsilon = 1e-9;
  for (;;) {
    SyEventLoopTimer* next = nullptr;
    for (SyEventLoopTimer* t : loop().timers)
      if (next == nullptr || t->due < next->due) next = t;
    if (next == nullptr || next->due > end + epsilon) break;
    loop().now = std::max(loop().now, next->due);
    if (next->interval > 0.0) next->due += next->interval;
    EventLoopTimerUPP proc = next->proc;
    void* data = next->userData;
    const bool once = next->interval <= 0.0;
    proc(next, data);  // may remove any timer, this one included
    if (once && alive(next)) RemoveEventLoopTimer(next);
  }
  loop().now = end;
  return noErr;
}

void symac_test_advanceMainLoop(double seconds) { RunCurrentEventLoop(seconds); }
long symac_test_timerCount(void) { return long(loop().timers.size()); }

}  // extern "C"

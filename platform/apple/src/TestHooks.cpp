// Injected failures, one per function name, consumed by the next call.
#include <symac/TestHooks.h>

#include <map>
#include <mutex>
#include <string>

namespace {
std::mutex lock;
std::map<std::string, OSStatus>& pending() {
  static auto* m = new std::map<std::string, OSStatus>();
  return *m;
}
}  // namespace

extern "C" {

void symac_test_failNext(const char* functionName, OSStatus status) {
  if (functionName == nullptr) return;
  std::lock_guard<std::mutex> guard(lock);
  pending()[functionName] = status;
}

void symac_test_clearFailures(void) {
  std::lock_guard<std::mutex> guard(lock);
  pending().clear();
}

Boolean symac_takeInjectedFailure(const char* functionName, OSStatus* status) {
  std::lock_guard<std::mutex> guard(lock);
  auto it = pending().find(functionName);
  if (it == pending().end()) return false;
  if (status != nullptr) *status = it->second;
  pending().erase(it);
  return true;
}

}  // extern "C"

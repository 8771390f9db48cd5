// Component Manager: a process table of registered components and their open instances.
#include <CoreServices/Components.h>
#include <dlfcn.h>
#include <symac/TestHooks.h>

#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "DlError.h"

struct SyComponent {
  ComponentDescription description;
  ComponentRoutine routine;
  std::string name;
  SInt32 version;
  CFBundleRef bundle;  // retained, may be null
  void* handle;        // dlopen handle of a bundle registration, or null
};

struct SyComponentInstance {
  SyComponent* component;
  Handle storage = nullptr;
};

namespace {

std::recursive_mutex lock;
std::vector<SyComponent*>& components() {
  static auto* v = new std::vector<SyComponent*>();
  return *v;
}
std::set<SyComponentInstance*>& instances() {
  static auto* s = new std::set<SyComponentInstance*>();
  return *s;
}

// A component, or the component of an instance passed in its place.
SyComponent* resolve(Component c) {
  std::lock_guard<std::recursive_mutex> guard(lock);
  auto* asInstance = reinterpret_cast<SyComponentInstance*>(c);
  if (instances().count(asInstance) != 0) return asInstance->component;
  for (SyComponent* k : components())
    if (k == c) return k;
  return nullptr;
}

bool isInstance(ComponentInstance i) {
  std::lock_guard<std::recursive_mutex> guard(lock);
  return instances().count(i) != 0;
}

void putBig32(UInt8* p, UInt32 x) {
  p[0] = UInt8(x >> 24);
  p[1] = UInt8(x >> 16);
  p[2] = UInt8(x >> 8);
  p[3] = UInt8(x);
}

OSType fourCC(CFTypeRef value) {
  if (value == nullptr || CFGetTypeID(value) != CFStringGetTypeID()) return 0;
  char text[8] = {};
  if (!CFStringGetCString(CFStringRef(value), text, sizeof text, kCFStringEncodingMacRoman) ||
      std::strlen(text) != 4)
    return 0;
  return (OSType(UInt8(text[0])) << 24) | (OSType(UInt8(text[1])) << 16) | (OSType(UInt8(text[2])) << 8) |
         OSType(UInt8(text[3]));
}

}  // namespace

extern "C" {

Handle GetComponentInstanceStorage(ComponentInstance instance) {
  return isInstance(instance) ? instance->storage : nullptr;
}

void SetComponentInstanceStorage(ComponentInstance instance, Handle storage) {
  if (isInstance(instance)) instance->storage = storage;
}

OSErr GetComponentInfo(Component component, ComponentDescription* description, Handle nameHandle, Handle,
                       Handle) {
  OSStatus injected;
  if (symac_takeInjectedFailure("GetComponentInfo", &injected)) return OSErr(injected);
  SyComponent* c = resolve(component);
  if (c == nullptr) return OSErr(badComponentInstance & 0xFFFF);
  if (description != nullptr) *description = c->description;
  if (nameHandle != nullptr) {
    const size_t length = c->name.size() > 255 ? 255 : c->name.size();
    SetHandleSize(nameHandle, Size(length + 1));
    if (GetHandleSize(nameHandle) < Size(length + 1)) return memFullErr;
    (*nameHandle)[0] = char(length);
    std::memcpy(*nameHandle + 1, c->name.data(), length);
  }
  return noErr;
}

OSErr GetComponentResource(Component component, OSType resourceType, SInt16 resourceID, Handle* resource) {
  OSStatus injected;
  if (symac_takeInjectedFailure("GetComponentResource", &injected)) return OSErr(injected);
  if (resource == nullptr) return paramErr;
  *resource = nullptr;
  SyComponent* c = resolve(component);
  if (c == nullptr) return OSErr(badComponentInstance & 0xFFFF);
  if (resourceType != kComponentResourceType || resourceID != kComponentResourceID) return -192;  // resNotFound
  Handle h = NewHandleClear(56);
  if (h == nullptr) return memFullErr;
  UInt8* p = reinterpret_cast<UInt8*>(*h);
  putBig32(p + 0, c->description.componentType);
  putBig32(p + 4, c->description.componentSubType);
  putBig32(p + 8, c->description.componentManufacturer);
  putBig32(p + 12, c->description.componentFlags);
  putBig32(p + 16, c->description.componentFlagsMask);
  putBig32(p + 44, UInt32(c->version));
  *resource = h;
  return noErr;
}

Component symac_registerComponent(const ComponentDescription* description, ComponentRoutine routine,
                                  const char* name, SInt32 version, CFBundleRef bundle) {
  if (description == nullptr || routine == nullptr) return nullptr;
  auto* c = new SyComponent{*description, routine, name != nullptr ? name : "", version, bundle, nullptr};
  if (bundle != nullptr) CFRetain(bundle);
  std::lock_guard<std::recursive_mutex> guard(lock);
  components().push_back(c);
  return c;
}

Component symac_registerComponentFromBundle(const char* bundlePath) {
  if (bundlePath == nullptr) return nullptr;
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(bundlePath),
                                                         CFIndex(std::strlen(bundlePath)), true);
  if (url == nullptr) return nullptr;
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  if (bundle == nullptr) return nullptr;
  Component result = nullptr;
  CFTypeRef reg = CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("SymacComponent"));
  CFURLRef exe = CFBundleCopyExecutableURL(bundle);
  if (reg != nullptr && CFGetTypeID(reg) == CFDictionaryGetTypeID() && exe != nullptr) {
    auto dict = CFDictionaryRef(reg);
    ComponentDescription d{};
    d.componentType = fourCC(CFDictionaryGetValue(dict, CFSTR("type")));
    d.componentSubType = fourCC(CFDictionaryGetValue(dict, CFSTR("subtype")));
    d.componentManufacturer = fourCC(CFDictionaryGetValue(dict, CFSTR("manufacturer")));
    char name[256] = {}, entry[256] = {};
    auto nameRef = CFStringRef(CFDictionaryGetValue(dict, CFSTR("name")));
    auto entryRef = CFStringRef(CFDictionaryGetValue(dict, CFSTR("entry")));
    auto versionRef = CFNumberRef(CFDictionaryGetValue(dict, CFSTR("version")));
    SInt32 version = 0;
    if (versionRef != nullptr && CFGetTypeID(versionRef) == CFNumberGetTypeID())
      CFNumberGetValue(versionRef, kCFNumberSInt32Type, &version);
    UInt8 path[4096];
    if (nameRef != nullptr && entryRef != nullptr && CFGetTypeID(nameRef) == CFStringGetTypeID() &&
        CFGetTypeID(entryRef) == CFStringGetTypeID() &&
        CFStringGetCString(nameRef, name, sizeof name, kCFStringEncodingUTF8) &&
        CFStringGetCString(entryRef, entry, sizeof entry, kCFStringEncodingUTF8) &&
        CFURLGetFileSystemRepresentation(exe, true, path, sizeof path)) {
      // The host's own handle: the code stays mapped while the component is registered.
      void* handle = dlopen(reinterpret_cast<const char*>(path), RTLD_NOW | RTLD_LOCAL);
      auto routine = handle != nullptr ? reinterpret_cast<ComponentRoutine>(dlsym(handle, entry)) : nullptr;
      if (routine != nullptr) {
        result = symac_registerComponent(&d, routine, name, version, bundle);
        result->handle = handle;
      } else {
        if (handle != nullptr) dlclose(handle);
        releaseDlError();
      }
    }
  }
  if (exe != nullptr) CFRelease(exe);
  CFRelease(bundle);
  return result;
}

void symac_unregisterComponent(Component component) {
  std::lock_guard<std::recursive_mutex> guard(lock);
  auto& v = components();
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] != component) continue;
    if (component->bundle != nullptr) CFRelease(component->bundle);
    // The module stays mapped: objects it made may outlive the registration.
    delete component;
    v.erase(v.begin() + long(i));
    return;
  }
}

Component FindNextComponent(Component after, const ComponentDescription* looking) {
  std::lock_guard<std::recursive_mutex> guard(lock);
  bool passed = after == nullptr;
  for (SyComponent* c : components()) {
    if (!passed) {
      passed = c == after;
      continue;
    }
    if (looking == nullptr) return c;
    if ((looking->componentType == 0 || looking->componentType == c->description.componentType) &&
        (looking->componentSubType == 0 || looking->componentSubType == c->description.componentSubType) &&
        (looking->componentManufacturer == 0 ||
         looking->componentManufacturer == c->description.componentManufacturer))
      return c;
  }
  return nullptr;
}

OSErr OpenAComponent(Component component, ComponentInstance* instance) {
  if (instance == nullptr) return paramErr;
  *instance = nullptr;
  SyComponent* c = resolve(component);
  if (c == nullptr) return OSErr(badComponentInstance & 0xFFFF);
  auto* i = new SyComponentInstance{c};
  {
    std::lock_guard<std::recursive_mutex> guard(lock);
    instances().insert(i);
  }
  ComponentParameters pb{};
  pb.what = kComponentOpenSelect;
  pb.paramSize = sizeof(intptr_t);
  pb.params[0] = reinterpret_cast<intptr_t>(i);
  const ComponentResult result = c->routine(&pb, nullptr);
  if (result != noErr) {
    std::lock_guard<std::recursive_mutex> guard(lock);
    instances().erase(i);
    delete i;
    return OSErr(result);
  }
  *instance = i;
  return noErr;
}

OSErr CloseComponent(ComponentInstance instance) {
  if (!isInstance(instance)) return OSErr(badComponentInstance & 0xFFFF);
  ComponentParameters pb{};
  pb.what = kComponentCloseSelect;
  pb.paramSize = sizeof(intptr_t);
  pb.params[0] = reinterpret_cast<intptr_t>(instance);
  const ComponentResult result = instance->component->routine(&pb, instance->storage);
  std::lock_guard<std::recursive_mutex> guard(lock);
  instances().erase(instance);
  delete instance;
  return OSErr(result);
}

ComponentResult CallComponentDispatch(ComponentInstance instance, SInt16 what, const intptr_t* args,
                                      int argumentCount) {
  if (!isInstance(instance) || argumentCount < 0 || argumentCount > 16) return badComponentInstance;
  // Room for the instance word and up to 16 arguments.
  struct {
    ComponentParameters head;
    intptr_t more[16];
  } block{};
  block.head.what = what;
  block.head.paramSize = UInt8(sizeof(intptr_t) * size_t(argumentCount));
  intptr_t* words = block.head.params;
  words[0] = reinterpret_cast<intptr_t>(instance);
  for (int k = 0; k < argumentCount; ++k) words[k + 1] = args[k];
  return instance->component->routine(&block.head, instance->storage);
}

ComponentResult CallComponentCanDo(ComponentInstance instance, SInt16 selector) {
  if (!isInstance(instance)) return badComponentInstance;
  ComponentParameters pb{};
  pb.what = kComponentCanDoSelect;
  pb.paramSize = sizeof(intptr_t);
  pb.params[0] = selector;
  return instance->component->routine(&pb, instance->storage);
}

ComponentResult CallComponentVersion(ComponentInstance instance) {
  if (!isInstance(instance)) return badComponentInstance;
  ComponentParameters pb{};
  pb.what = kComponentVersionSelect;
  pb.params[0] = reinterpret_cast<intptr_t>(instance);
  return instance->component->routine(&pb, instance->storage);
}

}  // extern "C"

// Reference-counted objects, autorelease pools, views and the class registry.
#include <ObjCStandin.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

struct SyObjCClass {
  std::string name;
  SyAllocInit allocInit;
};

namespace {

std::vector<std::vector<NSObject*>>& pools() {
  static auto* p = new std::vector<std::vector<NSObject*>>();
  return *p;
}
std::map<std::string, SyObjCClass*>& classes() {
  static auto* m = new std::map<std::string, SyObjCClass*>();
  return *m;
}

}  // namespace

NSObject::NSObject() = default;
NSObject::~NSObject() = default;
NSObject* NSObject::retain() {
  ++refs_;
  return this;
}
void NSObject::release() {
  if (--refs_ == 0) dealloc();
}
NSObject* NSObject::autorelease() {
  if (pools().empty()) {
    std::fprintf(stderr, "symac: autorelease with no pool in place; object leaks\n");
    return this;
  }
  pools().back().push_back(this);
  return this;
}
void NSObject::dealloc() { delete this; }

NSAutoreleasePool::NSAutoreleasePool() { pools().emplace_back(); }
NSAutoreleasePool::~NSAutoreleasePool() {
  std::vector<NSObject*> objects = std::move(pools().back());
  pools().pop_back();
  for (NSObject* o : objects) o->release();
}

NSView* NSView::initWithFrame(NSRect frame) {
  frame_ = frame;
  return this;
}

void NSView::addSubview(NSView* view) {
  if (view == nullptr || view == this) return;
  view->retain();
  view->removeFromSuperview();
  auto** grown = static_cast<NSView**>(std::realloc(subviews_, sizeof(NSView*) * (subviewCount_ + 1)));
  if (grown == nullptr) {
    view->release();
    return;
  }
  subviews_ = grown;
  subviews_[subviewCount_++] = view;
  view->superview_ = this;
}

void NSView::removeFromSuperview() {
  NSView* parent = superview_;
  if (parent == nullptr) return;
  for (unsigned long i = 0; i < parent->subviewCount_; ++i) {
    if (parent->subviews_[i] != this) continue;
    for (unsigned long k = i + 1; k < parent->subviewCount_; ++k) parent->subviews_[k - 1] = parent->subviews_[k];
    --parent->subviewCount_;
    break;
  }
  superview_ = nullptr;
  release();
}

void NSView::dealloc() {
  while (subviewCount_ > 0) subviews_[subviewCount_ - 1]->removeFromSuperview();
  std::free(subviews_);
  subviews_ = nullptr;
  NSObject::dealloc();
}

AUCocoaUIBase::~AUCocoaUIBase() = default;

extern "C" {

Class objc_registerClass(const char* name, SyAllocInit allocInit) {
  if (name == nullptr || allocInit == nullptr) return nullptr;
  auto it = classes().find(name);
  if (it != classes().end()) {
    std::fprintf(stderr, "symac: class %s registered twice; the first is kept\n", name);
    return it->second;
  }
  auto* c = new SyObjCClass{name, allocInit};
  classes()[name] = c;
  return c;
}

Class objc_getClass(const char* name) {
  if (name == nullptr) return nullptr;
  auto it = classes().find(name);
  return it == classes().end() ? nullptr : it->second;
}

NSObject* class_createInstance(Class cls) { return cls != nullptr ? cls->allocInit() : nullptr; }

void objc_unregisterClass(const char* name) {
  if (name == nullptr) return;
  auto it = classes().find(name);
  if (it == classes().end()) return;
  delete it->second;
  classes().erase(it);
}

}  // extern "C"

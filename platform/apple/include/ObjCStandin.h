// The Objective-C objects the bridge's editor view needs, as plain C++: reference-counted
// NSObject with autorelease pools, NSView frames and subviews, the AUCocoaUIBase protocol
// and a class registry. Main thread only.
#pragma once

#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>

typedef double CGFloat;
struct NSPoint {
  CGFloat x, y;
};
struct NSSize {
  CGFloat width, height;
};
struct NSRect {
  NSPoint origin;
  NSSize size;
};
inline NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return NSRect{{x, y}, {w, h}}; }
typedef CFStringRef NSStringRef;

class AUCocoaUIBase;

class SY_EXPORT NSObject {
 public:
  NSObject();
  NSObject* retain();
  void release();  // dealloc at zero
  NSObject* autorelease();
  long retainCount() const { return refs_; }
  // The protocol this object conforms to, or NULL.
  virtual AUCocoaUIBase* asCocoaUIBase() { return nullptr; }

 protected:
  virtual ~NSObject();
  virtual void dealloc();

 private:
  long refs_ = 1;
};

// RAII over the stack of pools: objects autoreleased while it is the top are released
// when it ends.
class SY_EXPORT NSAutoreleasePool {
 public:
  NSAutoreleasePool();
  ~NSAutoreleasePool();
  NSAutoreleasePool(const NSAutoreleasePool&) = delete;
  NSAutoreleasePool& operator=(const NSAutoreleasePool&) = delete;
};

class SY_EXPORT NSView : public NSObject {
 public:
  NSView* initWithFrame(NSRect frame);
  NSRect frame() const { return frame_; }
  void setFrame(NSRect frame) { frame_ = frame; }
  void setFrameSize(NSSize size) { frame_.size = size; }
  void addSubview(NSView* view);  // retains it
  void removeFromSuperview();
  NSView* superview() const { return superview_; }
  long subviewCount() const { return long(subviewCount_); }
  NSView* subviewAt(long i) const { return i >= 0 && i < long(subviewCount_) ? subviews_[i] : nullptr; }

 protected:
  void dealloc() override;

 private:
  NSRect frame_{};
  NSView* superview_ = nullptr;
  NSView** subviews_ = nullptr;
  unsigned long subviewCount_ = 0;
};

class SY_EXPORT AUCocoaUIBase {
 public:
  virtual unsigned interfaceVersion() = 0;
  virtual NSView* uiViewForAudioUnit(AudioUnit unit, NSSize preferredSize) = 0;
  virtual CFStringRef description() = 0;

 protected:
  virtual ~AUCocoaUIBase();
};

typedef struct SyObjCClass* Class;
typedef NSObject* (*SyAllocInit)(void);

SY_BEGIN_C
// A duplicate name keeps the first registration and logs.
SY_EXPORT Class objc_registerClass(const char* name, SyAllocInit allocInit);
SY_EXPORT Class objc_getClass(const char* name);  // NULL for an unknown name
SY_EXPORT NSObject* class_createInstance(Class cls);
// Drops a registration (a module that registered classes calls it when it unloads).
SY_EXPORT void objc_unregisterClass(const char* name);
SY_END_C

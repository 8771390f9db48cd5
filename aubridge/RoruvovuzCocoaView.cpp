#include "RoruvovuzCocoaView.h"

#include "RoruvovuzComponent.h"
#include "RoruvovuzException.h"

namespace {

NSObject* makeFactory() { return new RoruvovuzCocoaViewFactory(); }
NSObject* makeView() { return new RoruvovuzCocoaView(); }

}  // namespace

CFStringRef RoruvovuzCocoaViewFactory::description() { return CFSTR("Editor"); }

NSView* RoruvovuzCocoaViewFactory::uiViewForAudioUnit(AudioUnit unit, NSSize) {
  auto* component = reinterpret_cast<RoruvovuzComponent*>(GetComponentInstanceStorage(unit));
  if (component == nullptr) return nullptr;  // no instance behind the unit: no view
  try {
    return component->createView();
  } catch (const std::exception&) {
    return nullptr;
  }
}

RoruvovuzCocoaView* RoruvovuzCocoaView::initWithFrame(NSRect frame, RoruvovuzComponent* component) {
  if (component == nullptr) throw RoruvovuzException("RoruvovuzCocoaView needs a component");
  NSView::initWithFrame(frame);
  roruvovuz = component;
  return this;
}

void RoruvovuzCocoaView::dealloc() {
  if (roruvovuz != nullptr) {
    RoruvovuzComponent* component = roruvovuz;
    roruvovuz = nullptr;
    try {
      component->dropView();
    } catch (const std::exception&) {
    }
  }
  NSView::dealloc();
}

void detachCocoaView(NSView* view) { static_cast<RoruvovuzCocoaView*>(view)->detach(); }

void resizeCocoaView(NSView* view, SInt32 width, SInt32 height) {
  view->setFrameSize(NSSize{CGFloat(width), CGFloat(height)});
}

NSView* RoruvovuzComponent::createView() {
  if (!vst->hasEditor()) throw RoruvovuzException("VST has no editor");
  if (cocoaView != nullptr) throw RoruvovuzException("Editor view already exists");
  SInt32 width = 0, height = 0;
  vst->getEditorDimensions(width, height);
  auto* view = new RoruvovuzCocoaView();
  view->initWithFrame(NSMakeRect(0, 0, width, height), this);
  cocoaView = view;
  try {
    vst->openEditor(view);
  } catch (...) {
    cocoaView = nullptr;
    view->detach();
    view->release();
    throw;
  }
  view->autorelease();
  return view;
}

void RoruvovuzComponent::dropView() {
  if (!vst->hasEditor() || !vst->isEditorOpen()) throw RoruvovuzException("dropView: no open editor");
  vst->closeEditor();
  if (cocoaView == nullptr) throw RoruvovuzException("dropView: no view");
  cocoaView = nullptr;
}

__attribute__((weak)) const char* roruvovuzClassPrefix() { return "Roruvovuz_"; }
std::string roruvovuzFactoryClassName() { return std::string(roruvovuzClassPrefix()) + "CocoaViewFactory"; }
std::string roruvovuzViewClassName() { return std::string(roruvovuzClassPrefix()) + "CocoaView"; }

void registerRoruvovuzViewClasses() {
  objc_registerClass(roruvovuzFactoryClassName().c_str(), &makeFactory);
  objc_registerClass(roruvovuzViewClassName().c_str(), &makeView);
}

void unregisterRoruvovuzViewClasses() {
  objc_unregisterClass(roruvovuzFactoryClassName().c_str());
  objc_unregisterClass(roruvovuzViewClassName().c_str());
}

// The general pasteboard: a dictionary from type to data.
#include <AppKit/NSPasteboard.h>

const CFStringRef NSPasteboardTypeString = CFSTR("public.utf8-plain-text");

NSPasteboard* NSPasteboard::generalPasteboard() {
  static NSPasteboard* board = new NSPasteboard();
  return board;
}

long NSPasteboard::clearContents() {
  if (contents_ != nullptr) CFRelease(contents_);
  contents_ = nullptr;
  return ++changeCount_;
}

bool NSPasteboard::setData(CFDataRef data, CFStringRef type) {
  if (data == nullptr || type == nullptr || CFGetTypeID(data) != CFDataGetTypeID()) return false;
  if (contents_ == nullptr)
    contents_ = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(contents_, type, data);
  ++changeCount_;
  return true;
}

CFDataRef NSPasteboard::dataForType(CFStringRef type) {
  if (contents_ == nullptr || type == nullptr) return nullptr;
  return CFDataRef(CFDictionaryGetValue(contents_, type));
}

#include "RoruvovuzEntry.h"

#include <new>

#include "RoruvovuzComponent.h"
#include "RoruvovuzException.h"
#include "RoruvovuzLog.h"

namespace {

// The selectors the component answers.
constexpr SInt16 kCanDoSelectors[] = {-4, -3, -2, -1, 1, 2, 3, 4, 5, 6, 7, 9, 10, 14, 15, 16, 17, 18, 257};

ComponentResult handle(ComponentParameters* pb, Handle storage) {
  switch (pb->what) {
    case kComponentOpenSelect: {
      SY_LOG("[%s](%p) AU kComponentOpenSelect\n");
      auto instance = reinterpret_cast<ComponentInstance>(pb->params[0]);
      auto* component = new RoruvovuzComponent(instance);
      SetComponentInstanceStorage(instance, reinterpret_cast<Handle>(component));
      return noErr;
    }
    case kComponentCloseSelect: {
      SY_LOG("[%s](%p) AU kComponentCloseSelect\n");
      if (storage != nullptr) {
        auto instance = reinterpret_cast<ComponentInstance>(pb->params[0]);
        SetComponentInstanceStorage(instance, nullptr);
        delete reinterpret_cast<RoruvovuzComponent*>(storage);
      }
      return noErr;
    }
    case kComponentCanDoSelect: {
      const long selector = long(pb->params[0]);
      SY_LOG("[%s](%p) AU kComponentCanDoSelect: %ld\n", selector);
      for (SInt16 s : kCanDoSelectors)
        if (s == selector) return 1;
      SY_LOG("[%s](%p) AU cannot do selector: %d\n", int(selector));
      return 0;
    }
    case kComponentVersionSelect: {
      SY_LOG("[%s](%p) AU kComponentVersionSelect\n");
      Handle resource = nullptr;
      const OSErr err = GetComponentResource(reinterpret_cast<Component>(pb->params[0]), kComponentResourceType,
                                             kComponentResourceID, &resource);
      if (err != noErr) throw MacOSException(err);
      if (resource == nullptr || GetHandleSize(resource) < 48) {
        if (resource != nullptr) DisposeHandle(resource);
        throw MacOSException(-192);
      }
      const UInt8* p = reinterpret_cast<const UInt8*>(*resource) + 44;
      const SInt32 version = SInt32((UInt32(p[0]) << 24) | (UInt32(p[1]) << 16) | (UInt32(p[2]) << 8) | UInt32(p[3]));
      DisposeHandle(resource);
      return version;
    }
    default:
      if (storage == nullptr) {
        SY_LOG("[%s](%p) Roruvovuz component pointer is null (cannot handle selector: %d)\n", int(pb->what));
        return badComponentSelector;
      }
      return reinterpret_cast<RoruvovuzComponent*>(storage)->dispatch(pb);
  }
}

}  // namespace

ComponentResult roruvovuzEntry(ComponentParameters* pb, Handle storage) {
  if (pb == nullptr) return paramErr;
  try {
    return handle(pb, storage);
  } catch (const MacOSException& e) {
    SY_LOG("[%s](%p) Caught Mac OSSSS exception in RoruvovuzEntry: %s\n", e.what());
    return e.status();
  } catch (const EOFException&) {
    SY_LOG("[%s](%p) Caught end of file exception in RoruvovuzEntry\n");
    return eofErr;
  } catch (const std::bad_alloc&) {
    SY_LOG("[%s](%p) Caught std::bad_alloc in RoruvovuzEntry\n");
    return memFullErr;
  } catch (const std::exception& e) {
    SY_LOG("[%s](%p) Caught exception in RoruvovuzEntry: %s\n", e.what());
    return -32767;
  } catch (...) {
    SY_LOG("[%s](%p) Caught general exception in RoruvovuzEntry\n");
    return -32767;
  }
}

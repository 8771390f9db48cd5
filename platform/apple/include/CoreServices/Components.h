// Component Manager: registered components, their instances and per-instance storage.
// Registration and instance functions lock a process table inside; any thread may call them.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <MacTypes.h>

typedef struct SyComponent* Component;
typedef struct SyComponentInstance* ComponentInstance;
typedef SInt32 ComponentResult;

typedef struct {
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
} ComponentDescription;

// After the instance, each argument takes one word, in declaration order; floats travel as
// their bit pattern. For open and close params[0] is the instance; for can-do the selector.
typedef struct {
  UInt8 flags;
  UInt8 paramSize;
  SInt16 what;
  UInt32 padding;
  intptr_t params[1];
} ComponentParameters;

typedef ComponentResult (*ComponentRoutine)(ComponentParameters* params, Handle storage);

enum {
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4
};

enum { badComponentInstance = (SInt32)0x80008001, badComponentSelector = (SInt32)0x80008002 };
enum { kComponentResourceType = 0x74686E67 /* 'thng' */, kComponentResourceID = 10000 };

#ifdef __cplusplus
#include <cstring>
#include <type_traits>
// Argument i (0 is the first after the instance) of a parameter block as type T.
template <class T>
inline T symacComponentArgument(const ComponentParameters* pb, int i) {
  const intptr_t* words = pb->params;
  const intptr_t word = words[i + 1];
  if constexpr (std::is_same_v<T, float>) {
    const UInt32 bits = UInt32(uintptr_t(word));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  } else if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<T>(word);
  } else {
    return static_cast<T>(word);
  }
}
// One argument word for a value of any of the types above.
template <class T>
inline intptr_t symacComponentWord(T value) {
  if constexpr (std::is_same_v<T, float>) {
    UInt32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return intptr_t(bits);
  } else if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<intptr_t>(value);
  } else {
    return static_cast<intptr_t>(value);
  }
}
#define CM_ARG(pb, i, T) symacComponentArgument<T>((pb), (i))
#endif

SY_BEGIN_C
// [any thread] The instance's storage, set by its component.
SY_EXPORT Handle GetComponentInstanceStorage(ComponentInstance instance);
SY_EXPORT void SetComponentInstanceStorage(ComponentInstance instance, Handle storage);
// [any thread] Description, name (a Pascal-string handle the caller made) of a component or
// an instance of one; any output may be NULL.
SY_EXPORT OSErr GetComponentInfo(Component component, ComponentDescription* description, Handle nameHandle,
                                 Handle infoHandle, Handle iconHandle);
// [any thread] The 'thng' resource (id 10000), big-endian, in a new handle the caller disposes of.
SY_EXPORT OSErr GetComponentResource(Component component, OSType resourceType, SInt16 resourceID,
                                     Handle* resource);

// Host side.
SY_EXPORT Component symac_registerComponent(const ComponentDescription* description, ComponentRoutine routine,
                                            const char* name, SInt32 version, CFBundleRef bundle);
// Registers the component of a bundle folder from the SymacComponent dictionary of its
// Info.plist (type, subtype, manufacturer, name, version, entry); NULL on failure.
SY_EXPORT Component symac_registerComponentFromBundle(const char* bundlePath);
SY_EXPORT void symac_unregisterComponent(Component component);
SY_EXPORT Component FindNextComponent(Component after, const ComponentDescription* looking);
SY_EXPORT OSErr OpenAComponent(Component component, ComponentInstance* instance);
SY_EXPORT OSErr CloseComponent(ComponentInstance instance);
// Calls the instance's routine with the block (its params[0] set to the instance).
SY_EXPORT ComponentResult CallComponentDispatch(ComponentInstance instance, SInt16 what, const intptr_t* args,
                                                int argumentCount);
SY_EXPORT ComponentResult CallComponentCanDo(ComponentInstance instance, SInt16 selector);
SY_EXPORT ComponentResult CallComponentVersion(ComponentInstance instance);
SY_END_C

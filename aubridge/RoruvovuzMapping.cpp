// SYConfig and the parameter mapping file SYParameters.txt.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "RoruvovuzComponent.h"
#include "RoruvovuzException.h"
#include "RoruvovuzFiles.h"
#include "RoruvovuzLog.h"

using namespace roruvovuz;

namespace {

constexpr size_t kLineSize = 2048;
constexpr const char* kMappingFileName = "SYParameters.txt";
constexpr const char* kHeading = "vst param #\tname\tmin\tmax\tdisplay\tunit\tdefault\r";
constexpr UInt32 kFlagsPlain = 0xC8000000u;
constexpr UInt32 kFlagsValueStrings = 0xC8200000u;
constexpr UInt32 kFlagGlobalMeta = 0x10000000u;

// A parameter text for the default file: no leading spaces, no tabs or line ends, "-" when empty.
std::string cleanText(const char* text) {
  while (*text == ' ') ++text;
  std::string out = text;
  for (char& c : out)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return out.empty() ? std::string("-") : out;
}

// Whether the whole text is a finite number (an empty text is 0).
bool numberOf(const char* text, float& value) {
  if (*text == '\0') {
    value = 0.0f;
    return true;
  }
  char* end = nullptr;
  value = std::strtof(text, &end);
  return end != text && *end == '\0' && std::isfinite(value);
}

CFStringRef macRomanString(const char* text) {
  CFStringRef s = CFStringCreateWithCString(nullptr, text, kCFStringEncodingMacRoman);
  if (s == nullptr) throw std::bad_alloc();
  return s;
}

}  // namespace

const UInt8* RoruvovuzComponent::readLine(const UInt8* p, const UInt8* end, char* line) {
  if (p == nullptr || end == nullptr || line == nullptr) throw RoruvovuzException("readLine: null argument");
  if (p >= end) throw EOFException("End of file error");
  size_t n = 0;
  while (p < end && *p != '\r' && *p != '\n') {
    if (n < kLineSize - 1) line[n++] = char(*p);
    ++p;
  }
  line[n] = '\0';
  if (p < end && *p == '\r') ++p;
  else if (p < end && *p == '\n') return p + 1;
  if (p < end && *p == '\n' && p[-1] == '\r') ++p;
  return p;
}

CFTypeRef RoruvovuzComponent::getValueOfKeyInDictionary(CFDictionaryRef dictionary, CFStringRef key, CFTypeID type) {
  if (dictionary == nullptr || key == nullptr) throw RoruvovuzException("getValueOfKeyInDictionary: null argument");
  CFTypeRef value = CFDictionaryGetValue(dictionary, key);
  if (value == nullptr) throw RoruvovuzException("Missing key in dictionary");
  if (CFGetTypeID(value) != type) throw FormatException("Value in dictionary is not of expected type");
  return value;
}

void RoruvovuzComponent::addIntToDictionary(CFMutableDictionaryRef dictionary, CFStringRef key, SInt32 value) {
  if (dictionary == nullptr || key == nullptr) throw RoruvovuzException("addIntToDictionary: null argument");
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
  if (number == nullptr) throw std::bad_alloc();
  CFDictionarySetValue(dictionary, key, number);
  CFRelease(number);
}

const char* RoruvovuzComponent::cfStringToCString(CFStringRef string, char* buffer, CFIndex size) {
  if (string == nullptr || CFGetTypeID(string) != CFStringGetTypeID())
    throw RoruvovuzException("cfStringToCString: not a string");
  const char* direct = CFStringGetCStringPtr(string, kCFStringEncodingMacRoman);
  if (direct != nullptr) return direct;
  buffer[0] = '\0';
  if (!CFStringGetCString(string, buffer, size + 1, kCFStringEncodingMacRoman)) {
    // Too long or not representable: keep what fits, character by character.
    const CFIndex length = CFStringGetLength(string);
    CFIndex n = 0;
    for (CFIndex i = 0; i < length && n < size; ++i) {
      UniChar u = CFStringGetCharacterAtIndex(string, i);
      CFStringRef one = CFStringCreateWithCharacters(nullptr, &u, 1);
      char c[4] = {};
      if (one != nullptr && CFStringGetCString(one, c, sizeof c, kCFStringEncodingMacRoman)) buffer[n++] = c[0];
      else buffer[n++] = '?';
      if (one != nullptr) CFRelease(one);
    }
    buffer[n] = '\0';
  }
  return buffer;
}

void RoruvovuzComponent::readConfig() {
  CFDictionaryRef info = CFBundleGetInfoDictionary(auBundleRef);
  if (info == nullptr) throw RoruvovuzException("Could not get info dictionary for bundle");
  auto config = CFDictionaryRef(getValueOfKeyInDictionary(info, CFSTR("SYConfig"), CFDictionaryGetTypeID()));
  auto flag = [&](CFStringRef key) {
    return CFBooleanGetValue(CFBooleanRef(getValueOfKeyInDictionary(config, key, CFBooleanGetTypeID()))) != 0;
  };
  autoConvertPresets = flag(CFSTR("AutoConvertPresets"));
  presetIsFXB = flag(CFSTR("PresetIsFXB"));
  updateNameOnLoad = flag(CFSTR("UpdateNameOnLoad"));
  canDoMonoIO = flag(CFSTR("CanDoMonoIO"));
}

void RoruvovuzComponent::initParameterMapping() {
  const std::u16string name = unicodeName(kMappingFileName);
  FSRef file;
  OSErr err = lookUp(resourcesFolderRef, name, file);
  if (err == fnfErr) {
    try {
      file = createFile(resourcesFolderRef, name);
    } catch (const MacOSException& e) {
      // Resources that cannot be written: the defaults are used without a file.
      SY_LOG("[%s](%p) Could not create SYParameters.txt (%s), using default mapping\n", e.what());
      createDefaultParameterMappingFile(nullptr);
      return;
    }
    createDefaultParameterMappingFile(&file);
    err = lookUp(resourcesFolderRef, name, file);
  }
  if (err != noErr) throw MacOSException(err);
  readParameterMapping(file);
}

void RoruvovuzComponent::readParameterMapping(const FSRef& file) {
  if (parameterCount != 0) throw RoruvovuzException("readParameterMapping: already mapped");
  UInt32 size = 0;
  std::unique_ptr<UInt8[]> bytes = loadFromFile(file, size);
  const UInt8* p = bytes.get();
  const UInt8* end = p + size;
  char line[kLineSize];
  if (p < end) p = readLine(p, end, line);  // the heading
  while (p < end) {
    p = readLine(p, end, line);
    mapLine(line);
  }
}

bool RoruvovuzComponent::mapLine(const char* text) {
  while (*text == ' ') ++text;
  if (*text == '\0' || *text == ';') return false;
  char indexText[33] = {}, name[256] = {}, display[1024] = {}, unit[256] = {};
  float minValue = 0, maxValue = 0, defaultValue = 0;
  const int fields = std::sscanf(text, "%32s%*[\t]%255[^\t]%*[\t]%f%*[\t]%f%*[\t]%1023[^\t]%*[\t]%255[^\t]%*[\t]%f",
                                 indexText, name, &minValue, &maxValue, display, unit, &defaultValue);
  if (fields != 7) return false;
  const char* displayText = display;
  while (*displayText == ' ') ++displayText;
  size_t indexLength = std::strlen(indexText);
  bool globalMeta = false;
  if (indexLength > 0 && indexText[indexLength - 1] == '+') {
    globalMeta = true;
    indexText[--indexLength] = '\0';
  }
  if (indexLength == 0 || indexLength > 9) return false;
  for (size_t i = 0; i < indexLength; ++i)
    if (!std::isdigit(static_cast<unsigned char>(indexText[i]))) return false;
  const long index = std::strtol(indexText, nullptr, 10);
  if (index < 0 || index >= vst->getParameterCount()) return false;
  if (!std::isfinite(minValue) || !std::isfinite(maxValue) || !std::isfinite(defaultValue)) return false;
  if (!(minValue < maxValue) || defaultValue < minValue || defaultValue > maxValue) return false;
  if (parameterInfos[index].name[0] != '\0' || *displayText == '\0') return false;

  AudioUnitParameterInfo info{};
  std::memcpy(info.name, name, std::min(std::strlen(name), sizeof info.name - 1));
  if (info.name[0] == '\0') return false;  // an unnamed record could not be told from an unmapped one
  CFArrayRef values = nullptr;
  const bool hasUnit = unit[0] != '\0' && std::strcmp(unit, "-") != 0;
  info.unit = hasUnit ? kAudioUnitParameterUnit_CustomUnit : kAudioUnitParameterUnit_Generic;
  info.flags = kFlagsPlain;
  if (std::strcmp(displayText, "=") == 0) {
  } else if (std::strcmp(displayText, "?") == 0) {
    info.flags = kFlagsValueStrings;
  } else if (std::strcmp(displayText, "b") == 0) {
    if (minValue != 0.0f) {
      SY_LOG("[%s](%p) Error in SYParameters.txt: min parameter for 'b' display type is %f, must be 0 (parameter: %s)\n",
             double(minValue), name);
      return false;
    }
    if (maxValue != 1.0f) {
      SY_LOG("[%s](%p) Error in SYParameters.txt: max parameter for 'b' display type is %f, must be 1 (parameter: %s)\n",
             double(maxValue), name);
      return false;
    }
    info.unit = kAudioUnitParameterUnit_Boolean;
  } else {
    CFStringRef list = macRomanString(displayText);
    values = CFStringCreateArrayBySeparatingStrings(nullptr, list, CFSTR("|"));
    CFRelease(list);
    if (values == nullptr) throw std::bad_alloc();
    const float expectedMax = float(CFArrayGetCount(values) - 1);
    if (minValue != 0.0f) {
      SY_LOG("[%s](%p) Error in SYParameters.txt: min parameter for '|' display type is %f, must be 0 (parameter: %s)\n",
             double(minValue), name);
      CFRelease(values);
      return false;
    }
    if (maxValue != expectedMax) {
      SY_LOG("[%s](%p) Error in SYParameters.txt: max parameter for '|' display type is %f, should be %.0f (parameter: %s)\n",
             double(maxValue), double(expectedMax), name);
      CFRelease(values);
      return false;
    }
    info.unit = kAudioUnitParameterUnit_Indexed;
  }
  if (parameterCount >= kMaxMappedParameters) {
    if (values != nullptr) CFRelease(values);
    throw RoruvovuzException("Too many mapped parameters");
  }
  try {
    if (hasUnit) info.unitName = macRomanString(unit);
    info.cfNameString = macRomanString(name);
  } catch (...) {
    if (info.unitName != nullptr) CFRelease(info.unitName);
    if (values != nullptr) CFRelease(values);
    throw;
  }
  info.minValue = minValue;
  info.maxValue = maxValue;
  info.defaultValue = defaultValue;
  if (globalMeta) info.flags |= kFlagGlobalMeta;
  parameterList[parameterCount++] = UInt32(index);
  parameterInfos[index] = info;
  parameterValueStrings[index] = values;
  return true;
}

void RoruvovuzComponent::createDefaultParameterMappingFile(const FSRef* file) {
  std::string content = kHeading;
  const SInt32 count = vst->getParameterCount();
  for (SInt32 i = 0; i < count; ++i) {
    char text[32];
    vst->getParameterName(i, text);
    const std::string name = cleanText(text);
    vst->getParameterLabel(i, text);
    const std::string label = cleanText(text);
    const float v = vst->getParameter(i);
    char displays[4][32];
    vst->getParameterDisplay(i, displays[0]);
    const float probes[3] = {0.0f, 0.5f, 1.0f};
    for (int k = 0; k < 3; ++k) {
      vst->setParameter(i, probes[k]);
      vst->getParameterDisplay(i, displays[k + 1]);
    }
    vst->setParameter(i, v);
    float atV, at0, atHalf, at1;
    float minValue = 0.0f, maxValue = 1.0f, defaultValue = v;
    char displayChar = '=';
    std::string unit = "-";
    if (numberOf(displays[0], atV) && numberOf(displays[1], at0) && numberOf(displays[2], atHalf) &&
        numberOf(displays[3], at1) && std::fabs(atHalf - 0.5f * (at0 + at1)) <= 0.0001f && at0 < at1) {
      minValue = at0;
      maxValue = at1;
      defaultValue = atV;
      unit = label;
    } else if (vstGotRoruvovuzExtensions) {
      displayChar = '?';
      unit = label;
    }
    char line[512];
    std::snprintf(line, sizeof line, "%d\t%s\t%g\t%g\t%c\t%s\t%g\r", int(i), name.c_str(), double(minValue),
                  double(maxValue), displayChar, unit.c_str(), double(defaultValue));
    content += line;
  }
  if (file == nullptr) {
    // No file could be made: map from the text itself.
    const UInt8* p = reinterpret_cast<const UInt8*>(content.data());
    const UInt8* end = p + content.size();
    char line[kLineSize];
    p = readLine(p, end, line);
    while (p < end) {
      p = readLine(p, end, line);
      mapLine(line);
    }
    return;
  }
  try {
    Fork fork(*file, fsWrPerm);
    writeToFork(fork.ref(), content.data(), UInt32(content.size()));
  } catch (...) {
    // A half-written mapping would be read as the truth next time: remove it.
    FSDeleteObject(file);
    throw;
  }
}

// Audio Unit presets (.aupreset), the factory presets of SYFactoryPresets.txt and the
// conversion of .fxp and .fxb files in the preset folders.
#include <CoreServices/LaunchServices.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "RoruvovuzComponent.h"
#include "RoruvovuzException.h"
#include "RoruvovuzFiles.h"
#include "RoruvovuzLog.h"

using namespace roruvovuz;

namespace {

constexpr const char* kListFileName = "SYFactoryPresets.txt";
constexpr const char* kBankPresetFile = "FactoryPreset.aupreset";
constexpr UInt32 kIterationBatch = 64;

// Releases a CF object when the scope ends.
struct CFHolder {
  explicit CFHolder(CFTypeRef r = nullptr) : ref(r) {}
  ~CFHolder() {
    if (ref != nullptr) CFRelease(ref);
  }
  CFHolder(const CFHolder&) = delete;
  CFHolder& operator=(const CFHolder&) = delete;
  CFTypeRef release() {
    CFTypeRef r = ref;
    ref = nullptr;
    return r;
  }
  CFTypeRef ref;
};

void saveProperties(CFPropertyListRef plist, const FSRef& file) {
  CFHolder xml(CFPropertyListCreateXMLData(nullptr, plist));
  if (xml.ref == nullptr) throw RoruvovuzException("Could not create XML data from property list");
  saveToFile(file, UInt32(CFDataGetLength(CFDataRef(xml.ref))), CFDataGetBytePtr(CFDataRef(xml.ref)));
}

std::string trim(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool equalsIgnoringCase(CFStringRef s, const char* text) {
  if (s == nullptr) return false;
  char buffer[16];
  if (!CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingMacRoman)) return false;
  for (size_t i = 0;; ++i) {
    if (std::tolower(static_cast<unsigned char>(buffer[i])) != std::tolower(static_cast<unsigned char>(text[i])))
      return false;
    if (buffer[i] == '\0') return true;
  }
}

CFPropertyListRef parsePreset(const UInt8* bytes, UInt32 size) {
  CFHolder data(CFDataCreate(nullptr, bytes, CFIndex(size)));
  CFStringRef error = nullptr;
  CFPropertyListRef plist = CFPropertyListCreateFromXMLData(nullptr, CFDataRef(data.ref), kCFPropertyListImmutable,
                                                            &error);
  if (plist == nullptr) {
    char message[1024] = {};
    if (error != nullptr) {
      CFStringGetCString(error, message, sizeof message, kCFStringEncodingUTF8);
      CFRelease(error);
    }
    char text[1100];
    if (message[0] != '\0') std::snprintf(text, sizeof text, "Could not create property list from XML data (%s)", message);
    else std::snprintf(text, sizeof text, "Could not create property list from XML data");
    throw RoruvovuzException(text);
  }
  if (error != nullptr) CFRelease(error);
  if (CFGetTypeID(plist) != CFDictionaryGetTypeID()) {
    CFRelease(plist);
    throw FormatException("Invalid AUPreset format");
  }
  return plist;
}

}  // namespace

CFMutableDictionaryRef RoruvovuzComponent::createAUPresetWithVSTData(UInt32 size, const UInt8* bytes,
                                                                     CFStringRef name) {
  if (bytes == nullptr || name == nullptr) throw RoruvovuzException("createAUPresetWithVSTData: null argument");
  ComponentDescription description{};
  const OSErr err =
      GetComponentInfo(reinterpret_cast<Component>(auComponentInstance), &description, nullptr, nullptr, nullptr);
  if (err != noErr) throw MacOSException(err);
  CFHolder dict(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  auto d = CFMutableDictionaryRef(dict.ref);
  addIntToDictionary(d, CFSTR("version"), 1);
  addIntToDictionary(d, CFSTR("type"), SInt32(description.componentType));
  addIntToDictionary(d, CFSTR("subtype"), SInt32(description.componentSubType));
  addIntToDictionary(d, CFSTR("manufacturer"), SInt32(description.componentManufacturer));
  CFDictionarySetValue(d, CFSTR("name"), name);
  CFHolder data(CFDataCreate(nullptr, bytes, CFIndex(size)));
  CFDictionarySetValue(d, CFSTR("vstdata"), data.ref);
  return CFMutableDictionaryRef(dict.release());
}

CFMutableDictionaryRef RoruvovuzComponent::createAUPresetOfCurrentProgram(CFStringRef name) {
  if (name == nullptr || CFGetTypeID(name) != CFStringGetTypeID()) throw RoruvovuzException("Preset name is not a string");
  UInt32 size = 0;
  auto bytes = vst->createFXP(size);
  return createAUPresetWithVSTData(size, bytes.get(), name);
}

CFMutableDictionaryRef RoruvovuzComponent::createAUPresetOfCurrentBank(CFStringRef name) {
  if (name == nullptr || CFGetTypeID(name) != CFStringGetTypeID()) throw RoruvovuzException("Preset name is not a string");
  UInt32 size = 0;
  auto bytes = vst->createFXB(size);
  return createAUPresetWithVSTData(size, bytes.get(), name);
}

void RoruvovuzComponent::getComponentName(char* name) {
  Handle h = NewHandle(0);
  if (h == nullptr) throw std::bad_alloc();
  const OSErr err = GetComponentInfo(reinterpret_cast<Component>(auComponentInstance), nullptr, h, nullptr, nullptr);
  if (err != noErr || GetHandleSize(h) < 1) {
    DisposeHandle(h);
    throw MacOSException(err != noErr ? err : OSErr(paramErr));
  }
  const UInt8* p = reinterpret_cast<const UInt8*>(*h);
  size_t length = p[0];
  if (Size(length) + 1 > GetHandleSize(h)) length = size_t(GetHandleSize(h) - 1);
  std::memcpy(name, p + 1, length);
  name[length] = '\0';
  DisposeHandle(h);
}

void RoruvovuzComponent::initFactoryPresets() {
  const std::u16string name = unicodeName(kListFileName);
  FSRef list;
  OSErr err = lookUp(resourcesFolderRef, name, list);
  if (err == fnfErr) {
    try {
      list = createFile(resourcesFolderRef, name);
    } catch (const MacOSException& e) {
      // Resources that cannot be written: the unit runs without factory presets.
      SY_LOG("[%s](%p) Failed loading factory presets, caught exception: %s\n", e.what());
      return;
    }
    createFactoryPresets(list);
    err = lookUp(resourcesFolderRef, name, list);
  }
  if (err != noErr) throw MacOSException(err);
  loadFactoryPresets(list);
}

void RoruvovuzComponent::createFactoryPresets(const FSRef& listFile) {
  try {
    Fork fork(listFile, fsWrPerm);
    if (!presetIsFXB) {
      convertLoadedPrograms(resourcesFolderRef, true, fork.ref());
    } else {
      const std::u16string name = unicodeName(kBankPresetFile);
      FSRef file;
      if (lookUp(resourcesFolderRef, name, file) == noErr) FSDeleteObject(&file);
      file = createFile(resourcesFolderRef, name);
      CFHolder preset(createAUPresetOfCurrentBank(CFSTR("Default")));
      saveProperties(preset.ref, file);
      const std::string line = std::string(kBankPresetFile) + "\r";
      writeToFork(fork.ref(), line.data(), UInt32(line.size()));
    }
  } catch (...) {
    // A partial list must not pass for a complete one at the next start.
    FSDeleteObject(&listFile);
    throw;
  }
}

void RoruvovuzComponent::convertLoadedPrograms(const FSRef& folder, bool writeList, FSIORefNum listFork) {
  if (presetIsFXB) throw RoruvovuzException("convertLoadedPrograms: presets are banks");
  const SInt32 saved = vst->getCurrentProgram();
  if (saved < 0) throw RoruvovuzException("convertLoadedPrograms: negative program");
  std::string previous;
  std::set<std::string> written;
  try {
    const SInt32 count = vst->getProgramCount();
    for (SInt32 i = 0; i < count; ++i) {
      vst->setCurrentProgram(i);
      char raw[25];
      vst->getCurrentProgramName(raw);
      const std::string name = trim(raw);
      if (name.empty() || (i > 0 && name == previous)) continue;
      previous = name;
      CFHolder presetName(CFStringCreateWithCString(nullptr, name.c_str(), kCFStringEncodingMacRoman));
      if (presetName.ref == nullptr) continue;
      CFHolder preset(createAUPresetOfCurrentProgram(CFStringRef(presetName.ref)));
      // Programs of the same name further apart still get files of their own.
      // A name is one item of the folder whatever it holds: the file calls take no paths.
      std::string fileName = name + ".aupreset";
      for (int n = 2; written.count(fileName) != 0; ++n) fileName = name + " " + std::to_string(n) + ".aupreset";
      written.insert(fileName);
      const std::u16string unicode = unicodeName(fileName.c_str());
      FSRef file;
      if (lookUp(folder, unicode, file) == noErr) {
        const OSErr err = FSDeleteObject(&file);
        if (err != noErr) throw MacOSException(err);
      }
      file = createFile(folder, unicode);
      saveProperties(preset.ref, file);
      if (writeList) {
        const std::string line = fileName + "\r";
        writeToFork(listFork, line.data(), UInt32(line.size()));
      }
    }
  } catch (...) {
    vst->setCurrentProgram(saved);
    throw;
  }
  vst->setCurrentProgram(saved);
}

void RoruvovuzComponent::loadFactoryPresets(const FSRef& listFile) {
  if (factoryPresetsArray != nullptr) throw RoruvovuzException("loadFactoryPresets: already loaded");
  factoryPresetsArray = CFArrayCreateMutable(nullptr, kMaxFactoryPresets, nullptr);
  if (factoryPresetsArray == nullptr) throw std::bad_alloc();
  try {
    UInt32 size = 0;
    std::unique_ptr<UInt8[]> list = loadFromFile(listFile, size);
    const UInt8* p = list.get();
    const UInt8* end = p + size;
    char line[2048];
    SInt32 loaded = 0;
    while (p < end && loaded < kMaxFactoryPresets) {
      p = readLine(p, end, line);
      const char* name = line;
      while (*name == ' ') ++name;
      if (*name == '\0' || *name == ';') continue;
      FSRef file;
      const OSErr err = lookUp(resourcesFolderRef, unicodeName(name), file);
      if (err != noErr) throw MacOSException(err);
      UInt32 presetSize = 0;
      std::unique_ptr<UInt8[]> bytes = loadFromFile(file, presetSize);
      CFHolder plist(parsePreset(bytes.get(), presetSize));
      auto dict = CFDictionaryRef(plist.ref);
      auto data = CFDataRef(getValueOfKeyInDictionary(dict, CFSTR("vstdata"), CFDataGetTypeID()));
      auto presetName = CFStringRef(getValueOfKeyInDictionary(dict, CFSTR("name"), CFStringGetTypeID()));
      factoryPresets[loaded].presetNumber = loaded;
      factoryPresets[loaded].presetName = CFStringRef(CFRetain(presetName));
      factoryPresetData[loaded] = CFDataRef(CFRetain(data));
      CFArrayAppendValue(factoryPresetsArray, &factoryPresets[loaded]);
      ++loaded;
    }
  } catch (const std::exception& e) {
    SY_LOG("[%s](%p) Failed loading factory presets, caught exception: %s\n", e.what());
  } catch (...) {
    SY_LOG("[%s](%p) Failed loading factory presets (caught general exception)\n");
  }
}

void RoruvovuzComponent::convertVSTPresets() {
  char name[256];
  getComponentName(name);
  const struct {
    SInt16 domain;
    const char* label;
  } domains[] = {{kUserDomain, "user"}, {kLocalDomain, "local"}};
  for (const auto& d : domains) {
    try {
      convertVSTPresetsInDomain(d.domain, name);
    } catch (const std::exception& e) {
      SY_LOG("[%s](%p) Failed converting presets in %s domain, caught exception: %s\n", d.label, e.what());
    } catch (...) {
      SY_LOG("[%s](%p) Failed converting presets in %s domain (caught general exception)\n", d.label);
    }
  }
}

void RoruvovuzComponent::convertVSTPresetsInDomain(SInt16 domain, const char* componentName) {
  FSRef folder;
  const OSErr err = FSFindFolder(domain, kAudioSupportFolderType, kDontCreateFolder, &folder);
  if (err != noErr) throw MacOSException(err);
  descendOrCreateFolder(folder, 7, "Presets", folder);
  std::string rest = componentName;
  for (;;) {
    const size_t colon = rest.find(':');
    const std::string piece = trim(rest.substr(0, colon));
    if (!piece.empty()) descendOrCreateFolder(folder, piece.size(), piece.c_str(), folder);
    if (colon == std::string::npos) break;
    rest = rest.substr(colon + 1);
  }

  FSIterator iterator = nullptr;
  OSErr status = FSOpenIterator(&folder, kFSIterateFlat, &iterator);
  if (status != noErr) throw MacOSException(status);
  try {
    FSRef items[kIterationBatch];
    for (;;) {
      UInt32 actual = 0;
      status = FSGetCatalogInfoBulk(iterator, kIterationBatch, &actual, nullptr, kFSCatInfoNone, nullptr, items,
                                    nullptr, nullptr);
      if (actual > kIterationBatch) throw RoruvovuzException("Too many items from the folder iterator");
      for (UInt32 k = 0; k < actual; ++k) {
        LSItemInfoRecord info{};
        if (LSCopyItemInfoForRef(&items[k], kLSRequestTypeCreator | kLSRequestExtension | kLSRequestBasicFlagsOnly,
                                 &info) != noErr)
          continue;
        const bool plain = (info.flags & kLSItemInfoIsPlainFile) != 0 && (info.flags & kLSItemInfoIsInvisible) == 0;
        const bool program = info.filetype == FOURCC("AFxP") || equalsIgnoringCase(info.extension, "fxp");
        const bool bank = info.filetype == FOURCC("AFxB") || equalsIgnoringCase(info.extension, "fxb");
        if (info.extension != nullptr) CFRelease(info.extension);
        if (!plain) continue;
        if (bank) convertVSTPreset(items[k], true);
        else if (program && !presetIsFXB) convertVSTPreset(items[k], false);
      }
      if (status == errFSNoMoreItems) break;
      if (status != noErr) throw MacOSException(status);
    }
  } catch (...) {
    FSCloseIterator(iterator);
    throw;
  }
  FSCloseIterator(iterator);
}

void RoruvovuzComponent::descendOrCreateFolder(const FSRef& parent, size_t length, const char* name, FSRef& folder) {
  if (name == nullptr || length == 0) throw RoruvovuzException("descendOrCreateFolder: no name");
  std::u16string unicode;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 32 || c > 126) {
      SY_LOG("[%s](%p) Folder name contained invalid character (ascii %d)\n", int(c));
      throw RoruvovuzException("Folder name contained invalid character");
    }
    unicode.push_back(char16_t(c));
  }
  const FSRef from = parent;  // the output may be the parent itself
  FSRef result;
  OSErr err = lookUp(from, unicode, result);
  if (err == fnfErr)
    err = FSCreateDirectoryUnicode(&from, unicode.size(), reinterpret_cast<const UniChar*>(unicode.data()),
                                   kFSCatInfoNone, nullptr, &result, nullptr, nullptr);
  if (err != noErr) throw MacOSException(err);
  folder = result;
}

void RoruvovuzComponent::convertVSTPreset(const FSRef& file, bool isFXB) {
  try {
    if (!isFXB && presetIsFXB) throw RoruvovuzException("convertVSTPreset: program file while presets are banks");
    HFSUniStr255 name;
    FSRef parent;
    OSErr err = FSGetCatalogInfo(&file, kFSCatInfoNone, nullptr, &name, nullptr, &parent);
    if (err != noErr) throw MacOSException(err);
    UniCharCount extensionStart = kLSInvalidExtensionIndex;
    err = LSGetExtensionInfo(name.length, name.unicode, &extensionStart);
    if (err != noErr) throw MacOSException(err);
    std::u16string unicode(reinterpret_cast<const char16_t*>(name.unicode), name.length);

    if (isFXB && !presetIsFXB) {
      const std::u16string folderName =
          extensionStart != kLSInvalidExtensionIndex ? unicode.substr(0, extensionStart - 1) : unicode;
      FSRef folder;
      if (folderName.empty() ||
          FSCreateDirectoryUnicode(&parent, folderName.size(), reinterpret_cast<const UniChar*>(folderName.data()),
                                   kFSCatInfoNone, nullptr, &folder, nullptr, nullptr) != noErr)
        return;
      try {
        UInt32 size = 0;
        auto bytes = loadFromFile(file, size);
        vst->loadFXPOrFXB(size, bytes.get());
        bytes.reset();
        convertLoadedPrograms(folder, false, -1);
      } catch (...) {
        // An empty folder would stop this bank from ever converting.
        FSDeleteObject(&folder);
        throw;
      }
      return;
    }

    if (extensionStart != kLSInvalidExtensionIndex && extensionStart >= 248) extensionStart = kLSInvalidExtensionIndex;
    if (extensionStart == kLSInvalidExtensionIndex) {
      if (unicode.size() >= 247) unicode.resize(246);
      unicode.push_back(u'.');
      extensionStart = unicode.size();
    }
    const std::u16string presetUnits = unicode.substr(0, extensionStart - 1);
    const std::u16string newName = unicode.substr(0, extensionStart) + u"aupreset";
    FSRef target;
    if (FSCreateFileUnicode(&parent, newName.size(), reinterpret_cast<const UniChar*>(newName.data()), kFSCatInfoNone,
                            nullptr, &target, nullptr) != noErr)
      return;
    try {
      UInt32 size = 0;
      auto bytes = loadFromFile(file, size);
      CFHolder presetName(CFStringCreateWithCharacters(nullptr, reinterpret_cast<const UniChar*>(presetUnits.data()),
                                                       CFIndex(presetUnits.size())));
      if (presetName.ref == nullptr) throw std::bad_alloc();
      CFHolder preset(createAUPresetWithVSTData(size, bytes.get(), CFStringRef(presetName.ref)));
      saveProperties(preset.ref, target);
    } catch (...) {
      // An empty preset would stop this file from ever converting.
      FSDeleteObject(&target);
      throw;
    }
  } catch (const std::exception& e) {
    SY_LOG("[%s](%p) Failed converting preset, caught exception: %s\n", e.what());
  } catch (...) {
    SY_LOG("[%s](%p) Failed converting preset (caught general exception)\n");
  }
}

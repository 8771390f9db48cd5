// A bundle executable that forwards VSTPluginMain to a plug-in exporting only "main" (or
// "VSTPluginMain"), named in Contents/Resources/shim-target.txt beside this executable.
#include <dlfcn.h>

#include <fstream>
#include <string>

#include "VstInterface.h"

typedef AEffect* (*Entry)(audioMasterCallback);

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback master) {
  Dl_info self;
  if (dladdr(reinterpret_cast<void*>(&VSTPluginMain), &self) == 0 || self.dli_fname == nullptr) return nullptr;
  std::string path = self.dli_fname;  // <bundle>/Contents/MacOS/<executable>
  path = path.substr(0, path.rfind('/'));
  path = path.substr(0, path.rfind('/')) + "/Resources/shim-target.txt";
  std::ifstream in(path);
  std::string target;
  if (!std::getline(in, target) || target.empty()) return nullptr;
  void* handle = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  auto entry = reinterpret_cast<Entry>(dlsym(handle, "main"));
  if (entry == nullptr) entry = reinterpret_cast<Entry>(dlsym(handle, "VSTPluginMain"));
  return entry != nullptr ? entry(master) : nullptr;
}

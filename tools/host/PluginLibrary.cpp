#include "PluginLibrary.h"

#include <dlfcn.h>

namespace testhost {

PluginLibrary::PluginLibrary(const std::string& path) : path_(path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* message = dlerror();
        error_ = message ? message : "cannot load " + path;
        return;
    }
    dlerror();
    void* symbol = dlsym(handle_, "VSTPluginMain");
    if (!symbol) {
        error_ = "no VSTPluginMain in " + path;
        return;
    }
    entry_ = reinterpret_cast<PluginEntry>(symbol);
}

PluginLibrary::~PluginLibrary() {
    if (handle_)
        dlclose(handle_);
}

}  // namespace testhost

#include "PluginLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace testhost {

#if defined(_WIN32)

PluginLibrary::PluginLibrary(const std::string& path) : path_(path) {
    handle_ = LoadLibraryA(path.c_str());
    if (!handle_) {
        error_ = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return;
    }
    // Older Windows hosts look for "main" when VSTPluginMain is missing.
    HMODULE module = static_cast<HMODULE>(handle_);
    FARPROC symbol = GetProcAddress(module, "VSTPluginMain");
    if (!symbol)
        symbol = GetProcAddress(module, "main");
    if (!symbol) {
        error_ = "no VSTPluginMain in " + path;
        return;
    }
    entry_ = reinterpret_cast<PluginEntry>(reinterpret_cast<void*>(symbol));
}

PluginLibrary::~PluginLibrary() {
    if (handle_)
        FreeLibrary(static_cast<HMODULE>(handle_));
}

#else

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

#endif

}  // namespace testhost

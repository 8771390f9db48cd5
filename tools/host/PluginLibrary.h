// A loaded plug-in module and its VSTPluginMain entry.
#pragma once

#include "VstInterface.h"

#include <string>

namespace testhost {

using PluginEntry = AEffect* (*)(audioMasterCallback);

class PluginLibrary {
public:
    // Loads path; check loaded() and error() afterwards.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool loaded() const { return entry_ != nullptr; }
    const std::string& error() const { return error_; }
    PluginEntry entry() const { return entry_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    void* handle_ = nullptr;
    PluginEntry entry_ = nullptr;
    std::string error_;
};

}  // namespace testhost

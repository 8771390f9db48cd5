// The exported entry point. Compiled into every plug-in module, which also
// defines createEffectInstance.
#include "AudioEffect.h"

#if defined(_WIN32)
#include <windows.h>
#define QUILLATONE_EXPORT __declspec(dllexport)
#else
#define QUILLATONE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" QUILLATONE_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster);

#if defined(QUILLATONE_MACOS)
// [host thread] The macOS data folder, pasteboard and views (idempotent).
void installMacOSServices();
#endif

// [host thread] One new effect per call; null when the host gives no
// callback, answers 0 to the version query, or creation fails.
extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
    if (!audioMaster)
        return nullptr;
    try {
        if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
            return nullptr;
#if defined(QUILLATONE_MACOS)
        installMacOSServices();
#endif
        AudioEffect* effect = createEffectInstance(audioMaster);
        if (!effect)
            return nullptr;
        return effect->getAeffect();
    } catch (...) {
        return nullptr;
    }
}

#if defined(_WIN32)
// The module instance, read by the editor layer to load the DLL's resources.
void* moduleHandle = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reason;
    (void)reserved;
    moduleHandle = instance;
    return TRUE;
}
// The second export name "main" is given in the module definition file.
#endif

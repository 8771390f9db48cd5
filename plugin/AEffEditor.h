// Editor interface the dispatcher drives for the editor opcodes.
#pragma once

#include "VstInterface.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect = nullptr) : effect(effect), systemWindow(nullptr) {}
    // Slot order matters: derived editors are compiled against this order.
    virtual ~AEffEditor() {}

    virtual AudioEffect* getEffect() { return effect; }                  // [host thread]
    virtual bool getRect(ERect** rect) { (void)rect; return false; }     // [host thread]
    virtual bool open(void* window) { systemWindow = window; return false; }  // [host thread]
    virtual void close() { systemWindow = nullptr; }                     // [host thread]
    virtual bool isOpen() { return systemWindow != nullptr; }            // [host thread]
    virtual void idle() {}                                               // [host thread]

#if defined(__APPLE__)
    // Deprecated block, present only in the macOS slot order.
    virtual void draw(ERect* rect) { (void)rect; }
    virtual VstInt32 mouse(VstInt32 x, VstInt32 y) { (void)x; (void)y; return 0; }
    virtual VstInt32 key(VstInt32 keyCode) { (void)keyCode; return 0; }
    virtual void top() {}
    virtual void sleep() {}
#endif

    virtual bool onKeyDown(VstKeyCode& keyCode) { (void)keyCode; return false; }  // [host thread]
    virtual bool onKeyUp(VstKeyCode& keyCode) { (void)keyCode; return false; }    // [host thread]
    virtual bool onWheel(float distance) { (void)distance; return false; }        // [host thread]
    virtual bool setKnobMode(VstInt32 val) { (void)val; return false; }           // [host thread]

protected:
    AudioEffect* effect;
    void* systemWindow;
};

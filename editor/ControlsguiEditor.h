#pragma once
#include "AEffEditor.h"
#include "AudioEffect.h"

// The editor object the processor creates and talks to. It has no window yet:
// getRect answers the 880 x 640 rectangle, open refuses, and the processor's
// notifications are accepted and dropped while no window is open.
class ControlsguiEditor : public AEffEditor
{
public:
    static constexpr short width = 880;
    static constexpr short height = 640;

    // Registers itself as the effect's editor. [host thread]
    explicit ControlsguiEditor(AudioEffect* effect);
    ~ControlsguiEditor() override;

    bool getRect(ERect** rect) override;  // [host thread]
    bool open(void* window) override;     // [host thread]

    // From the processor after every parameter store; does nothing while the
    // window is closed. [any thread that sets parameters]
    virtual void setParameter(VstInt32 index, float value);

    // From the processor's suspend and resume: nothing to do. [host thread]
    void effectSuspended() {}
    void effectResumed() {}

private:
    ERect rectangle;
};

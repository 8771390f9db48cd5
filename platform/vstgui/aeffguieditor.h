// The VST 2.4 editor base that owns a frame: the host's editor calls on one
// side, the toolkit's editor interface on the other.
#pragma once

#include "AEffEditor.h"
#include "view.h"

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

class AEffGUIEditor : public AEffEditor, public VSTGUIEditorInterface {
public:
    // Registers itself as the effect's editor.
    explicit AEffGUIEditor(void* effect);
    // Releases a frame that is still open.
    ~AEffGUIEditor() override;

    // [host thread] All of these come from the host's GUI thread.
    bool getRect(ERect** rect) override;
    bool open(void* ptr) override;
    void close() override;
    void idle() override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(float distance) override;
    bool setKnobMode(VstInt32 val) override;

    // [any thread] The processor reports every parameter store here.
    virtual void setParameter(VstInt32 index, float value) { (void)index; (void)value; }

    // Toolkit side: host edits only for 0 <= index < numParams.
    void beginEdit(int32 index) override;
    void endEdit(int32 index) override;
    int32 getKnobMode() const override { return knobMode; }
    CFrame* getFrame() const override { return frame; }
    bool beforeSizeChange(const CRect& newSize, const CRect& oldSize) override;
    uint32 getTicks() const override;

    // Replaces the millisecond clock (tests); null restores it.
    static void setTickSourceForTesting(uint32 (*source)());

protected:
    ERect rect{0, 0, 0, 0};
    CFrame* frame = nullptr;
    static int32 knobMode;

private:
    bool inIdle = false;
};

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

using VSTGUI::AEffGUIEditor;

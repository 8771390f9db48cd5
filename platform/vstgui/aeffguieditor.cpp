#include "aeffguieditor.h"

#include "AudioEffectX.h"
#include "controls.h"
#include "popupmenu.h"

#include <chrono>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
uint32 (*tickSource)() = nullptr;

AudioEffectX* effectX(AudioEffect* effect) { return dynamic_cast<AudioEffectX*>(effect); }

int popupKeyFor(const VstKeyCode& key) {
    switch (key.virt) {
    case VKEY_ESCAPE: return PopupMenuModel::KeyEscape;
    case VKEY_RETURN:
    case VKEY_ENTER: return PopupMenuModel::KeyReturn;
    case VKEY_UP: return PopupMenuModel::KeyUp;
    case VKEY_DOWN: return PopupMenuModel::KeyDown;
    case VKEY_LEFT: return PopupMenuModel::KeyLeft;
    case VKEY_RIGHT: return PopupMenuModel::KeyRight;
    default: break;
    }
    if (key.character == 27)
        return PopupMenuModel::KeyEscape;
    if (key.character == 13)
        return PopupMenuModel::KeyReturn;
    return -1;
}
} // namespace

int32 AEffGUIEditor::knobMode = 0; // circular until the editor or the host chooses

AEffGUIEditor::AEffGUIEditor(void* e) : AEffEditor(static_cast<AudioEffect*>(e)) {
    if (effect)
        effect->setEditor(this);
}

AEffGUIEditor::~AEffGUIEditor() {
    if (frame) {
        // The derived editor, usually the controls' listener, is already gone.
        for (int32 i = 0; i < frame->getNbViews(); ++i)
            if (auto* control = dynamic_cast<CControl*>(frame->getView(i)))
                control->setListener(nullptr);
        CFrame* f = frame;
        frame = nullptr;
        f->forget();
    }
}

bool AEffGUIEditor::getRect(ERect** r) {
    if (!r)
        return false;
    *r = &rect;
    return true;
}

bool AEffGUIEditor::open(void* ptr) {
    if (frame) // opened twice: the first frame goes first
        close();
    systemWindow = ptr;
    return true;
}

void AEffGUIEditor::close() {
    systemWindow = nullptr;
    if (frame) {
        CFrame* f = frame;
        frame = nullptr;
        f->forget();
    }
}

void AEffGUIEditor::idle() {
    if (inIdle || !frame)
        return;
    inIdle = true;
    frame->idle();
    inIdle = false;
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode) {
    if (!frame)
        return false;
    if (frame->getOpenPopup()) {
        int key = popupKeyFor(keyCode);
        return key >= 0 && frame->popupKey(key);
    }
    frame->platformKey(keyCode, true);
    return false;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode) {
    if (!frame)
        return false;
    if (frame->getOpenPopup())
        return popupKeyFor(keyCode) >= 0;
    frame->platformKey(keyCode, false);
    return false;
}

bool AEffGUIEditor::onWheel(float distance) {
    if (frame)
        frame->onWheel(frame->getLastMouse(), distance, 0);
    return false;
}

bool AEffGUIEditor::setKnobMode(VstInt32 val) {
    knobMode = val;
    return true;
}

void AEffGUIEditor::beginEdit(int32 index) {
    if (AudioEffectX* fx = effectX(effect))
        if (index >= 0 && index < fx->getAeffect()->numParams)
            fx->beginEdit(index);
}

void AEffGUIEditor::endEdit(int32 index) {
    if (AudioEffectX* fx = effectX(effect))
        if (index >= 0 && index < fx->getAeffect()->numParams)
            fx->endEdit(index);
}

bool AEffGUIEditor::beforeSizeChange(const CRect& newSize, const CRect&) {
    VstInt32 w = VstInt32(newSize.getWidth()), h = VstInt32(newSize.getHeight());
    if (AudioEffectX* fx = effectX(effect)) {
        char canDo[] = "sizeWindow";
        if (fx->canHostDo(canDo) == 1)
            fx->sizeWindow(w, h);
    }
    rect.right = VstInt16(rect.left + w);
    rect.bottom = VstInt16(rect.top + h);
    return true;
}

uint32 AEffGUIEditor::getTicks() const {
    if (tickSource)
        return tickSource();
    return VSTGUIEditorInterface::getTicks();
}

void AEffGUIEditor::setTickSourceForTesting(uint32 (*source)()) { tickSource = source; }

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

#include "ControlsguiEditor.h"

ControlsguiEditor::ControlsguiEditor(AudioEffect* effect) : AEffEditor(effect)
{
    rectangle.top = 0;
    rectangle.left = 0;
    rectangle.bottom = height;
    rectangle.right = width;
    if (effect)
        effect->setEditor(this);
}

ControlsguiEditor::~ControlsguiEditor() = default;

bool ControlsguiEditor::getRect(ERect** rect)
{
    if (!rect)
        return false;
    *rect = &rectangle;
    return true;
}

bool ControlsguiEditor::open(void* window)
{
    // No window can be built yet: stay closed.
    (void)window;
    return false;
}

void ControlsguiEditor::setParameter(VstInt32 index, float value)
{
    // Nothing shows a parameter until the window exists.
    (void)index;
    (void)value;
}

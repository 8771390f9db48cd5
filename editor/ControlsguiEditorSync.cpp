// Keeping the window and the parameters in step: setParameter, idle and
// valueChanged, and the LOAD and SAVE dialogs.
#include "ControlsguiEditor.h"

#include "Controlsgui.h"
#include "EditorDecoding.h"

#include <algorithm>
#include <cstring>

using namespace VSTGUI;

void ControlsguiEditor::automate(int index, float value)
{
    if (effect)
        effect->setParameterAutomated(index, value);
}

void ControlsguiEditor::redraw(CView* view)
{
    if (view)
        view->invalid();
}

int ControlsguiEditor::trimIndex() const
{
    const int mode = truncatedIndex(2.0f * parameter(15));
    if (mode < 0 || mode > 2)
        return -1;
    const int variant = truncatedIndex(2.0f * parameter(16 + mode));
    if (variant < 0 || variant > 2)
        return -1;
    return 28 + 3 * mode + variant;
}

void ControlsguiEditor::syncVolumeKnob()
{
    if (!volumeKnob)
        return;
    const int trim = trimIndex();
    if (trim >= 0)
        volumeKnob->setValue(parameter(trim));
}

void ControlsguiEditor::volumeKnobToParameter(float value)
{
    const int trim = trimIndex();
    if (trim >= 0 && effect)
        effect->setParameter(trim, value);
}

void ControlsguiEditor::setHandleValue(int entry, float value)
{
    VezuRezo_SwirlingRoom* r = roomView;
    r->handleValue[entry] = value;
    r->handleX[0] = double(r->handleValue[0]) * r->span;
    r->handleX[2] = double(r->handleValue[4]) * r->span + (r->width - r->span);
    r->levelPx[0] = double(r->handleValue[1]) * r->levelScale;
    r->levelPx[1] = double(r->handleValue[3]) * r->levelScale;
    r->levelPx[2] = double(r->handleValue[5]) * r->levelScale;
    r->handleY[0] = r->zeroY - (r->levelPx[0] + r->levelPx[1]) / 2;
    r->handleY[1] = r->zeroY - r->levelPx[1];
    r->handleY[2] = r->zeroY - (r->levelPx[1] + r->levelPx[2]) / 2;
}

void ControlsguiEditor::setParameter(VstInt32 index, float value)
{
    (void)value;  // read back from the effect
    if (!frame || uint32_t(index) > 37)
        return;
    if (std::this_thread::get_id() != guiThread)
    {
        pendingParameters.fetch_or(uint64_t(1) << index);
        return;
    }
    applyParameter(index);
}

void ControlsguiEditor::applyPendingParameters()
{
    uint64_t pending = pendingParameters.exchange(0);
    for (int index = 0; pending && index < parameterCount; ++index)
        if (pending & (uint64_t(1) << index))
            applyParameter(index);
}

void ControlsguiEditor::applyParameter(int index)
{
    const float p = parameter(index);
    switch (index)
    {
    case 0:
        headphoneMenu->setValue(float(truncatedIndex(p * 1000.0f + 0.5f)));
        break;
    case 1:
        personMenu->setValue(float(truncatedIndex(p * 100.0f + 0.5f)));
        break;
    case 2:
        studioMenu->setValue(float(truncatedIndex(p * 100.0f + 0.49f)));
        break;
    case 3: case 4:
        if (showRoomAngle(index))
            roomView->setDirty(true);
        break;
    case 6:
        loudnessKnob->setValue(p);
        break;
    case 9: case 10: case 11: case 12: case 13: case 14:
        setHandleValue(index - 9, p);
        break;
    case 15:
    {
        syncVolumeKnob();
        modeTab->setValue(p);
        const int k = truncatedIndex(2.0f * p);
        roomView->curveMode = k == 1 ? 1 : 0;
        roomView->roomOnly = k != 0 ? 1 : 0;
        roomView->setDirty(true);
        break;
    }
    case 16: case 17: case 18:
        syncVolumeKnob();
        variantSwitch[index - 16]->setValue(p);
        if (index == 16)
        {
            showHighlightedPair();
            roomView->setDirty(true);
        }
        break;
    case 21:
        syncVolumeKnob();
        monitorMenu[2]->setValue(float(truncatedIndex(p * 100.0f + 0.49f)));
        break;
    case 22: case 23:
        syncVolumeKnob();
        emulatedHeadphoneMenu[index - 22]->setValue(float(truncatedIndex(p * 1000.0f + 0.49f)));
        break;
    case 25: case 26: case 27:
        syncVolumeKnob();
        placeMenu[index - 25]->setValue(float(truncatedIndex(p * 100.0f + 0.49f)));
        break;
    case 28: case 29: case 30: case 31: case 32: case 33: case 34: case 35: case 36:
        syncVolumeKnob();  // a program or preset brings new trims
        break;
    case 37:
        roomView->selector = p >= 0.1f ? 1 : 0;
        break;
    default:
        break;
    }
}

void ControlsguiEditor::idle()
{
    AEffGUIEditor::idle();
    if (!frame)
        return;
    applyPendingParameters();
    const uint32_t now = getTicks();
    if (uint32_t(now - lastRedrawTicks) > 1000)
    {
        frame->invalid();
        lastRedrawTicks = now;
    }
    if (uint32_t(now - lastMeterTicks) <= 60)
        return;
    updateMeters(now);
}

void ControlsguiEditor::updateMeters(uint32_t now)
{
    const float dt = float(uint32_t(now - lastMeterTicks));
    float shown[4] = {};
    Controlsgui* p = processor();
    for (int k = 0; k < 4; ++k)
    {
        float t = 0.0f;
        if (p)
        {
            float* peak = k == 0 ? p->getInputPeakLeft()
                        : k == 1 ? p->getInputPeakRight()
                        : k == 2 ? p->getOutputPeakLeft()
                                 : p->getOutputPeakRight();
            t = peak ? *peak : 0.0f;
        }
        const float prev = meterPrevious[k];
        const float limit = 0.005f * dt;
        shown[k] = t > prev ? prev + std::min(t - prev, limit) : prev - std::min(prev - t, limit);
        meterPrevious[k] = t;
    }
    if (inputScope)
    {
        inputScope->levelA = shown[0];
        inputScope->levelB = shown[1];
        inputScope->setDirty(true);
    }
    if (outputScope)
    {
        outputScope->levelA = shown[2];
        outputScope->levelB = shown[3];
        outputScope->setDirty(true);
    }
    lastMeterTicks = now;
}

void ControlsguiEditor::valueChanged(CControl* control)
{
    if (!control || !frame)
        return;
    const int32 tag = control->getTag();
    const float value = control->getValue();
    switch (tag)
    {
    case 0:
        automate(0, value * 0.001f);
        control->setDirty(true);
        break;
    case 1:
        automate(1, value * 0.01f);
        control->setDirty(true);
        break;
    case 2:
        automate(2, value * 0.01f);
        control->setDirty(true);
        if (Controlsgui* p = processor())
        {
            auto panels = p->getPanelArrays();
            for (int row = 0; row < Controlsgui::panelFrames; ++row)
                std::memcpy(waterfallView->rows[row], panels[row], sizeof waterfallView->rows[row]);
        }
        redraw(waterfallView);
        break;
    case 6:
        if (loudnessKnob->released)
        {
            automate(6, value);
            control->setDirty(true);
        }
        break;
    case 7:
        volumeKnobToParameter(value);
        control->setDirty(true);
        break;
    case 8:
        roomViewChanged();
        break;
    case 15:
        automate(15, value);
        control->setDirty(true);
        break;
    case 16:
        automate(16, value);
        roomView->highlightedPair = truncatedIndex(2.0f * value);
        control->setDirty(true);
        redraw(roomView);
        automate(15, 0.0f);
        redraw(modeTab);
        break;
    case 17:
    case 18:
        automate(tag, value);
        control->setDirty(true);
        automate(15, tag == 17 ? 0.5f : 1.0f);
        redraw(modeTab);
        break;
    case 21:
        automate(21, value * 0.01f);
        control->setDirty(true);
        automate(16, 1.0f);
        redraw(variantSwitch[0]);
        automate(15, 0.0f);
        redraw(modeTab);
        break;
    case 22:
    case 23:
        automate(tag, value * 0.001f);
        control->setDirty(true);
        automate(17, tag == 22 ? 0.0f : 0.5f);
        redraw(variantSwitch[1]);
        automate(15, 0.5f);
        redraw(modeTab);
        break;
    case 25:
        automate(25, value * 0.01f);
        control->setDirty(true);
        automate(18, 0.0f);
        redraw(variantSwitch[2]);
        automate(15, 1.0f);
        redraw(modeTab);
        break;
    case tagLoad:
    case tagSave:
        if (value > 0.5f)
            runFileSelector(tag == tagSave);
        break;
    default:
        break;
    }
}

void ControlsguiEditor::roomViewChanged()
{
    VezuRezo_SwirlingRoom* r = roomView;
    automate(3, (r->azimuth + 1.5f) / 3.0f);
    automate(4, (1.5f + r->elevation) / 3.0f);
    if (r->selector != roomSelector)
    {
        automate(37, float(r->selector) * 0.1f);
        roomSelector = r->selector;
    }
    if (r->dragging)
    {
        r->setDirty(true);
        return;
    }
    const int32 code = r->pendingHandle;
    r->pendingHandle = 0;
    if (code == 1 || code == 2)
    {
        automate(9, r->handleValue[0]);
        automate(10, r->handleValue[1]);
    }
    else if (code == 3 || code == 4)
    {
        automate(11, r->handleValue[2]);
        automate(12, r->handleValue[3]);
    }
    else if (code == 5 || code == 6)
    {
        automate(13, r->handleValue[4]);
        automate(14, r->handleValue[5]);
    }
    r->setDirty(true);
}

void ControlsguiEditor::runFileSelector(bool save)
{
    fileSelector = CNewFileSelector::create(frame, save ? CNewFileSelector::kSelectSaveFile
                                                        : CNewFileSelector::kSelectFile);
    if (!fileSelector)
        return;
    const CFileExtension extension("qlt", "qlt", "application/octet-stream", 0, nullptr);
    fileSelector->addFileExtension(extension);
    fileSelector->setDefaultExtension(extension);
    fileSelector->setTitle(save ? "Choose A Preset File To Save" : "Choose A Preset File To Load");
    if (!save)
        fileSelector->setAllowMultiFileSelection(false);
    if (fileSelector->runModal() && fileSelector->getNumSelectedFiles() > 0
        && setPresetPath(fileSelector->getSelectedFile(0)))
    {
        if (save)
            savePreset();
        else
            loadPreset();
    }
    CNewFileSelector* used = fileSelector;
    fileSelector = nullptr;
    used->forget();
}

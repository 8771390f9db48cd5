// Parameters, their actions, programs and the host texts.
#include "Controlsgui.h"

#include <cstdio>
#include <cstring>

#include "ControlsguiEditor.h"
#include "ModelTables.h"

using namespace controls;

void Controlsgui::setParameter(VstInt32 index, float value)
{
    if (isParameterIndex(index))
    {
        programs[curProgram].params[index] = value;
        params[index] = value;
        runParameterAction(index);
    }
    // The editor hears of every index; it ignores those it has no control for.
    if (auto* e = static_cast<ControlsguiEditor*>(editor))
        e->setParameter(index, value);
}

float Controlsgui::getParameter(VstInt32 index)
{
    return isParameterIndex(index) ? params[index] : 0.0f;
}

void Controlsgui::runParameterAction(int index)
{
    const bool hasEditor = editor != nullptr;
    switch (index)
    {
    case pHeadphones:
        if (hasEditor)
        {
            loadHeadphoneCurve(datafiles::decodeWornHeadphoneRow(params[pHeadphones]));
            redesign();
        }
        break;
    case pPerson:
    {
        const int listener = decodeListener(params[pPerson]);
        loadHrtf(0, listener);
        loadHrtf(1, listener);
        break;
    }
    case pStudio:
        if (hasEditor)
        {
            studioIndex = decodeStudio(params[pStudio]);
            synthesiseStudioResponses();
            reloadStudioConvolvers.store(1, std::memory_order_release);
        }
        break;
    case pGain:
        if (hasEditor)
            redesign();
        break;
    case pEqualiserLevel1:
    case pEqualiserLevel2:
    case pEqualiserLevel3:
        if (hasEditor)
            updateEqualiser();
        break;
    case pMode:
    case pMoveable:
        updateTrimGain();
        switch (decodeSelector(params[pMode]))
        {
        case modeHeadphones:
            runHeadphonesBlock();
            break;
        case modePlaces:
            setPlacesFlags();
            if (hasEditor)
                redesign();
            break;
        default:
            runMixBlock();
            break;
        }
        break;
    case pMixVariant:
    case pMonitor:
        updateTrimGain();
        runMixBlock();
        break;
    case pHeadphonesVariant:
    case pEmulatedA:
    case pEmulatedB:
        updateTrimGain();
        runHeadphonesBlock();
        break;
    case pPlacesVariant:
    case pPlace:
        updateTrimGain();
        setPlacesFlags();
        reloadPlaces();
        break;
    default:
        if (index >= pTrimFirst && index < pTrimFirst + 9)
            updateTrimGain();
        break;
    }
}

namespace
{
// int(2 v) when it is 0, 1 or 2, else -1. The range is checked before the
// conversion: converting NaN or a value beyond int is undefined.
int selectorOrInvalid(float v)
{
    const float x = 2.0f * v;
    return x > -1.0f && x < 3.0f ? int(x) : -1;
}
} // namespace

int Controlsgui::activeTrimIndex() const
{
    const int mode = selectorOrInvalid(params[pMode]);
    if (mode < 0)
        return -1;
    const int variant = selectorOrInvalid(params[pMixVariant + mode]);
    if (variant < 0)
        return -1;
    return pTrimFirst + 3 * mode + variant;
}

void Controlsgui::updateTrimGain()
{
    // An undecodable mode or variant (a value outside 0..1 or NaN) gets 0 dB.
    const int trim = activeTrimIndex();
    trimGain = trimGainOf(trim >= 0 ? params[trim] : 0.5f);
}

void Controlsgui::redesign()
{
    designCorrectionFilter(0, coefficientTable, 0, 0);
    designCorrectionFilter(1, coefficientTable, 1, 0);
    filterRedesigned.store(1, std::memory_order_release);
}

void Controlsgui::runMixBlock()
{
    hrirPathOn = 1;
    curveFlagA = 1;
    curveFlagB = params[pMoveable] >= 0.1f ? 1 : 0;
    studioConvolverOn = 1;
    placeConvolverOn = 0;
    loadMonitorCurve();
    if (editor)
        redesign();
}

void Controlsgui::runHeadphonesBlock()
{
    const int s = decodeSelector(params[pHeadphonesVariant]);
    hrirPathOn = 0;
    curveFlagA = s != 2 ? 1 : 0;
    curveFlagB = s == 2 ? 1 : 0;
    studioConvolverOn = 0;
    placeConvolverOn = 0;
    loadReferenceHeadphoneCurve(s);
    if (editor)
        redesign();
}

void Controlsgui::setPlacesFlags()
{
    hrirPathOn = 1;
    curveFlagA = 0;
    curveFlagB = 0;
    studioConvolverOn = 0;
    placeConvolverOn = 1;
}

void Controlsgui::reloadPlaces()
{
    loadPlaceResponses();
    reloadPlaceConvolvers.store(1, std::memory_order_release);
}

void Controlsgui::updateEqualiser()
{
    for (int k = 0; k < 6; ++k)
        equaliserValues[k] = params[pEqualiserFirst + k];
    buildTargetCurve(equaliserValues);
    designWeight = 4.0f;
    if (decodeSelector(params[pMode]) == modeHeadphones)
        loadReferenceHeadphoneCurve(decodeSelector(params[pHeadphonesVariant]));
    else
        loadMonitorCurve();
    redesign();
}

// ---------------------------------------------------------------------------
// Programs.

void Controlsgui::setProgram(VstInt32 program)
{
    if (program < 0 || program >= programCount)
        return;
    curProgram = program;
    // Read each value from the record as setParameter stores it back there.
    for (int i = 0; i < parameterCount; ++i)
        setParameter(i, programs[program].params[i]);
}

void Controlsgui::applyProgram(VstInt32 program)
{
    setProgram(program);
}

bool Controlsgui::copyProgram(VstInt32 destination)
{
    if (destination < 0 || destination >= programCount)
        return false;
    programs[destination] = programs[curProgram];
    return true;
}

void Controlsgui::storeCurrentProgram()
{
    std::memcpy(programs[curProgram].params, params, sizeof params);
}

void Controlsgui::volumeFromTrim()
{
    const int trim = activeTrimIndex();
    if (trim >= 0)
        setParameter(pVolume, params[trim]);
}

void Controlsgui::trimFromVolume()
{
    const int trim = activeTrimIndex();
    if (trim >= 0)
        setParameter(trim, params[pVolume]);
}

void Controlsgui::setProgramName(char* name)
{
    programs[curProgram].setName(name);
}

void Controlsgui::getProgramName(char* name)
{
    if (name)
        std::memcpy(name, programs[curProgram].name, programNameSize);
}

bool Controlsgui::getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text)
{
    (void)category;
    if (index < 0 || index >= programCount || !text)
        return false;
    const char* name = programs[index].name;
    if (std::strcmp(name, "Init") == 0)
    {
        char numbered[programNameSize + 16];
        std::snprintf(numbered, sizeof numbered, "%s %d", name, int(index + 1));
        vstCopyText(text, numbered, kVstMaxProgNameLen - 1);
    }
    else
        std::memcpy(text, name, programNameSize);
    return true;
}

// ---------------------------------------------------------------------------
// Parameter texts. Names fit in 11 bytes; displays are cut to the VST limit
// of 8 characters, so a stored value far outside 0..1 cannot overrun a buffer.

void Controlsgui::getParameterName(VstInt32 index, char* text)
{
    if (text)
        vstCopyText(text, isParameterIndex(index) ? parameterTable[index].name : "", kVstMaxProgNameLen - 1);
}

void Controlsgui::getParameterDisplay(VstInt32 index, char* text)
{
    if (!text)
        return;
    if (!isParameterIndex(index))
    {
        text[0] = 0;
        return;
    }
    std::snprintf(text, kVstMaxParamStrLen + 1, "%.3f", double(params[index]));
}

void Controlsgui::getParameterLabel(VstInt32 index, char* label)
{
    (void)index;
    if (label)
        label[0] = 0;
}

bool Controlsgui::canParameterBeAutomated(VstInt32 index)
{
    (void)index;
    return false;
}

bool Controlsgui::string2parameter(VstInt32 index, char* text)
{
    (void)index;
    (void)text;
    return true;
}

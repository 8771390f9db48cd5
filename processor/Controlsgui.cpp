#include "Controlsgui.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "ControlsguiEditor.h"

namespace
{
constexpr const char* productName = "Quillatone";
constexpr const char* vendorName = "Harlox Audio";
constexpr VstInt32 uniqueId = ('Q' << 16) | ('L' << 8) | 'T';
constexpr VstInt32 initialDelay = 3;
} // namespace

// [host thread] The module's factory: one heap object per instance.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster)
{
    return new (std::nothrow) Controlsgui(audioMaster);
}

Controlsgui::Controlsgui(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, controls::programCount, controls::parameterCount),
      programs(new ControlsguiProgram[controls::programCount]),
      filterRedesigned(0),
      reloadStudioConvolvers(0),
      reloadPlaceConvolvers(0)
{
    // Every member starts defined before the first action touches it.
    for (int i = 0; i < controls::parameterCount; ++i)
        params[i] = controls::parameterTable[i].defaultValue;
    internalRate = 48000.0f;
    rateRatio = 1.0f;
    startCurvesFlat();
    headphoneCurveLoaded = referenceCurveLoaded = wetGateOpen = 0;
    hrirPathOn = curveFlagA = curveFlagB = studioConvolverOn = placeConvolverOn = 0;
    studioIndex = 0;
    trimGain = 1.0f;
    stereoOutput = 0;
    designWeight = 4.0f;
    ltorSum = 1.0f;
    inputPeakLeft = inputPeakRight = outputPeakLeft = outputPeakRight = 0.0f;
    clearAudioState();
    std::memset(hrirLeft, 0, sizeof hrirLeft);
    std::memset(hrirRight, 0, sizeof hrirRight);
    std::memset(unitImpulse, 0, sizeof unitImpulse);
    unitImpulse[0] = 1.0f;
    std::memset(leftToRightResponse, 0, sizeof leftToRightResponse);
    std::memset(studioResponses, 0, sizeof studioResponses);
    studioResponseLeft = studioResponses[0];
    studioResponseRight = studioResponses[1];
    std::memset(placeResponses, 0, sizeof placeResponses);
    std::memset(coefficientRecords, 0, sizeof coefficientRecords);
    for (int g = 0; g < 2; ++g)
        for (int r = 0; r < recordsPerGroup; ++r)
            coefficientPointers[g][r] = coefficientRecords[g][r];
    coefficientTable = coefficientPointers[0];
    std::memset(designScratch, 0, sizeof designScratch);
    for (float& v : targetCurve)
        v = 1.0f;
    const float flatEqualiser[6] = {0.5f, 1.0f, 0.5f, 1.0f, 0.5f, 1.0f};
    std::memcpy(equaliserValues, flatEqualiser, sizeof equaliserValues);
    inputPhaseStep = internalStep = 1.0f / 48000.0f;
    updateSampleRateFilters();

    // Program 0 runs every parameter action before the data root and the
    // editor exist: the loads find nothing, the editor-only actions wait.
    curProgram = 0;
    setProgram(0);

    if (audioMaster)
    {
        setNumInputs(2);
        setNumOutputs(2);
        canProcessReplacing(true);
        setUniqueID(uniqueId);
        setInitialDelay(initialDelay);
    }
    internalRate = 48000.0f;
    rateRatio = 1.0f;
    findDataRoot();
    initialise();
    suspend();

    // The editor registers itself with setEditor.
    editor = new ControlsguiEditor(this);
}

Controlsgui::~Controlsgui()
{
    // The editor goes first, while everything it may read still exists.
    if (editor)
    {
        editor->close();
        AEffEditor* owned = editor;
        setEditor(nullptr);
        delete owned;
    }
    delete[] programs;
    programs = nullptr;
}

void Controlsgui::initialise()
{
    // 1-2. Data folder.
    findDataRoot();
    createDataFolders();

    // 3. The 4x stage's filter.
    for (int k = 0; k < interpolation::coefficientCount; ++k)
        interpolationFilter[k] = float(interpolation::designCoefficients[k]);

    // 4-5. Audio state, responses.
    for (auto& frame : panelArrays)
        for (float& v : frame)
            v = 0.5f;
    headphoneCurveLoaded = referenceCurveLoaded = wetGateOpen = 0;
    studioIndex = 0;
    trimGain = 1.0f;
    filterRedesigned.store(0, std::memory_order_relaxed);
    reloadStudioConvolvers.store(0, std::memory_order_relaxed);
    reloadPlaceConvolvers.store(0, std::memory_order_relaxed);
    ltorSum = 1.0f;
    clearAudioState();
    std::memset(studioResponses, 0, sizeof studioResponses);
    studioResponses[0][5000] = 1.0f;
    studioResponses[0][22000] = 0.5f;
    studioResponses[1][5000] = 1.0f;
    studioResponses[1][30000] = 0.5f;
    studioResponseLeft = studioResponses[0];
    studioResponseRight = studioResponses[1];
    std::memset(placeResponses, 0, sizeof placeResponses);

    // 6. Places, listener 0, studio.
    loadPlaceResponses();
    loadHrtf(0, 0);
    loadHrtf(1, 0);
    synthesiseStudioResponses();

    // 7. Convolvers.
    for (int c = 0; c < 6; ++c)
    {
        const float* response = c == 0 ? studioResponseLeft : c == 1 ? studioResponseRight : placeResponses[c - 2];
        convolvers[c].reset();
        convolvers[c].init(headBlock, tailBlock, response, responseLength);
    }

    // 8-9. Output width, resampler steps, rate-dependent filters.
    stereoOutput = 0;
    inputPhaseStep = 1.0f / internalRate;
    internalStep = 1.0f / 48000.0f;
    updateSampleRateFilters();

    // 10. Design work space and coefficient records.
    std::memset(designScratch, 0, sizeof designScratch);
    std::memset(coefficientRecords, 0, sizeof coefficientRecords);
    for (int g = 0; g < 2; ++g)
        for (int r = 0; r < recordsPerGroup; ++r)
            coefficientPointers[g][r] = coefficientRecords[g][r];
    coefficientTable = coefficientPointers[0];

    // 11. Target curve.
    const float flatEqualiser[6] = {0.5f, 1.0f, 0.5f, 1.0f, 0.5f, 1.0f};
    std::memcpy(equaliserValues, flatEqualiser, sizeof equaliserValues);
    buildTargetCurve(equaliserValues);
    designWeight = 4.0f;

    // 12-14. Curves and design tables.
    loadHeadphoneCurve(199);
    loadNefCurve();
    loadMonitorCurve();
    if (loadDesignTables() != 0)
        buildDesignTables();
    loadLoudnessCurves();

    // 15-16. First design. The convolvers were built above from the very
    // responses they would be rebuilt from, so the first audio block is not
    // asked to rebuild (and allocate) them again.
    designCorrectionFilter(0, coefficientTable, 0, 0);
    designCorrectionFilter(1, coefficientTable, 1, 0);
    filterRedesigned.store(1, std::memory_order_release);
    inputPeakLeft = 0.0f;
}

void Controlsgui::clearAudioState()
{
    internalPhase = 0.0;
    std::memset(inputHistory, 0, sizeof inputHistory);
    std::memset(outputHistory, 0, sizeof outputHistory);
    interpolatedOutput[0] = interpolatedOutput[1] = 0.0f;
    interpolationState.reset();
    for (auto& s : peakingState)
        s.reset();
    correctionState.reset();
    activeSectionCount = sectionCount;
    hrirDelay.clear();
    std::memset(placeDelay, 0, sizeof placeDelay);
    placeDelayPosition = 0;
    for (int k = 0; k < 8; ++k)
        hrirRowPointers[k] = placeRowPointers[k] = unitImpulse;
    std::memset(placeRows, 0, sizeof placeRows);
    rowFraction = 0.0f;
    crossGain = 1.0f;
    rowsLaidOut = 0;
    std::memset(&listenerRows, 0, sizeof listenerRows);
    for (auto& s : saturatorState)
        s.reset();
}

// ---------------------------------------------------------------------------
// Host-facing overrides.

void Controlsgui::suspend()
{
    if (auto* e = static_cast<ControlsguiEditor*>(editor))
        e->effectSuspended();
}

void Controlsgui::resume()
{
    stereoOutput = isInputConnected(1) ? 1 : 0;
    AudioEffectX::resume();
    if (auto* e = static_cast<ControlsguiEditor*>(editor))
        e->effectResumed();
}

void Controlsgui::setSampleRate(float newSampleRate)
{
    // A rate at which a filter would be unstable is ignored.
    if (!chain::acceptsSampleRate(newSampleRate))
        return;
    sampleRate = newSampleRate;
    internalRate = newSampleRate;
    rateRatio = 44100.0f / newSampleRate;
    updateSampleRateFilters();
}

void Controlsgui::setBlockSize(VstInt32 newBlockSize)
{
    blockSize = newBlockSize;
}

VstInt32 Controlsgui::canDo(char* text)
{
    if (!text)
        return -1;
    if (std::strcmp(text, "receiveVstEvents") == 0 || std::strcmp(text, "receiveVstMidiEvent") == 0)
        return 1;
    return -1;
}

VstInt32 Controlsgui::getNumMidiInputChannels()
{
    return 1;
}

bool Controlsgui::getEffectName(char* name)
{
    vstCopyText(name, productName, kVstMaxEffectNameLen - 1);
    return true;
}

bool Controlsgui::getVendorString(char* text)
{
    vstCopyText(text, vendorName, 19);  // at most 20 bytes with the terminator
    return true;
}

bool Controlsgui::getProductString(char* text)
{
    vstCopyText(text, productName, kVstMaxProductStrLen - 1);
    return true;
}

VstIntPtr Controlsgui::forwardWheelToEditor(VstInt32 index, VstIntPtr value)
{
    constexpr VstInt32 wheelIndex = ('s' << 24) | ('t' << 16) | ('C' << 8) | 'A';
    constexpr VstIntPtr wheelValue = ('W' << 24) | ('h' << 16) | ('e' << 8) | 'e';
    if (index == wheelIndex && value == wheelValue && editor)
        return static_cast<ControlsguiEditor*>(editor)->onWheel(0.0f) ? 1 : 0;
    return 0;
}

float* Controlsgui::getParameterPointer(VstInt32 index)
{
    return controls::isParameterIndex(index) ? &params[index] : nullptr;
}

float* Controlsgui::getInputPeakLeft() { return &inputPeakLeft; }
float* Controlsgui::getInputPeakRight() { return &inputPeakRight; }
float* Controlsgui::getOutputPeakLeft() { return &outputPeakLeft; }
float* Controlsgui::getOutputPeakRight() { return &outputPeakRight; }

float* Controlsgui::getStateValuePointer(VstInt32 index)
{
    // No state value is published beyond the parameters.
    (void)index;
    return nullptr;
}

void Controlsgui::unusedHook() {}

#pragma once
#include <atomic>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "AudioEffectX.h"
#include "ChainStages.h"
#include "ControlsguiParameters.h"
#include "ControlsguiProgram.h"
#include "CorrectionFilter.h"
#include "CurveList.h"
#include "InterpolationFilter.h"
#include "ListenerRows.h"
#include "NoiseGenerator.h"
#include "PlaceRows.h"
#include "StudioSynthesis.h"
#include "TwoStageConvolver.h"

// The plug-in's effect object: parameters and programs, the data read from
// the data folder, the per-sample signal chain and the correction design.
// Tens of megabytes: always created on the heap, one object per instance.
//
// Threads: processReplacing runs on the host's audio thread; everything else
// runs on the host's or the editor's thread. No locks. The host thread hands
// work to the audio thread through three atomic flags (released when set,
// acquired when taken); tables, curves and coefficient records are rewritten
// in place.
static_assert(std::atomic<uint8_t>::is_always_lock_free, "the hand-over flags must not take a lock");

class Controlsgui : public AudioEffectX
{
public:
    static constexpr int hrirBlocks = 25;
    static constexpr int hrirRows = 50;
    static constexpr int hrirRowStride = 300;
    static constexpr int hrirTaps = 218;
    static constexpr int sectionCount = 100;
    static constexpr int directTaps = 10;
    static constexpr int recordSize = 211;
    static constexpr int recordsPerGroup = 10;
    static constexpr int designBins = 8192;
    static constexpr int designFftSize = 16384;
    static constexpr int responseCapacity = 192000;
    static constexpr int responseLength = 44100;
    static constexpr int headBlock = 64;
    static constexpr int tailBlock = 4096;
    static constexpr int panelFrames = 10;
    static constexpr int panelBins = 128;
    static constexpr int delayLength = 300;  // each delay line is kept twice
    static_assert(delayLength == listenerrows::PairedDelay::length);
    static constexpr int stageFrames = 256;  // frames per pass of the staged chain

    explicit Controlsgui(audioMasterCallback audioMaster);  // [host thread]
    ~Controlsgui() override;                                // [host thread]

    // AudioEffect / AudioEffectX overrides, in their slot order.
    void suspend() override;                                     // [host thread]
    void resume() override;                                      // [host thread]
    void setSampleRate(float sampleRate) override;               // [host thread]
    void setBlockSize(VstInt32 blockSize) override;              // [host thread]
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;  // [audio thread]
    void setParameter(VstInt32 index, float value) override;     // [host thread]
    float getParameter(VstInt32 index) override;                 // [any thread]
    void setProgram(VstInt32 program) override;                  // [host thread]
    void setProgramName(char* name) override;                    // [host thread]
    void getProgramName(char* name) override;                    // [host thread]
    void getParameterLabel(VstInt32 index, char* label) override;    // [host thread]
    void getParameterDisplay(VstInt32 index, char* text) override;   // [host thread]
    void getParameterName(VstInt32 index, char* text) override;      // [host thread]
    bool canParameterBeAutomated(VstInt32 index) override;           // [host thread]
    bool string2parameter(VstInt32 index, char* text) override;      // [host thread]
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;  // [host thread]
    VstInt32 getNumMidiInputChannels() override;                     // [host thread]
    bool getEffectName(char* name) override;                         // [host thread]
    bool getVendorString(char* text) override;                       // [host thread]
    bool getProductString(char* text) override;                      // [host thread]
    VstInt32 canDo(char* text) override;                             // [host thread]
    bool copyProgram(VstInt32 destination) override;                 // [host thread]

    // The processor's own operations, in their slot order.
    virtual void initialise();                                              // [host thread]
    virtual VstIntPtr forwardWheelToEditor(VstInt32 index, VstIntPtr value);  // [host thread]
    virtual void applyProgram(VstInt32 program);                            // [host thread]
    virtual void storeCurrentProgram();                                     // [host thread]
    virtual float* getParameterPointer(VstInt32 index);                     // [any thread]
    virtual float* getInputPeakLeft();                                      // [any thread]
    virtual float* getInputPeakRight();                                     // [any thread]
    virtual float* getOutputPeakLeft();                                     // [any thread]
    virtual float* getOutputPeakRight();                                    // [any thread]
    virtual float* getStateValuePointer(VstInt32 index);                    // [any thread]
    virtual int32_t readWaveFileToScratch();                                // [host thread]
    virtual int32_t readWaveFile(const char* path, float* left, float* right, int32_t capacity);  // [host thread]
    virtual int32_t loadFlatHrtf();                                         // [host thread]
    virtual int32_t loadLeftToRightResponse(int listener);                  // [host thread]
    virtual int32_t loadHrtf(int channel, int listener);                    // [host thread]
    virtual int32_t convertHeadphoneTextFile(int model);                    // [host thread]
    virtual int32_t convertHeadphoneTextPairs(int model);                   // [host thread]
    virtual int32_t loadHeadphoneCurve(int model);                          // [host thread]
    virtual int32_t loadReferenceHeadphoneCurve(int variant);               // [host thread]
    virtual int32_t loadNefCurve();                                         // [host thread]
    virtual int32_t loadMonitorCurve();                                     // [host thread]
    virtual int32_t convertMonitorFiles(int group, int item);               // [host thread]
    virtual int32_t loadLoudnessCurves();                                   // [host thread]
    virtual void buildTargetCurve(const float* values);                     // [host thread]
    virtual void designCorrectionFilter(int32_t channel, float** table, int32_t record, int32_t extra);  // [host thread]
    virtual int32_t loadDesignTables();                                     // [host thread]
    virtual void buildDesignTables();                                       // [host thread]
    virtual void synthesiseStudioResponses();                               // [host thread]
    virtual void unusedHook();                                              // [host thread]
    virtual void loadPlaceResponses();                                      // [host thread]
    virtual void convertAllCurveFiles();                                    // [host thread]
    virtual void createDataFolders();                                       // [host thread]

    // Designs that build their own fit matrices on every call (about as slow
    // as building the design tables); nothing in the plug-in calls them.
    // designFromBuiltInCurve fits table[record] to built-in curve model (0..10),
    // its second level list for record 1, the first otherwise, through
    // desiredGain; designFromBuiltInCurveZero does so for model 0 into the
    // running record. designFromMagnitudePair fits out to b / a, both float[8193]
    // raised in place to at least 0.001. A failed fit leaves the record as it
    // was. [host thread]
    void designFromBuiltInCurve(int32_t model, float** table, int32_t record);
    void designFromBuiltInCurveZero();
    void designFromMagnitudePair(float* a, float* b, float* out);

    // Non-virtual accessors for the editor (read without a lock).
    float* getTargetCurve() { return targetCurve; }            // [any thread]
    static constexpr int getTargetCurveSize() { return designBins; }  // [any thread]
    float (*getPanelArrays())[panelBins] { return panelArrays; }  // [any thread]

    // Trim and VOLUME: parameter 7 <-> the active trim; nothing happens when
    // the mode or variant is not 0..2. [host thread]
    void volumeFromTrim();
    void trimFromVolume();

    // Runs every frame through the whole chain in turn, each convolver fed one
    // sample per call, instead of in stages over the block: the reference
    // road the staged chain is checked against. Off by default.
    // [host thread, between blocks]
    void setFrameByFrame(bool on) { frameByFrame = on; }

    // The response a convolver was last built from (0, 1 studio left and
    // right; 2-5 places 1-4), responseLength samples; null for other
    // indices. [host thread]
    const float* getConvolverResponse(int index) const
    {
        if (index == 0 || index == 1)
            return index == 0 ? studioResponseLeft : studioResponseRight;
        return index >= 2 && index < 6 ? placeResponses[index - 2] : nullptr;
    }

    // The sample rate as last set and the data root ("" when there is none).
    float getInternalRate() const { return internalRate; }     // [any thread]
    const std::string& getDataRoot() const { return dataRoot; }  // [any thread]

    // Numbers a host or the tests may read. [any thread]
    bool isStereoOutput() const { return stereoOutput != 0; }
    float getTrimGain() const { return trimGain; }
    int32_t getStudioIndex() const { return studioIndex; }
    bool isHeadphoneCurveLoaded() const { return headphoneCurveLoaded != 0; }
    bool isReferenceCurveLoaded() const { return referenceCurveLoaded != 0; }
    struct Routing
    {
        bool hrirPathOn, curveFlagA, curveFlagB, studioConvolverOn, placeConvolverOn;
    };
    Routing getRouting() const
    {
        return {hrirPathOn != 0, curveFlagA != 0, curveFlagB != 0, studioConvolverOn != 0, placeConvolverOn != 0};
    }

private:
    // Parameter actions (ControlsguiParameters.cpp).
    void runParameterAction(int index);
    void updateTrimGain();
    void redesign();
    void runMixBlock();
    void runHeadphonesBlock();
    void setPlacesFlags();
    void reloadPlaces();
    void updateEqualiser();
    int activeTrimIndex() const;  // -1 when the mode or variant is not 0..2

    // Signal chain (SignalChain.cpp).
    void updateSampleRateFilters();
    void takeHandOverFlags();
    void chooseRows();
    enum class Route : uint8_t { dry, listener, places };
    struct BlockIo
    {
        const float* in0;
        const float* in1;
        float* out0;
        float* out1;  // may be null
    };
    struct BlockPeaks
    {
        float inL = 0.0f, inR = 0.0f, outL = 0.0f, outR = 0.0f;
    };
    Route currentRoute() const;
    void layOutRows(Route route);
    bool onFixedGrid() const;
    void saturateInternalSample(float sL, float sR, float& vL, float& vR);
    void correctInternalSample(float sL, float sR, float& cL, float& cR);
    void finishInternalSample(Route route, float cL, float cR, const float placeOutputs[4], float studioL,
                              float studioR, bool gateOpen, float& outL, float& outR);
    bool gateForNextSample() const;
    void emitFrame(const BlockIo& io, int n, float z2, BlockPeaks& peaks);
    void renderFrameByFrame(const BlockIo& io, int first, int count, BlockPeaks& peaks);
    void renderStaged(const BlockIo& io, int first, int count, BlockPeaks& peaks);
    void findDataRoot();
    void startCurvesFlat();
    void clearAudioState();

    // 1-3. Programs, live values, rate.
    ControlsguiProgram* programs;
    float params[controls::parameterCount];
    float internalRate;
    float rateRatio;

    // 4. The studio analyser picture the editor draws.
    float panelArrays[panelFrames][panelBins];

    // 5. Resampler. The phase runs in double, so the fixed steps land
    // exactly on the 4x grid and every frame makes exactly one internal sample.
    float inputPhaseStep;
    double internalPhase;
    float internalStep;
    float inputHistory[2][6];
    float outputHistory[2][6];
    float interpolatedOutput[2];
    interpolation::PairState interpolationState;  // both channels

    // 6. Output peaking stage.
    chain::PeakingCoefficients peakingCoefficients;
    chain::PeakingState peakingState[2];

    // 7. Correction filter: fixed poles, per-channel section states and the
    // direct taps' delay line.
    float poleA1[sectionCount];
    float poleA2[sectionCount];
    correction::CorrectionPairState correctionState;
    correction::CorrectionPairRecord correctionLayout;  // record 0 and the poles, laid out once per block
    int32_t activeSectionCount;

    // 8-9. Listener responses.
    float hrirLeft[hrirBlocks][hrirRows][hrirRowStride];
    float hrirRight[hrirBlocks][hrirRows][hrirRowStride];
    float unitImpulse[hrirRowStride];
    float leftToRightResponse[hrirRowStride];

    // 10. Delay lines, each held twice in a row so that every 218-tap window
    // is contiguous: listener path (both sides, in pairs), place path
    // (sources 1-4).
    listenerrows::PairedDelay hrirDelay;
    float placeDelay[4][2 * delayLength];
    int32_t placeDelayPosition;

    // 11. Rows of this block: listener path L0 L1 X0 X1 R0 R1 Y0 Y1, place
    // path left and right ear of sources 1-4; and the listener rows blended
    // once per block, laid out tap pair by tap pair.
    const float* hrirRowPointers[8];
    const float* placeRowPointers[8];
    listenerrows::LaidOutRows listenerRows;
    placerows::PairedRows placeRows[4];  // the place rows of this block, per source
    float rowFraction;   // weight of the second row of each listener pair
    float crossGain;     // g of the cross rows
    uint8_t rowsLaidOut;  // 1: listenerRows, 2: placeRows hold this block's rows

    // 12. Saturator.
    chain::SaturatorState saturatorState[2];
    chain::SaturatorCoefficients saturatorCoefficients;

    // 13. The 4x stage's filter: 9 feed-forward then 8 feedback values; and
    // the same widened for both channels, once per block.
    float interpolationFilter[interpolation::coefficientCount];
    interpolation::PairCoefficients interpolationPair;

    // 14. Correction coefficient records: two groups of ten with a pointer
    // table each; the chain runs record 0 of coefficientTable.
    float coefficientRecords[2][recordsPerGroup][recordSize];
    float* coefficientPointers[2][recordsPerGroup];
    float** coefficientTable;

    // 15. Curve lists.
    CurveList headphoneCurve;
    CurveList nefCurve;
    CurveList referenceCurve;
    CurveList loudnessCurve10;
    CurveList loudnessCurve50;
    CurveList loudnessCurve90;

    // 16. Work space of the correction design: desired, headphone, smoothed,
    // nef, reference, loudness 10, 50, 90.
    float designScratch[8][designFftSize];

    // 17. Convolvers: 0, 1 studio left and right; 2-5 places 1-4.
    convolution::TwoStageConvolver convolvers[6];

    // 18-19. Responses.
    float studioResponses[2][responseCapacity];
    float* studioResponseLeft;
    float* studioResponseRight;
    float placeResponses[4][responseCapacity];

    // 20-22.
    float ltorSum;
    uint8_t hrirPathOn;
    uint8_t curveFlagA;
    uint8_t curveFlagB;
    uint8_t studioConvolverOn;
    uint8_t placeConvolverOn;
    int32_t studioIndex;
    float trimGain;

    // 23-25. Meters, output width and the hand-over flags.
    float inputPeakLeft;
    float inputPeakRight;
    float outputPeakLeft;
    float outputPeakRight;
    uint8_t stereoOutput;
    std::atomic<uint8_t> filterRedesigned;
    std::atomic<uint8_t> reloadStudioConvolvers;
    std::atomic<uint8_t> reloadPlaceConvolvers;

    // 26-29. Design inputs, target curve, gate.
    float designWeight;
    float equaliserValues[6];
    float targetCurve[designBins];
    uint8_t headphoneCurveLoaded;
    uint8_t referenceCurveLoaded;
    uint8_t wetGateOpen;

    // 30. Design tables.
    double basisReal[recordSize][designBins];
    double basisImag[recordSize][designBins];
    double normalInverse[recordSize][recordSize];

    // 31. File streams of the readers and writers.
    std::ofstream outputStream;
    std::ifstream inputStream;
    std::ofstream secondOutputStream;

    // 32. Data folder: the root, the maker folder "<root>/Harlox" and the
    // product folder "<root>/Harlox/Quillatone" ("" without a root).
    std::string dataRoot;
    std::string makerFolder;
    std::string productFolder;

    // Scratch of one pass of the staged chain, per channel: the input, the 4x
    // filter's outputs by quarter (frame i in column i + 2, after the two
    // frames before the pass), the internal samples, the saturated ones, the
    // corrected ones; the place convolvers' input and outputs, the studio
    // convolvers' outputs; the outputs at the internal rate (frame i at i + 5,
    // after the five before the pass) and back at the output rate.
    float stageInput[2][stageFrames];
    float stageQuarters[2][4][stageFrames + 2];
    float stageInternal[2][stageFrames];
    float stageSaturated[2][stageFrames];
    float stageCorrected[2][stageFrames];
    float stagePlaceInput[stageFrames];
    float stagePlaceOutput[4][stageFrames];
    float stageStudio[2][stageFrames];
    float stageFinished[2][stageFrames + 5];
    float stageInterpolated[2][stageFrames];
    bool frameByFrame = false;

    // Per-instance noise: the chain's (both channels, left first) and the
    // studio synthesis's, with its working state.
    chain::ChainNoise chainNoise;
    NoiseGenerator studioNoise;
    studio::SynthesisState studioSynthesis;
    // Scratch of readWaveFileToScratch, made when first used.
    std::vector<float> waveScratch;
    std::string scratchWavePath;
};

// The plug-in's editor window: layout, keeping controls and parameters in
// step, meters, and the preset text files and clipboard.
#pragma once

#include "EditorViews.h"
#include "aeffguieditor.h"
#include "controls.h"
#include "fileselector.h"

#include <atomic>
#include <cstdint>
#include <thread>

class Controlsgui;

class ControlsguiEditor : public VSTGUI::AEffGUIEditor, public VSTGUI::IControlListener
{
public:
    static constexpr short width = 880;
    static constexpr short height = 640;
    static constexpr int parameterCount = 38;
    static constexpr size_t presetTextSize = 10000;
    static constexpr size_t presetPathSize = 1001;

    // Control tags besides the parameter indices 0..37.
    enum : VSTGUI::int32
    {
        tagImageTopLeft = 40, tagImageBottomRight = 41, tagImageBottomLeft = 42, tagImageTopRight = 43,
        tagInputScope = 44, tagOutputScope = 45, tagWaterfall = 46, tagLoad = 47, tagSave = 48
    };

    // Registers itself as the effect's editor. [host thread]
    explicit ControlsguiEditor(AudioEffect* effect);
    ~ControlsguiEditor() override;

    // Builds the frame and every control; false when a window was asked
    // for and none could be made (no display). A null parent builds an
    // off-screen frame. [host thread]
    bool open(void* parent) override;
    void close() override;   // [host thread]
    void idle() override;    // [host thread]

    // From the processor after every parameter store; the value is read back
    // from the effect. Calls from another thread than the one that opened the
    // window are applied at the next idle. [any thread]
    void setParameter(VstInt32 index, float value) override;

    // From every control. [GUI thread]
    void valueChanged(VSTGUI::CControl* control) override;

    // From the processor's suspend and resume: nothing to do. [host thread]
    void effectSuspended() {}
    void effectResumed() {}

    // VOLUME knob <-> the trim parameter of the current mode and variant. [GUI thread]
    void syncVolumeKnob();
    void volumeKnobToParameter(float value);

    // Preset text files (".qlt") and the clipboard. [GUI thread]
    void buildPresetText();
    void savePreset();
    void loadPreset();
    bool parsePresetText();
    void applyParsedValues();
    bool pastePresetFromClipboard();
    // The path used by savePreset and loadPreset; false (and nothing
    // changed) when it does not fit the path field. [GUI thread]
    bool setPresetPath(const char* path);
    const char* getPresetPath() const { return presetPath; }
    const char* getPresetText() const { return presetText; }

    // The window's controls, for tests; null while closed. [GUI thread]
    VSTGUI::CControl* findControl(VSTGUI::int32 tag) const;
    VezuRezo_SwirlingRoom* getRoomView() const { return frame ? roomView : nullptr; }
    VezuRezo_VectorKnobA* getVolumeKnob() const { return frame ? volumeKnob : nullptr; }
    VezuRezo_VectorKnobA* getLoudnessKnob() const { return frame ? loudnessKnob : nullptr; }
    VezuRezo_PeakScope* getInputScope() const { return frame ? inputScope : nullptr; }
    VezuRezo_PeakScope* getOutputScope() const { return frame ? outputScope : nullptr; }
    VezuRezo_Waterfall* getWaterfall() const { return frame ? waterfallView : nullptr; }

    // Design-coordinate size of the frame: 880 / 0.8 by 640 / 0.8.
    static VSTGUI::CRect designFrameRect();

private:
    float parameter(int index) const;
    // Trim parameter of the current mode and variant, or -1.
    int trimIndex() const;
    void applyParameter(int index);
    void applyPendingParameters();
    void updateMeters(uint32_t now);
    void roomViewChanged();
    void runFileSelector(bool save);
    void automate(int index, float value);
    void redraw(VSTGUI::CView* view);
    void setHandleValue(int entry, float value);
    // Room view from parameter 3 or 4; true when the angle moved.
    bool showRoomAngle(int index);
    // Room view's highlighted pair from the MIX variant (parameter 16).
    void showHighlightedPair();
    Controlsgui* processor() const;

    void buildTitleBar(double W);
    void buildModeControls(double W, double T);
    void buildLowerControls(double W, double H, double cx);
    VSTGUI::COptionMenu* addMenu(const VSTGUI::CRect& r, VSTGUI::int32 tag, VSTGUI::CFontRef font,
                                 const VSTGUI::CColor& colour);
    VSTGUI::CTextLabel* addLabel(const VSTGUI::CRect& r, const char* text, VSTGUI::CFontRef font,
                                 const VSTGUI::CColor& colour, VSTGUI::CHoriTxtAlign align);
    VSTGUI::CTextButton* addButton(const VSTGUI::CRect& r, VSTGUI::int32 tag, const char* title);
    VSTGUI::CFrame* building = nullptr;

    VSTGUI::CRect designRect;
    char presetText[presetTextSize] = {};
    char presetPath[presetPathSize] = {};
    char headerWord[43] = {};
    float parsedValues[200] = {};
    float parsedVersion = 0;
    char loadedText[presetTextSize] = {};
    VSTGUI::CNewFileSelector* fileSelector = nullptr;
    char versionText[41];
    VSTGUI::CTextLabel* versionLabel = nullptr;
    VSTGUI::CTextLabel* productLabel = nullptr;
    VSTGUI::CTextLabel* webLabel = nullptr;
    VSTGUI::CTextLabel* makerLabel = nullptr;
    VezuRezo_StaticVectorImage* cornerImage[4] = {};
    VSTGUI::CTextButton* loadButton = nullptr;
    VSTGUI::CTextButton* saveButton = nullptr;
    CMyHorizontalTab* modeTab = nullptr;
    CMyVerticalSwitch* variantSwitch[3] = {};
    VSTGUI::COptionMenu* headphoneMenu = nullptr;
    VSTGUI::COptionMenu* studioMenu = nullptr;
    VSTGUI::COptionMenu* personMenu = nullptr;
    VSTGUI::COptionMenu* monitorMenu[3] = {};
    VSTGUI::COptionMenu* emulatedHeadphoneMenu[2] = {};
    VSTGUI::CTextLabel* myHeadphonesLabel = nullptr;
    VSTGUI::COptionMenu* placeMenu[3] = {};
    VezuRezo_VectorKnobA* loudnessKnob = nullptr;
    VezuRezo_VectorKnobA* volumeKnob = nullptr;
    VezuRezo_SwirlingRoom* roomView = nullptr;
    VezuRezo_Waterfall* waterfallView = nullptr;
    VezuRezo_PeakScope* inputScope = nullptr;
    VezuRezo_PeakScope* outputScope = nullptr;
    // Tick stamps are compared as 32-bit differences, so the tick counter
    // may wrap.
    uint32_t lastMeterTicks = 0;
    uint32_t lastRedrawTicks = 0;
    float meterPrevious[4] = {};
    VSTGUI::int32 roomSelector = 0;
    float zoomFactor = 0.8f;

    // Parameter changes from another thread, one bit per index.
    std::thread::id guiThread;
    std::atomic<uint64_t> pendingParameters{0};
};

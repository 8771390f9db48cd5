#include "ControlsguiEditor.h"

#include "Controlsgui.h"
#include "EditorDecoding.h"
#include "ModelTables.h"
#include "Theme.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace VSTGUI;

namespace {
constexpr const char* productText = "Quillatone";
constexpr const char* webText = "harlox.audio";
constexpr const char* makerText = "harloxaudio";
constexpr const char* versionDisplay = "Quillatone 1.0.0  VST 2.4  Linux";
constexpr const char* knobScaleLoudness[11] = {"-25", "20", "15", "10", "5", "0", "5", "10", "15", "20", "25"};
constexpr const char* knobScaleVolume[11] = {"-15", "12", "9", "6", "3", "0", "3", "6", "9", "12", "15"};
constexpr const char* personItems[12] = {
    "1 individual 3", "2 individual 8", "3 individual 9", "4 individual 10", "5 individual 11", "6 individual 12",
    "7 individual 15", "8 individual 17", "9 individual 18", "10 individual 19", "11 individual 20",
    "12 individual 21"};
constexpr const char* placeItems[4] = {"1 Office Openspace Mono", "2 Small Warm Ambience", "3 Medium Warm Ambience",
                                       "4 Medium Clear Ambience"};
constexpr float radiansPerDragStep = 0.07853982f;

void setTooltip(CView* view, const char* text)
{
    view->setTooltipText(text);
}

template <size_t N>
void copyText(char (&field)[N], const char* text)
{
    std::snprintf(field, N, "%s", text);
}
} // namespace

ControlsguiEditor::ControlsguiEditor(AudioEffect* effect)
    : AEffGUIEditor(effect), designRect(0, 0, width, height)
{
    rect.top = 0;
    rect.left = 0;
    rect.bottom = height;
    rect.right = width;
    knobMode = CKnob::kLinearMode;
    copyText(versionText, "Quillatone version text before the open.");
}

ControlsguiEditor::~ControlsguiEditor()
{
    close();
}

CRect ControlsguiEditor::designFrameRect()
{
    const float zoom = 0.8f;
    return CRect(0, 0, 880.0 / double(zoom), 640.0 / double(zoom));
}

Controlsgui* ControlsguiEditor::processor() const
{
    return dynamic_cast<Controlsgui*>(effect);
}

float ControlsguiEditor::parameter(int index) const
{
    return effect ? effect->getParameter(index) : 0.0f;
}

bool ControlsguiEditor::open(void* parent)
{
    AEffGUIEditor::open(parent);
    const double W = 880.0 / double(zoomFactor);
    const double H = 640.0 / double(zoomFactor);

    CFrame* f = new CFrame(CRect(0, 0, W, H), parent, this);
    if (parent && !f->getPlatformFrame())
    {
        // No display or no usable parent window: stay closed.
        f->forget();
        systemWindow = nullptr;
        return false;
    }
    f->setBackground(nullptr);
    f->setBackgroundColor(kThemeBackgroundCColor);
    f->enableTooltips(true);
    f->setZoom(zoomFactor);
    guiThread = std::this_thread::get_id();
    pendingParameters.store(0);

    building = f;
    buildTitleBar(W);
    buildModeControls(W, W / 3);
    buildLowerControls(W, H, W / 2);
    building = nullptr;

    for (float& m : meterPrevious)
        m = 0.0f;
    frame = f;
    return true;
}

void ControlsguiEditor::close()
{
    AEffGUIEditor::close();
}

COptionMenu* ControlsguiEditor::addMenu(const CRect& r, int32 tag, CFontRef font, const CColor& colour)
{
    auto* menu = new COptionMenu(r, this, tag, nullptr, nullptr, 0x80);
    menu->setBackColor(kTransparentCColor);
    menu->setFrameColor(kTransparentCColor);
    menu->setHoriAlign(kCenterText);
    menu->setAntialias(true);
    menu->setFont(font);
    menu->setFontColor(colour);
    return menu;
}

CTextLabel* ControlsguiEditor::addLabel(const CRect& r, const char* text, CFontRef font, const CColor& colour,
                                        CHoriTxtAlign align)
{
    auto* label = new CTextLabel(r, text, nullptr, 0);
    label->setBackColor(kTransparentCColor);
    label->setFrameColor(kTransparentCColor);
    label->setFont(font);
    label->setFontColor(colour);
    label->setHoriAlign(align);
    return label;
}

CTextButton* ControlsguiEditor::addButton(const CRect& r, int32 tag, const char* title)
{
    auto* button = new CTextButton(r, this, tag, title, CTextButton::kKickStyle);
    button->setFont(kThemeSmallFont);
    button->setTextColor(kThemeTextCColor);
    button->setTextColorHighlighted(kBlackCColor);
    button->setGradient(nullptr);
    button->setGradientHighlighted(nullptr);
    button->setFrameColor(kTransparentCColor);
    button->setFrameColorHighlighted(kTransparentCColor);
    button->setMin(0);
    button->setMax(1);
    return button;
}

void ControlsguiEditor::buildTitleBar(double W)
{
    cornerImage[0] = new VezuRezo_StaticVectorImage(CRect(0, 0, 340, 38), this, tagImageTopLeft, nullptr, CPoint(0, 0));
    cornerImage[0]->kind = 0;
    cornerImage[0]->proportion = 0.25f;
    building->addView(cornerImage[0]);
    cornerImage[3] = new VezuRezo_StaticVectorImage(CRect(W - 340, 0, W, 38), this, tagImageTopRight, nullptr,
                                                    CPoint(0, 0));
    cornerImage[3]->kind = 1;
    cornerImage[3]->proportion = 0.25f;
    building->addView(cornerImage[3]);

    productLabel = addLabel(CRect(96, 0, 358, 36), productText, kThemeTitleFont, kThemeAmberCColor, kLeftText);
    building->addView(productLabel);
    webLabel = addLabel(CRect(7, 1, 100, 21), webText, kThemeNormalFont, kThemeTextCColor, kLeftText);
    building->addView(webLabel);
    makerLabel = addLabel(CRect(7, 17, 100, 37), makerText, kThemeNormalFont, kThemeTextCColor, kLeftText);
    building->addView(makerLabel);

    versionLabel = addLabel(CRect(555, 455, 744, 470), versionText, kNormalFontVerySmall, kThemeDarkTextCColor,
                            kRightText);
    copyText(versionText, versionDisplay);
    versionLabel->setText(versionText);
    versionLabel->setBackColor(CColor(0, 0, 0, 0));
    versionLabel->setFrameColor(CColor(0, 0, 0, 0));
    building->addView(versionLabel);

    loadButton = addButton(CRect(W - 270, 10, W - 230, 30), tagLoad, "LOAD");
    building->addView(loadButton);
    saveButton = addButton(CRect(W - 225, 10, W - 175, 30), tagSave, "SAVE");
    building->addView(saveButton);
}

void ControlsguiEditor::buildModeControls(double W, double T)
{
    modeTab = new CMyHorizontalTab(CRect(0, 50, W, 110), this, 15, 3, T, 3, nullptr, CPoint(0, 0));
    modeTab->setNumSubPixmaps(3);
    modeTab->fontSize = 16;
    copyText(modeTab->labels[0], "MIX");
    copyText(modeTab->labels[1], "HEADPHONES");
    copyText(modeTab->labels[2], "PLACES");
    copyText(modeTab->title, "MODE");
    modeTab->setMin(0);
    modeTab->setMax(1);
    modeTab->setValue(parameter(15));
    building->addView(modeTab);

    for (int i = 0; i < 3; ++i)
    {
        const double left = i * T;
        auto* s = new CMyVerticalSwitch(CRect(left, 115, left + 60, 235), this, 16 + i, 3, 50, 3, nullptr,
                                        CPoint(0, 0));
        s->setNumSubPixmaps(3);
        copyText(s->labels[0], "A");
        copyText(s->labels[1], "B");
        copyText(s->labels[2], "C");
        s->title[0] = '\0';
        s->setValue(parameter(16 + i));
        variantSwitch[i] = s;
        building->addView(s);
    }

    const char* const oneItem[2] = {"1 Gen 1236A", "1 Yamaha NS10"};
    for (int i = 0; i < 2; ++i)
    {
        monitorMenu[i] = addMenu(CRect(60, 115 + 40 * i, T, 155 + 40 * i), 19 + i, kNormalFontVeryBig,
                                 kThemeTextCColor);
        monitorMenu[i]->addEntry(oneItem[i]);
        monitorMenu[i]->setValue(0);
        building->addView(monitorMenu[i]);
    }
    monitorMenu[2] = addMenu(CRect(60, 195, T, 235), 21, kNormalFontVeryBig, kThemeTextCColor);
    for (int i = 0; i < datafiles::monitorTableCount; ++i)
        monitorMenu[2]->addEntry(datafiles::monitorMenuTable[i]);
    monitorMenu[2]->setValue(float(truncatedIndex(parameter(21) * 100.0f + 0.49f)));
    building->addView(monitorMenu[2]);

    for (int i = 0; i < 2; ++i)
    {
        auto* m = addMenu(CRect(T + 60, 115 + 40 * i, 2 * T, 155 + 40 * i), 22 + i, kNormalFontVeryBig,
                          kThemeTextCColor);
        for (int row = 0; row < datafiles::headphoneModelCount; ++row)
            m->addEntry(datafiles::headphoneModelTable[row].menuLabel);
        m->setValue(float(truncatedIndex(parameter(22 + i) * 1000.0f + 0.49f)));
        emulatedHeadphoneMenu[i] = m;
        building->addView(m);
    }
    myHeadphonesLabel = addLabel(CRect(T + 60, 195, 2 * T, 235), "My Headphones", kNormalFontVeryBig,
                                 kThemeBlueCColor, kCenterText);
    building->addView(myHeadphonesLabel);

    placeMenu[0] = addMenu(CRect(2 * T + 60, 115, W, 155), 25, kNormalFontVeryBig, kThemeTextCColor);
    for (const char* item : placeItems)
        placeMenu[0]->addEntry(item);
    placeMenu[0]->setValue(float(truncatedIndex(parameter(25) * 100.0f + 0.49f)));
    building->addView(placeMenu[0]);
    const char* const placeOneItem[2] = {"1 FIAT Punto front-R", "Adam PA33 Buddy Sound"};
    for (int i = 0; i < 2; ++i)
    {
        placeMenu[1 + i] = addMenu(CRect(2 * T + 60, 155 + 40 * i, W, 195 + 40 * i), 26 + i, kNormalFontVeryBig,
                                   kThemeTextCColor);
        placeMenu[1 + i]->addEntry(placeOneItem[i]);
        placeMenu[1 + i]->setValue(0);
        building->addView(placeMenu[1 + i]);
    }
}

bool ControlsguiEditor::showRoomAngle(int index)
{
    // 0..1 becomes -1.5..1.5 radians; the drag accumulator goes where the
    // view's own drag would leave it. The editor's own sends come back here
    // a rounding away from the view's angle: those change nothing.
    const float angle = 3.0f * parameter(index) - 1.5f;
    float& shown = index == 3 ? roomView->azimuth : roomView->elevation;
    float& accumulator = index == 3 ? roomView->dragX : roomView->dragY;
    if (!(std::fabs(angle - shown) > 1e-6f))
        return false;
    shown = angle;
    accumulator = angle / radiansPerDragStep;
    return true;
}

void ControlsguiEditor::showHighlightedPair()
{
    roomView->highlightedPair = std::clamp(truncatedIndex(2.0f * parameter(16)), 0, 2);
}

void ControlsguiEditor::buildLowerControls(double W, double H, double cx)
{
    roomView = new VezuRezo_SwirlingRoom(CRect(0, 240, W, H), this, 8, nullptr, nullptr, CPoint(0, 0), 0);
    if (Controlsgui* p = processor())
    {
        roomView->targetCurve = p->getTargetCurve();
        roomView->targetCurveCount = Controlsgui::getTargetCurveSize();
    }
    for (int i = 0; i < 6; ++i)
        setHandleValue(i, parameter(9 + i));
    setTooltip(roomView, "In room mode, Ctrl-click for default orientation.");
    showRoomAngle(3);
    showRoomAngle(4);
    showHighlightedPair();
    roomView->selector = parameter(37) >= 0.1f ? 1 : 0;
    const int m = truncatedIndex(2.0f * parameter(15) + 0.49f);
    roomView->curveMode = m == 1 ? 1 : 0;
    roomView->roomOnly = m != 0 ? 1 : 0;
    building->addView(roomView);

    headphoneMenu = addMenu(CRect(cx - 200, 3, cx + 200, 36), 0, kThemeMenuFont, kThemeBlueCColor);
    headphoneMenu->setNbItemsPerColumn(100);
    for (int row = 0; row < datafiles::headphoneModelCount; ++row)
        headphoneMenu->addEntry(datafiles::headphoneModelTable[row].menuLabel);
    headphoneMenu->setValue(float(truncatedIndex(parameter(0) * 1000.0f + 0.5f)));
    building->addView(headphoneMenu);

    personMenu = addMenu(CRect(W - 120, 3, W - 40, 36), 1, kNormalFont, CColor(160, 160, 160, 255));
    personMenu->setHoriAlign(kRightText);
    for (const char* item : personItems)
        personMenu->addEntry(item);
    personMenu->setValue(float(truncatedIndex(parameter(1) * 100.0f + 0.5f)));
    setTooltip(personMenu, "Your personal hearing map with direction. Choose one and stick with that.");
    building->addView(personMenu);

    studioMenu = addMenu(CRect(cx - 200, H - 36, cx + 200, H - 3), 2, kThemeMenuFont, kThemeBlueCColor);
    studioMenu->setNbItemsPerColumn(100);
    for (int i = 0; i < datafiles::studioCount; ++i)
        studioMenu->addEntry(datafiles::studioTable[i].menuLabel);
    studioMenu->setValue(float(truncatedIndex(parameter(2) * 100.0f + 0.49f)));
    building->addView(studioMenu);

    cornerImage[1] = new VezuRezo_StaticVectorImage(CRect(W - 360, H - 225, W, H), this, tagImageBottomRight,
                                                    nullptr, CPoint(0, 0));
    cornerImage[1]->kind = 4;
    cornerImage[1]->proportion = 0.4f;
    building->addView(cornerImage[1]);
    cornerImage[2] = new VezuRezo_StaticVectorImage(CRect(0, H - 225, 360, H), this, tagImageBottomLeft, nullptr,
                                                    CPoint(0, 0));
    cornerImage[2]->kind = 3;
    cornerImage[2]->proportion = 0.4f;
    building->addView(cornerImage[2]);

    loudnessKnob = new VezuRezo_VectorKnobA(CRect(70, H - 220, 270, H - 20), this, 6, nullptr, nullptr,
                                            CPoint(0, 0), 0);
    loudnessKnob->setValue(parameter(6));
    copyText(loudnessKnob->title, "LOUDNESS");
    copyText(loudnessKnob->unit, "dB");
    for (int i = 0; i < 11; ++i)
        copyText(loudnessKnob->scaleLabels[i], knobScaleLoudness[i]);
    setTooltip(loudnessKnob, "Affects the loudness contour. Set to center for neutral. This acts on-release.");
    building->addView(loudnessKnob);

    volumeKnob = new VezuRezo_VectorKnobA(CRect(W - 270, H - 220, W - 70, H - 20), this, 7, nullptr, nullptr,
                                          CPoint(0, 0), 0);
    const int trim = trimIndex();
    if (trim >= 0)
        volumeKnob->setValue(parameter(trim));
    copyText(volumeKnob->title, "VOLUME");
    copyText(volumeKnob->unit, "dB");
    for (int i = 0; i < 11; ++i)
        copyText(volumeKnob->scaleLabels[i], knobScaleVolume[i]);
    building->addView(volumeKnob);

    inputScope = new VezuRezo_PeakScope(CRect(20, H - 200, 68, H - 20), this, tagInputScope, nullptr, CPoint(0, 0));
    inputScope->levelA = inputScope->levelB = 0.3f;
    building->addView(inputScope);
    outputScope = new VezuRezo_PeakScope(CRect(W - 68, H - 200, W - 20, H - 20), this, tagOutputScope, nullptr,
                                         CPoint(0, 0));
    outputScope->levelA = outputScope->levelB = 0.3f;
    building->addView(outputScope);

    waterfallView = new VezuRezo_Waterfall(CRect(cx - 200, H - 180, cx + 200, H - 50), this, tagWaterfall, nullptr,
                                           CPoint(0, 0));
    std::memset(waterfallView->rows, 0, sizeof waterfallView->rows);
    building->addView(waterfallView);
}

CControl* ControlsguiEditor::findControl(int32 tag) const
{
    if (!frame)
        return nullptr;
    for (int32 i = 0; i < frame->getNbViews(); ++i)
        if (auto* c = dynamic_cast<CControl*>(frame->getView(i)))
            if (c->getTag() == tag)
                return c;
    return nullptr;
}

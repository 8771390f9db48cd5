// Control edits reaching the processor and the host, parameter changes
// reaching the controls, meters, and changes from another thread.
#include "EditorTestSupport.h"

#include "popupmenu.h"

#include <thread>

using namespace VSTGUI;
using edtest::automateCount;
using edtest::automated;
using edtest::clockNow;
using edtest::hostEvents;

class EditorSync : public edtest::EditorTest
{
};

TEST_F(EditorSync, MenuChoicesSendScaledValuesAndSelectVariantAndMode)
{
    openWindow();
    choose(0, 199);
    ASSERT_EQ(automated(0), std::vector<float>{199 * 0.001f});
    EXPECT_EQ(processor->getParameter(0), 199 * 0.001f);

    hostEvents().clear();
    choose(21, 5);  // "Ideal" in the third MIX menu
    EXPECT_EQ(automated(21), std::vector<float>{5 * 0.01f});
    EXPECT_EQ(automated(16), std::vector<float>{1.0f});
    EXPECT_EQ(automated(15), std::vector<float>{0.0f});
    EXPECT_FLOAT_EQ(control(16)->getValue(), 1.0f);

    hostEvents().clear();
    choose(23, 12);
    EXPECT_EQ(automated(23), std::vector<float>{12 * 0.001f});
    EXPECT_EQ(automated(17), std::vector<float>{0.5f});
    EXPECT_EQ(automated(15), std::vector<float>{0.5f});
    EXPECT_FLOAT_EQ(control(15)->getValue(), 0.5f);  // back through setParameter

    hostEvents().clear();
    choose(25, 2);
    EXPECT_EQ(automated(25), std::vector<float>{2 * 0.01f});
    EXPECT_EQ(automated(18), std::vector<float>{0.0f});
    EXPECT_EQ(automated(15), std::vector<float>{1.0f});

    hostEvents().clear();
    choose(1, 7);
    EXPECT_EQ(automated(1), std::vector<float>{7 * 0.01f});
    EXPECT_EQ(automateCount(), 1u);
}

TEST_F(EditorSync, OneItemMenusAndDecorationsSendNothing)
{
    openWindow();
    for (int tag : {19, 20, 26, 27, 40, 41, 42, 43, 44, 45, 46})
    {
        control(tag)->valueChanged();
    }
    EXPECT_EQ(automateCount(), 0u);
}

TEST_F(EditorSync, VariantSwitchesSelectTheirModeAndTheHighlightedPair)
{
    openWindow();
    choose(16, 1.0f);
    EXPECT_EQ(automated(16), std::vector<float>{1.0f});
    EXPECT_EQ(automated(15), std::vector<float>{0.0f});
    EXPECT_EQ(editor->getRoomView()->highlightedPair, 2);
    hostEvents().clear();
    choose(18, 0.5f);
    EXPECT_EQ(automated(18), std::vector<float>{0.5f});
    EXPECT_EQ(automated(15), std::vector<float>{1.0f});
}

TEST_F(EditorSync, StudioChoiceFillsTheWaterfallFromTheProcessor)
{
    openWindow();
    choose(2, 4);
    EXPECT_EQ(automated(2), std::vector<float>{4 * 0.01f});
    auto panels = processor->getPanelArrays();
    VezuRezo_Waterfall* w = editor->getWaterfall();
    for (int row = 0; row < 10; ++row)
        for (int j = 0; j < 128; ++j)
            ASSERT_EQ(w->rows[row][j], panels[row][j]) << row << " " << j;
}

TEST_F(EditorSync, VolumeKnobWritesTheTrimWithoutTellingTheHost)
{
    hostSets(15, 0.5f);
    hostSets(17, 0.5f);
    hostSets(31, 0.2f);
    openWindow();
    choose(7, 0.7f);
    EXPECT_FLOAT_EQ(processor->getParameter(32), 0.7f);
    EXPECT_EQ(automateCount(), 0u);
    // Variant A of HEADPHONES: the knob moves to parameter 31.
    hostSets(17, 0.0f);
    EXPECT_FLOAT_EQ(editor->getVolumeKnob()->getValue(), 0.2f);
    // Mode PLACES, variant C by default value 0.5? variant from p18.
    hostSets(18, 1.0f);
    hostSets(36, 0.4f);
    hostSets(15, 1.0f);
    EXPECT_FLOAT_EQ(editor->getVolumeKnob()->getValue(), 0.4f);
}

TEST_F(EditorSync, ParameterChangesReachTheControls)
{
    openWindow();
    hostSets(0, 0.042f);
    EXPECT_EQ(controlAs<COptionMenu>(0)->getCurrentIndex(), 42);
    hostSets(2, 0.06f);
    EXPECT_EQ(controlAs<COptionMenu>(2)->getCurrentIndex(), 6);
    hostSets(6, 0.3f);
    EXPECT_FLOAT_EQ(control(6)->getValue(), 0.3f);
    hostSets(22, 0.275f);
    EXPECT_EQ(controlAs<COptionMenu>(22)->getCurrentIndex(), 275);
    hostSets(26, 0.5f);  // one-item menu: no item 50, stays
    EXPECT_EQ(controlAs<COptionMenu>(26)->getCurrentIndex(), 0);
    hostSets(27 + 11, 0.9f);  // beyond 37: ignored
    hostSets(37, 0.1f);
    EXPECT_EQ(editor->getRoomView()->selector, 1);
    hostSets(15, 0.5f);
    EXPECT_EQ(editor->getRoomView()->curveMode, 1);
    EXPECT_FLOAT_EQ(control(15)->getValue(), 0.5f);
    hostSets(9, 1.0f);
    VezuRezo_SwirlingRoom* room = editor->getRoomView();
    EXPECT_NEAR(room->handleX[0], room->span, 1e-9);
    hostSets(13, 0.0f);
    EXPECT_NEAR(room->handleX[2], room->width - room->span, 1e-9);
    // The editor's own setParameter with a wild index does nothing.
    editor->setParameter(-1, 0.5f);
    editor->setParameter(1000, 0.5f);
}

TEST_F(EditorSync, RoomViewNotificationsSendAnglesAlwaysAndHandlesAfterTheDrag)
{
    hostSets(37, 0.0f);
    openWindow();
    VezuRezo_SwirlingRoom* room = editor->getRoomView();
    room->azimuth = 0.3f;
    room->elevation = -1.5f;
    room->dragging = true;
    room->pendingHandle = 3;
    room->valueChanged();
    EXPECT_EQ(automated(3), std::vector<float>{(0.3f + 1.5f) / 3.0f});
    EXPECT_EQ(automated(4), std::vector<float>{0.0f});
    EXPECT_TRUE(automated(11).empty());
    EXPECT_TRUE(automated(37).empty());

    hostEvents().clear();
    room->dragging = false;
    room->handleValue[2] = 0.8f;
    room->handleValue[3] = 0.1f;
    room->selector = 1;
    room->valueChanged();
    EXPECT_EQ(automated(11), std::vector<float>{0.8f});
    EXPECT_EQ(automated(12), std::vector<float>{0.1f});
    EXPECT_EQ(automated(37), std::vector<float>{0.1f});
    EXPECT_EQ(room->pendingHandle, 0);

    hostEvents().clear();
    room->valueChanged();  // nothing pending, selector unchanged
    EXPECT_TRUE(automated(11).empty());
    EXPECT_TRUE(automated(37).empty());
    EXPECT_EQ(automateCount(), 2u);
}

TEST_F(EditorSync, LoudnessActsOnReleaseOnly)
{
    openWindow();
    CFrame* frame = editor->getFrame();
    // Knob centre in pixels: design (170, 700) at zoom 0.8.
    const double px = 170 * 0.8, py = 700 * 0.8;
    frame->platformMouseDown(px, py, kLButton);
    frame->platformMouseMoved(px, py - 20, kLButton);
    frame->platformMouseMoved(px, py - 40, kLButton);
    EXPECT_TRUE(automated(6).empty());
    frame->platformMouseUp(px, py - 40, kLButton);
    const auto sent = automated(6);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_FLOAT_EQ(sent[0], control(6)->getValue());
    EXPECT_GT(sent[0], 0.5f);
}

TEST_F(EditorSync, TabClickAndMenuPopupThroughTheFrame)
{
    openWindow();
    CFrame* frame = editor->getFrame();
    frame->platformMouseDown(733, 64, kLButton);
    frame->platformMouseUp(733, 64, kLButton);
    EXPECT_EQ(automated(15), std::vector<float>{1.0f});

    hostEvents().clear();
    frame->platformMouseDown(440, 15, kLButton);  // the worn-headphone menu
    PopupMenuModel* popup = frame->getOpenPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->size(), 276);
    popup->select(199);
    frame->idle();
    EXPECT_EQ(automated(0), std::vector<float>{199 * 0.001f});
}

TEST_F(EditorSync, MetersMoveAtMostHalfAUnitPer100Milliseconds)
{
    openWindow();
    VezuRezo_PeakScope* in = editor->getInputScope();
    VezuRezo_PeakScope* out = editor->getOutputScope();
    // The first update after creation uses dt = now: the raw peaks show.
    *processor->getInputPeakLeft() = 0.25f;
    *processor->getOutputPeakRight() = 0.125f;
    clockNow() = 1000;
    editor->idle();
    EXPECT_FLOAT_EQ(in->levelA, 0.25f);
    EXPECT_FLOAT_EQ(out->levelB, 0.125f);

    // Not more often than every 60 ms.
    *processor->getInputPeakLeft() = 0.0f;
    clockNow() = 1060;
    editor->idle();
    EXPECT_FLOAT_EQ(in->levelA, 0.25f);

    // From 0 to 1.0 in 100 ms shows 0.5, then 1.0.
    clockNow() = 1100;
    editor->idle();
    EXPECT_FLOAT_EQ(in->levelA, 0.0f);  // falls by at most 0.5: 0.25 -> 0
    *processor->getInputPeakLeft() = 1.0f;
    clockNow() = 1200;
    editor->idle();
    EXPECT_FLOAT_EQ(in->levelA, 0.5f);
    clockNow() = 1300;
    editor->idle();
    EXPECT_FLOAT_EQ(in->levelA, 1.0f);

    // The tick counter may wrap.
    clockNow() = 0xFFFFFFF0u;
    editor->idle();
    *processor->getInputPeakLeft() = 0.0f;
    clockNow() = 90;  // 106 ms later
    editor->idle();
    EXPECT_FLOAT_EQ(in->levelA, 1.0f - 0.005f * 106);
}

TEST_F(EditorSync, ChangesFromAnotherThreadWaitForIdle)
{
    openWindow();
    std::thread host([this] { processor->setParameter(0, 0.077f); });
    host.join();
    EXPECT_EQ(processor->getParameter(0), 0.077f);
    EXPECT_NE(controlAs<COptionMenu>(0)->getCurrentIndex(), 77);
    editor->idle();
    EXPECT_EQ(controlAs<COptionMenu>(0)->getCurrentIndex(), 77);
}

TEST_F(EditorSync, SaveAndLoadThroughTheFileSelector)
{
    openWindow();
    const std::string path = folder.path + "/chosen";
    std::vector<CNewFileSelector::Request> requests;
    CNewFileSelector::setTestHandler([&](const CNewFileSelector::Request& r, std::vector<std::string>& files) {
        requests.push_back(r);
        files.push_back(path);
        return true;
    });
    hostSets(6, 0.25f);
    CFrame* frame = editor->getFrame();
    // SAVE: design (W - 200, 20).
    const double sx = (1100.0 - 200) * 0.8, sy = 20 * 0.8;
    frame->platformMouseDown(sx, sy, kLButton);
    frame->platformMouseUp(sx, sy, kLButton);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].style, CNewFileSelector::kSelectSaveFile);
    EXPECT_EQ(requests[0].title, "Choose A Preset File To Save");
    ASSERT_EQ(requests[0].extensions.size(), 1u);
    EXPECT_STREQ(requests[0].extensions[0].getExtension(), "qlt");
    ASSERT_TRUE(std::filesystem::exists(path + ".qlt"));
    std::string clip;
    ASSERT_TRUE(frame->getClipboardText(clip));
    EXPECT_EQ(clip, editor->getPresetText());
    EXPECT_EQ(std::filesystem::file_size(path + ".qlt"), clip.size());

    // LOAD: design (W - 250, 20); the chosen file brings 0.25 back.
    hostSets(6, 0.9f);
    requests.clear();
    CNewFileSelector::setTestHandler([&](const CNewFileSelector::Request& r, std::vector<std::string>& files) {
        requests.push_back(r);
        files.push_back(path + ".qlt");
        return true;
    });
    hostEvents().clear();
    const double lx = (1100.0 - 250) * 0.8;
    frame->platformMouseDown(lx, sy, kLButton);
    frame->platformMouseUp(lx, sy, kLButton);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].style, CNewFileSelector::kSelectFile);
    EXPECT_EQ(requests[0].title, "Choose A Preset File To Load");
    EXPECT_FALSE(requests[0].allowMultiple);
    EXPECT_FLOAT_EQ(processor->getParameter(6), 0.25f);
    EXPECT_FLOAT_EQ(control(6)->getValue(), 0.25f);
    EXPECT_EQ(automateCount(), 38u);
}

TEST_F(EditorSync, CancelledOrOverlongSelectionsChangeNothing)
{
    openWindow();
    CNewFileSelector::setTestHandler([](const CNewFileSelector::Request&, std::vector<std::string>&) {
        return false;
    });
    CFrame* frame = editor->getFrame();
    const double lx = (1100.0 - 250) * 0.8, ly = 20 * 0.8;
    frame->platformMouseDown(lx, ly, kLButton);
    frame->platformMouseUp(lx, ly, kLButton);
    EXPECT_EQ(automateCount(), 0u);

    CNewFileSelector::setTestHandler([](const CNewFileSelector::Request&, std::vector<std::string>& files) {
        files.push_back("/tmp/" + std::string(1001, 'x'));
        return true;
    });
    frame->platformMouseDown(lx, ly, kLButton);
    frame->platformMouseUp(lx, ly, kLButton);
    EXPECT_EQ(automateCount(), 0u);
    EXPECT_STREQ(editor->getPresetPath(), "");
}

TEST_F(EditorSync, WholeWindowRedrawnOncePerSecond)
{
    openWindow();
    CFrame* frame = editor->getFrame();
    auto paintedWhole = [frame] {
        frame->paintDirty();
        for (const PixelRect& r : frame->takePresentList())
            if (r.contains(PixelRect{0, 0, 880, 640}))
                return true;
        return false;
    };
    paintedWhole();
    clockNow() = 900;
    editor->idle();
    EXPECT_FALSE(paintedWhole());
    clockNow() = 1001;
    editor->idle();
    EXPECT_TRUE(paintedWhole());
    clockNow() = 1900;
    editor->idle();
    EXPECT_FALSE(paintedWhole());
    clockNow() = 2100;
    editor->idle();
    EXPECT_TRUE(paintedWhole());
}

TEST_F(EditorSync, FirstRoomNotificationAfterOpenSendsAChangedSelector)
{
    hostSets(37, 0.1f);
    openWindow();
    editor->getRoomView()->valueChanged();
    EXPECT_EQ(automated(37), std::vector<float>{0.1f});
    hostEvents().clear();
    editor->getRoomView()->valueChanged();
    EXPECT_TRUE(automated(37).empty());
}

TEST_F(EditorSync, HandleDragSendsAnglesOnEveryMoveAndHandlesOnRelease)
{
    hostSets(15, 0.5f);
    for (int i = 9; i <= 14; ++i)
        hostSets(i, 0.5f);
    openWindow();
    VezuRezo_SwirlingRoom* room = editor->getRoomView();
    ASSERT_EQ(room->curveMode, 1);
    // Handle 1 in pixels.
    const double px = (room->left + room->handleX[0]) * 0.8, py = room->handleY[0] * 0.8;
    CFrame* frame = editor->getFrame();
    frame->platformMouseDown(px, py, kLButton);
    frame->platformMouseMoved(px + 8, py - 8, kLButton);
    frame->platformMouseMoved(px + 16, py - 16, kLButton);
    EXPECT_GE(automated(3).size(), 2u);
    EXPECT_GE(automated(4).size(), 2u);
    EXPECT_TRUE(automated(9).empty());
    EXPECT_TRUE(automated(10).empty());
    frame->platformMouseUp(px + 16, py - 16, kLButton);
    ASSERT_EQ(automated(9).size(), 1u);
    ASSERT_EQ(automated(10).size(), 1u);
    EXPECT_GT(automated(9)[0], 0.5f);
    EXPECT_GT(automated(10)[0], 0.5f);
    EXPECT_FLOAT_EQ(processor->getParameter(9), automated(9)[0]);
    EXPECT_EQ(room->pendingHandle, 0);
}

// A program change and a LOAD bring the trim, the orientation and the MIX
// variant: the VOLUME knob shows the new trim, the room view's next
// notification sends the loaded angles back unchanged, and the new variant's
// speaker pair is highlighted.
TEST_F(EditorSync, ProgramsAndPresetsReachTheVolumeKnobAndTheRoomView)
{
    processor->setProgram(1);
    hostSets(16, 1.0f);
    hostSets(30, 0.8f);
    hostSets(3, 0.8f);
    hostSets(4, 0.2f);
    processor->setProgram(0);
    hostSets(15, 0.0f);
    hostSets(16, 0.0f);
    hostSets(28, 0.3f);
    openWindow();
    VezuRezo_SwirlingRoom* room = editor->getRoomView();
    EXPECT_FLOAT_EQ(editor->getVolumeKnob()->getValue(), 0.3f);
    EXPECT_EQ(room->highlightedPair, 0);

    processor->setProgram(1);
    EXPECT_FLOAT_EQ(editor->getVolumeKnob()->getValue(), 0.8f);
    EXPECT_EQ(room->highlightedPair, 2);
    EXPECT_NEAR(room->azimuth, 0.9f, 1e-6f);
    EXPECT_NEAR(room->elevation, -0.9f, 1e-6f);
    EXPECT_NEAR(room->dragX * 0.07853982f, 0.9f, 1e-5f);
    hostEvents().clear();
    room->valueChanged();  // as a click on "Checking around" does
    ASSERT_EQ(automated(3).size(), 1u);
    EXPECT_NEAR(automated(3)[0], 0.8f, 1e-6f);
    EXPECT_NEAR(processor->getParameter(4), 0.2f, 1e-6f);

    // SAVE this state, change it, LOAD it back.
    ASSERT_TRUE(editor->setPresetPath((folder.path + "/state.qlt").c_str()));
    editor->savePreset();
    hostSets(3, 0.5f);
    hostSets(30, 0.1f);
    hostSets(16, 0.5f);
    EXPECT_FLOAT_EQ(editor->getVolumeKnob()->getValue(), processor->getParameter(29));
    EXPECT_EQ(room->highlightedPair, 1);
    editor->loadPreset();
    EXPECT_FLOAT_EQ(editor->getVolumeKnob()->getValue(), 0.8f);
    EXPECT_EQ(room->highlightedPair, 2);
    EXPECT_NEAR(room->azimuth, 0.9f, 1e-6f);
}

TEST_F(EditorSync, IdealSelectsVariantCAndHighlightsItsPair)
{
    openWindow();
    choose(16, 0.0f);
    ASSERT_EQ(editor->getRoomView()->highlightedPair, 0);
    editor->getFrame()->renderAll();
    ASSERT_FALSE(editor->getRoomView()->isDirty());
    choose(21, 5);  // "Ideal"
    EXPECT_EQ(editor->getRoomView()->highlightedPair, 2);
    EXPECT_TRUE(editor->getRoomView()->isDirty());
}

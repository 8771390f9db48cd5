// The editor base: host edits, size changes, open and close sequences, keys to pop-ups.
#include "aeffguieditor.h"

#include "AudioEffectX.h"
#include "popupmenu.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace VSTGUI;
using namespace testsupport;

namespace {

struct HostLog {
    std::vector<std::string> calls;
    bool canSizeWindow = true;
};
HostLog* hostLog = nullptr;

VstIntPtr VSTCALLBACK testHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float) {
    if (!hostLog)
        return 0;
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterBeginEdit: hostLog->calls.push_back("begin " + std::to_string(index)); return 1;
    case audioMasterEndEdit: hostLog->calls.push_back("end " + std::to_string(index)); return 1;
    case audioMasterCanDo:
        return hostLog->canSizeWindow && ptr && std::strcmp(static_cast<char*>(ptr), "sizeWindow") == 0;
    case audioMasterSizeWindow:
        hostLog->calls.push_back("size " + std::to_string(index) + "x" + std::to_string(value));
        return 1;
    default: return 0;
    }
}

struct TestEffect : AudioEffectX {
    TestEffect() : AudioEffectX(testHost, 1, 38) {}
    void processReplacing(float**, float**, VstInt32) override {}
};

int* liveViews = nullptr;
struct CountedView : CView {
    explicit CountedView(const CRect& r) : CView(r) { ++*liveViews; }
    ~CountedView() override { --*liveViews; }
};

// What an editor does on open: a frame, a few controls, a zoom.
struct TestGUIEditor : AEffGUIEditor {
    RecordingListener listener;
    COptionMenu* menu = nullptr;
    explicit TestGUIEditor(AudioEffect* e) : AEffGUIEditor(e) { rect = {0, 0, 640, 880}; }
    bool open(void* ptr) override {
        AEffGUIEditor::open(ptr);
        auto* f = new CFrame(editorDesignRect(), ptr, this);
        if (ptr && !f->getPlatformFrame()) {
            f->forget();
            return false;
        }
        f->setZoom(zoomFactor());
        f->addView(new CountedView(CRect(0, 0, 10, 10)));
        menu = new COptionMenu(CRect(0, 0, 300, 40), &listener, 0);
        menu->addEntry("a");
        menu->addEntry("b");
        f->addView(menu);
        f->addView(new CKnob(CRect(0, 100, 200, 300), &listener, 37, nullptr, nullptr));
        f->addView(new CKickButton(CRect(300, 100, 400, 200), &listener, 44, nullptr));
        frame = f;
        return true;
    }
};

struct EditorFixture : ::testing::Test {
    HostLog log;
    int views = 0;
    TestEffect* effect = nullptr;
    TestGUIEditor* editor = nullptr;
    void SetUp() override {
        hostLog = &log;
        liveViews = &views;
        effect = new TestEffect;
        editor = new TestGUIEditor(effect);
    }
    void TearDown() override {
        delete effect; // deletes its editor
        hostLog = nullptr;
        EXPECT_EQ(views, 0);
    }
};

TEST_F(EditorFixture, RegistersWithTheEffectAndReportsItsRect) {
    EXPECT_EQ(effect->getEditor(), editor);
    EXPECT_TRUE(effect->getAeffect()->flags & effFlagsHasEditor);
    ERect* r = nullptr;
    ASSERT_TRUE(editor->getRect(&r));
    EXPECT_EQ(r->right - r->left, 880);
    EXPECT_EQ(r->bottom - r->top, 640);
    EXPECT_FALSE(editor->getRect(nullptr));
}

TEST_F(EditorFixture, SizeChangeAsksTheHostOnlyWhenItCan) {
    ASSERT_TRUE(editor->open(nullptr));
    EXPECT_EQ(log.calls, std::vector<std::string>{"size 880x640"});
    editor->close();
    log.calls.clear();
    log.canSizeWindow = false;
    ASSERT_TRUE(editor->open(nullptr));
    EXPECT_TRUE(log.calls.empty());
    ERect* r = nullptr;
    editor->getRect(&r);
    EXPECT_EQ(r->right, 880);
}

TEST_F(EditorFixture, HostEditsOnlyForParameterTags) {
    editor->beginEdit(37);
    editor->endEdit(37);
    editor->beginEdit(38);
    editor->endEdit(44);
    editor->beginEdit(-1);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"begin 37", "end 37"}));

    ASSERT_TRUE(editor->open(nullptr));
    log.calls.clear();
    CFrame* frame = editor->getFrame();
    frame->platformMouseDown(330, 120, kLButton); // kick button, tag 44
    frame->platformMouseUp(330, 120, kLButton);
    EXPECT_TRUE(log.calls.empty());
    frame->platformMouseDown(80, 160, kLButton); // knob, tag 37
    frame->platformMouseMoved(80, 100, 0);       // release lost
    EXPECT_EQ(log.calls, (std::vector<std::string>{"begin 37", "end 37"}));
}

TEST_F(EditorFixture, OpenTwiceCloseTwiceAndCloseWithoutOpen) {
    editor->close(); // never opened
    EXPECT_FALSE(editor->isOpen());
    ASSERT_TRUE(editor->open(nullptr));
    EXPECT_EQ(views, 1);
    ASSERT_TRUE(editor->open(nullptr)); // the first frame is released first
    EXPECT_EQ(views, 1);
    editor->close();
    editor->close();
    EXPECT_EQ(views, 0);
    EXPECT_EQ(editor->getFrame(), nullptr);
    editor->idle(); // closed: nothing happens
}

TEST_F(EditorFixture, DestroyingTheEditorWithItsFrameOpenReleasesIt) {
    ASSERT_TRUE(editor->open(nullptr));
    CFrame* frame = editor->getFrame();
    frame->platformMouseDown(80, 160, kLButton);
    frame->platformMouseMoved(80, 120, kLButton);
    ASSERT_NE(frame->getMouseCapture(), nullptr);
    delete effect; // the listener inside the editor is gone before the frame
    effect = nullptr;
    EXPECT_EQ(views, 0);
}

TEST_F(EditorFixture, KeysGoToAnOpenPopupOnly) {
    ASSERT_TRUE(editor->open(nullptr));
    VstKeyCode escape{0, VKEY_ESCAPE, 0};
    EXPECT_FALSE(editor->onKeyDown(escape));
    CFrame* frame = editor->getFrame();
    frame->platformMouseDown(100, 20, kLButton);
    ASSERT_NE(frame->getOpenPopup(), nullptr);
    VstKeyCode down{0, VKEY_DOWN, 0}, enter{0, VKEY_RETURN, 0}, letter{'x', 0, 0};
    EXPECT_TRUE(editor->onKeyDown(down));
    EXPECT_FALSE(editor->onKeyDown(letter));
    EXPECT_TRUE(editor->onKeyDown(enter));
    EXPECT_EQ(frame->getOpenPopup(), nullptr);
    EXPECT_EQ(editor->menu->getCurrentIndex(), 1);
    ASSERT_EQ(editor->listener.notes.size(), 1u);

    frame->platformMouseDown(100, 20, kLButton);
    EXPECT_TRUE(editor->onKeyDown(escape));
    EXPECT_EQ(frame->getOpenPopup(), nullptr);
    EXPECT_EQ(editor->listener.notes.size(), 1u);
    EXPECT_FALSE(editor->onWheel(1.0f));
}

TEST_F(EditorFixture, KnobModeAndTickSource) {
    EXPECT_TRUE(editor->setKnobMode(CKnob::kLinearMode));
    EXPECT_EQ(editor->getKnobMode(), CKnob::kLinearMode);
    AEffGUIEditor::setTickSourceForTesting([]() -> uint32 { return 1234; });
    EXPECT_EQ(editor->getTicks(), 1234u);
    AEffGUIEditor::setTickSourceForTesting(nullptr);
    uint32 a = editor->getTicks(), b = editor->getTicks();
    EXPECT_LE(b - a, 1000u);
}

} // namespace

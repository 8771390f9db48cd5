// Shared by the editor tests: a real processor with an empty data root of
// its own, its editor opened off-screen, a host that records automation, and
// a clock the tests set.
#pragma once

#include "Controlsgui.h"
#include "ControlsguiEditor.h"
#include "Theme.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

// fontconfig keeps its configuration for the life of the process.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace edtest
{

struct HostEvent
{
    std::string what;  // "automate", "begin", "end"
    int index;
    float value;
};

inline std::vector<HostEvent>& hostEvents()
{
    static std::vector<HostEvent> events;
    return events;
}

inline uint32_t& clockNow()
{
    static uint32_t now = 1;
    return now;
}

inline uint32_t testClock() { return clockNow(); }

inline VstIntPtr VSTCALLBACK recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt)
{
    switch (opcode)
    {
    case audioMasterVersion: return 2400;
    case audioMasterAutomate: hostEvents().push_back({"automate", index, opt}); return 0;
    case audioMasterBeginEdit: hostEvents().push_back({"begin", index, 0}); return 1;
    case audioMasterEndEdit: hostEvents().push_back({"end", index, 0}); return 1;
    default: return 0;
    }
}

// The automation events for one parameter index.
inline std::vector<float> automated(int index)
{
    std::vector<float> values;
    for (const HostEvent& e : hostEvents())
        if (e.what == "automate" && e.index == index)
            values.push_back(e.value);
    return values;
}

inline size_t automateCount()
{
    size_t n = 0;
    for (const HostEvent& e : hostEvents())
        n += e.what == "automate";
    return n;
}

// A folder of its own for the running test, removed afterwards.
class TempFolder
{
public:
    TempFolder()
    {
        const char* root = std::getenv("QUILLATONE_DATA_ROOT");
        base = root ? root : "/tmp/quillatone_editor_test";
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = base + "/" + info->test_suite_name() + "." +
               info->name();
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string base;  // the program's own folder, kept after the test
    std::string path;
};

// A processor, its editor and (after open) the editor's frame.
class EditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        hostEvents().clear();
        clockNow() = 1;
        VSTGUI::AEffGUIEditor::setTickSourceForTesting(testClock);
        setenv("QUILLATONE_DATA_ROOT", (folder.path + "/root").c_str(), 1);
        processor = new Controlsgui(recordingHost);
        editor = static_cast<ControlsguiEditor*>(processor->getEditor());
    }
    void TearDown() override
    {
        delete processor;
        VSTGUI::AEffGUIEditor::setTickSourceForTesting(nullptr);
        VSTGUI::CNewFileSelector::setTestHandler({});
    }

    // Opens the window off-screen and forgets the events of the set-up.
    void openWindow()
    {
        ASSERT_TRUE(editor->open(nullptr));
        ASSERT_NE(editor->getFrame(), nullptr);
        hostEvents().clear();
    }

    VSTGUI::CControl* control(int tag) { return editor->findControl(tag); }
    template <class T>
    T* controlAs(int tag) { return dynamic_cast<T*>(control(tag)); }

    // Parameter changes the way the host makes them.
    void hostSets(int index, float value) { processor->setParameter(index, value); }

    // A control's value set as the user would choose it, then notified.
    void choose(int tag, float value)
    {
        VSTGUI::CControl* c = control(tag);
        ASSERT_NE(c, nullptr) << "tag " << tag;
        c->setValue(value);
        c->valueChanged();
    }

    TempFolder folder;
    Controlsgui* processor = nullptr;
    ControlsguiEditor* editor = nullptr;
};

} // namespace edtest

// The editor as a host reaches it: through VSTPluginMain and the dispatcher.
#include "EditorTestSupport.h"

extern "C" AEffect* VSTPluginMain(audioMasterCallback audioMaster);

class EditorModule : public ::testing::Test
{
protected:
    void SetUp() override { setenv("QUILLATONE_DATA_ROOT", (folder.path + "/root").c_str(), 1); }
    edtest::TempFolder folder;
};

TEST_F(EditorModule, SizeBeforeOpenAndNoWindowWithoutADisplay)
{
    AEffect* effect = VSTPluginMain(edtest::recordingHost);
    ASSERT_NE(effect, nullptr);
    EXPECT_TRUE(effect->flags & effFlagsHasEditor);
    ERect* rect = nullptr;
    ASSERT_EQ(effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 880);
    EXPECT_EQ(rect->bottom - rect->top, 640);

    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    setenv("DISPLAY", ":97", 1);
    EXPECT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(0x400001)), 0), 0);
    effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0);
    effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0);
    if (display)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");

    // Parameters still work with the editor closed.
    effect->setParameter(effect, 0, 0.1f);
    EXPECT_EQ(effect->getParameter(effect, 0), 0.1f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0);
}

// File selector: dialog command lines, running a dialog program, the test handler.
#include "dialogcommand.h"
#include "fileselector.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

using namespace VSTGUI;
using namespace testsupport;

namespace {

CNewFileSelector::Request presetRequest(CNewFileSelector::Style style, const CFileExtension& ext) {
    CNewFileSelector::Request r;
    r.style = style;
    r.title = "Choose A Preset File To Save";
    r.extensions.push_back(ext);
    r.defaultExtension = &r.extensions.front();
    return r;
}

TEST(DialogCommand, ZenityArguments) {
    CFileExtension qlt("qlt", "qlt", "application/octet-stream");
    auto save = presetRequest(CNewFileSelector::kSelectSaveFile, qlt);
    EXPECT_EQ(dialog::buildCommand("zenity", "/usr/bin/zenity", save, 0x1234),
              (std::vector<std::string>{"/usr/bin/zenity", "--file-selection", "--title=Choose A Preset File To Save",
                                        "--file-filter=qlt (*.qlt) | *.qlt", "--file-filter=All files | *", "--modal",
                                        "--attach=4660", "--save", "--confirm-overwrite"}));
    auto load = presetRequest(CNewFileSelector::kSelectFile, qlt);
    load.title = "Choose A Preset File To Load";
    EXPECT_EQ(dialog::buildCommand("zenity", "zenity", load, 0),
              (std::vector<std::string>{"zenity", "--file-selection", "--title=Choose A Preset File To Load",
                                        "--file-filter=qlt (*.qlt) | *.qlt", "--file-filter=All files | *",
                                        "--modal"}));
}

TEST(DialogCommand, KdialogAndCustomArguments) {
    CFileExtension qlt("qlt", "qlt");
    auto load = presetRequest(CNewFileSelector::kSelectFile, qlt);
    load.title = "T";
    EXPECT_EQ(dialog::buildCommand("kdialog", "kdialog", load, 77),
              (std::vector<std::string>{"kdialog", "--title", "T", "--attach", "77", "--getopenfilename", ".",
                                        "*.qlt|qlt files"}));
    auto save = presetRequest(CNewFileSelector::kSelectSaveFile, qlt);
    save.title = "T";
    save.initialDirectory = "/tmp";
    EXPECT_EQ(dialog::buildCommand("kdialog", "kdialog", save, 0),
              (std::vector<std::string>{"kdialog", "--title", "T", "--getsavefilename", "/tmp/", "*.qlt|qlt files"}));
    EXPECT_EQ(dialog::buildCommand("custom", "/x/fake", save, 5),
              (std::vector<std::string>{"/x/fake", "--save", "--title", "T", "--ext", "qlt"}));
    EXPECT_EQ(dialog::buildCommand("custom", "/x/fake", load, 5),
              (std::vector<std::string>{"/x/fake", "--load", "--title", "T", "--ext", "qlt"}));
}

struct FakeDialog : ::testing::Test {
    std::string script = ::testing::TempDir() + "fake_dialog_" + std::to_string(getpid()) + "_" +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".sh";
    void write(const std::string& body) {
        std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
        chmod(script.c_str(), 0755);
    }
    void TearDown() override {
        std::remove(script.c_str());
        unsetenv("QUILLATONE_FILE_DIALOG");
    }
    bool runFake(std::string& path, int& status, std::string& output) {
        dialog::run({script, "--save", "--title", "a b;c", "--ext", "qlt"}, -1, nullptr, output, status);
        return dialog::parseOutput(status, output, path);
    }
};

TEST_F(FakeDialog, IsFoundThroughTheEnvironmentWhenExecutable) {
    write("exit 0");
    setenv("QUILLATONE_FILE_DIALOG", script.c_str(), 1);
    std::string path, kind;
    ASSERT_TRUE(dialog::findProgram(path, kind));
    EXPECT_EQ(kind, "custom");
    EXPECT_EQ(path, script);
    chmod(script.c_str(), 0644);
    if (dialog::findProgram(path, kind)) {
        EXPECT_NE(kind, "custom");
    }
}

TEST_F(FakeDialog, OnePrintedPathIsTheResult) {
    write("echo \"/tmp/with space/$3.qlt\"");
    std::string path, output;
    int status = -1;
    ASSERT_TRUE(runFake(path, status, output));
    EXPECT_EQ(path, "/tmp/with space/a b;c.qlt"); // arguments pass unquoted, no shell
}

TEST_F(FakeDialog, CancelTwoLinesAndTooMuchOutputFail) {
    std::string path, output;
    int status = -1;
    write("exit 1");
    EXPECT_FALSE(runFake(path, status, output));
    EXPECT_EQ(status, 1);
    write("echo /tmp/a.qlt; echo /tmp/b.qlt");
    EXPECT_FALSE(runFake(path, status, output));
    EXPECT_EQ(status, 0);
    write("echo");
    EXPECT_FALSE(runFake(path, status, output));
    write("head -c 9216 /dev/zero | tr '\\0' a");
    EXPECT_FALSE(runFake(path, status, output));
    EXPECT_LE(output.size(), dialog::kMaxOutput);
    write("echo /tmp/a.qlt; exit 3");
    EXPECT_FALSE(runFake(path, status, output));
    EXPECT_EQ(status, 3);
    dialog::run({"/nonexistent/dialog"}, -1, nullptr, output, status);
    EXPECT_NE(status, 0);
}

TEST(FileSelector, WithoutAWindowOrHandlerThereIsNoSelector) {
    CFrame* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, nullptr);
    EXPECT_EQ(CNewFileSelector::create(frame, CNewFileSelector::kSelectFile), nullptr);
    EXPECT_EQ(CNewFileSelector::create(nullptr, CNewFileSelector::kSelectSaveFile), nullptr);
    frame->forget();
}

TEST(FileSelector, TestHandlerSeesTheRequestAndAnswers) {
    CNewFileSelector::Request seen;
    std::string defaultExt;
    CNewFileSelector::setTestHandler([&](const CNewFileSelector::Request& r, std::vector<std::string>& files) {
        seen = r;
        defaultExt = r.defaultExtension ? r.defaultExtension->getExtension() : "";
        files.push_back("/tmp/chosen.qlt");
        return true;
    });
    CNewFileSelector* selector = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectSaveFile);
    ASSERT_NE(selector, nullptr);
    CFileExtension qlt("qlt", "qlt", "application/octet-stream");
    selector->addFileExtension(qlt);
    selector->setDefaultExtension(qlt);
    selector->setTitle("Choose A Preset File To Save");
    ASSERT_TRUE(selector->runModal());
    EXPECT_EQ(seen.style, CNewFileSelector::kSelectSaveFile);
    EXPECT_EQ(seen.title, "Choose A Preset File To Save");
    ASSERT_EQ(seen.extensions.size(), 1u);
    EXPECT_STREQ(seen.extensions[0].getMimeType(), "application/octet-stream");
    EXPECT_EQ(defaultExt, "qlt");
    ASSERT_EQ(selector->getNumSelectedFiles(), 1u);
    EXPECT_STREQ(selector->getSelectedFile(0), "/tmp/chosen.qlt");
    EXPECT_EQ(selector->getSelectedFile(1), nullptr);
    selector->forget();

    CNewFileSelector::setTestHandler([](const CNewFileSelector::Request&, std::vector<std::string>&) {
        return false;
    });
    selector = CNewFileSelector::create(nullptr, CNewFileSelector::kSelectFile);
    EXPECT_FALSE(selector->runModal());
    EXPECT_EQ(selector->getNumSelectedFiles(), 0u);
    selector->forget();
    CNewFileSelector::setTestHandler(nullptr);
}

} // namespace

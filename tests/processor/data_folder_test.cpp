#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "DataFolder.h"
#include "DataFilesTestSupport.h"
#include "PortableEnvironment.h"

namespace fs = std::filesystem;
using namespace datafiles;

namespace
{
// Sets or unsets one variable for the scope of a test.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

const char* const sevenFolders[] = {
    "Harlox", "Harlox/bin", "Harlox/cache", "Harlox/Quillatone",
    "Harlox/Quillatone/bin", "Harlox/Quillatone/cache", "Harlox/Quillatone/preset",
};
} // namespace

TEST(DataFolder, OverrideComesFirstOnEveryPlatform)
{
    ScopedEnv data("QUILLATONE_DATA_ROOT", "/tmp/qroot/");
    EXPECT_EQ(findDataRoot(), "/tmp/qroot");
    ScopedEnv empty("QUILLATONE_DATA_ROOT", "");
    EXPECT_EQ(findDataRoot(), platformDataRoot());
}

#if defined(_WIN32)
TEST(DataFolder, WindowsRootIsTheProfileFolder)
{
    const std::string root = platformDataRoot();
    ASSERT_TRUE(isAbsolutePath(root)) << root;
    EXPECT_NE(root.back(), '\\');
    EXPECT_EQ(makerFolderPath(root), root + "\\Harlox");
}
#else
TEST(DataFolder, LinuxRootFollowsTheEnvironmentInOrder)
{
    ScopedEnv data("QUILLATONE_DATA_ROOT", nullptr);
    ScopedEnv xdg("XDG_DATA_HOME", "/tmp/xdg");
    ScopedEnv home("HOME", "/tmp/home");
    EXPECT_EQ(findDataRoot(), "/tmp/xdg");
    ScopedEnv relative("XDG_DATA_HOME", "xdg/relative");
    EXPECT_EQ(findDataRoot(), "/tmp/home/.local/share");
    ScopedEnv noHome("HOME", nullptr);
    EXPECT_EQ(findDataRoot(), "");
    ScopedEnv relativeHome("HOME", "somewhere");
    EXPECT_EQ(findDataRoot(), "");
    ScopedEnv slashHome("HOME", "/");
    EXPECT_EQ(findDataRoot(), "/.local/share");
}
#endif

TEST(DataFolder, PathsUnderTheMakerFolder)
{
    using testsupport::nativePath;
    EXPECT_EQ(makerFolderPath("/r"), "/r" + nativePath("/Harlox"));
    EXPECT_EQ(productFolderPath("/r"), "/r" + nativePath("/Harlox/Quillatone"));
    EXPECT_EQ(productFilePath("/r", "bin/nef_rec.trc"), "/r" + nativePath("/Harlox/Quillatone/bin/nef_rec.trc"));
    EXPECT_EQ(productFilePath("/", "HP/x.hps"), "/" + nativePath("Harlox/Quillatone/HP/x.hps"));
    EXPECT_EQ(productFilePath("", "bin/nef_rec.trc"), "");
    EXPECT_EQ(makerFolderPath(""), "");

    const std::string longRoot = "/" + std::string(5000, 'a');
    EXPECT_EQ(productFilePath(longRoot, "bin/x").size(), longRoot.size() + 24);
}

TEST(DataFolder, PosixPaths)
{
    constexpr PathStyle posix = PathStyle::posix;
    EXPECT_EQ(joinPath("/r", "Harlox/Quillatone/bin/x", posix), "/r/Harlox/Quillatone/bin/x");
    EXPECT_EQ(joinPath("/", "Harlox", posix), "/Harlox");
    EXPECT_EQ(joinPath("", "Harlox", posix), "");
    EXPECT_EQ(withoutTrailingSeparators("/a/b//", posix), "/a/b");
    EXPECT_EQ(withoutTrailingSeparators("///", posix), "/");
    EXPECT_EQ(withoutTrailingSeparators("C:\\", posix), "C:\\");
    EXPECT_TRUE(isAbsolutePath("/x", posix));
    EXPECT_FALSE(isAbsolutePath("C:/x", posix));
}

TEST(DataFolder, WindowsPathsKnowDrivesAndShares)
{
    constexpr PathStyle windows = PathStyle::windows;
    EXPECT_EQ(joinPath("C:\\Users\\ana", "Harlox/Quillatone/bin/pretab.qtb", windows),
              "C:\\Users\\ana\\Harlox\\Quillatone\\bin\\pretab.qtb");
    EXPECT_EQ(joinPath("C:\\", "Harlox", windows), "C:\\Harlox");
    EXPECT_EQ(joinPath("C:/Users/ana/", "Harlox", windows), "C:/Users/ana/Harlox");
    EXPECT_EQ(joinPath("\\\\srv\\home\\ana", "Harlox/Quillatone", windows), "\\\\srv\\home\\ana\\Harlox\\Quillatone");

    EXPECT_EQ(withoutTrailingSeparators("C:\\Users\\ana\\", windows), "C:\\Users\\ana");
    EXPECT_EQ(withoutTrailingSeparators("C:/Users/ana/", windows), "C:/Users/ana");
    EXPECT_EQ(withoutTrailingSeparators("C:\\", windows), "C:\\");
    EXPECT_EQ(withoutTrailingSeparators("d:/\\", windows), "d:/");
    EXPECT_EQ(withoutTrailingSeparators("\\\\srv\\share\\", windows), "\\\\srv\\share");
    EXPECT_EQ(withoutTrailingSeparators("\\\\srv\\share\\ana\\\\", windows), "\\\\srv\\share\\ana");

    EXPECT_TRUE(isAbsolutePath("C:\\x", windows));
    EXPECT_TRUE(isAbsolutePath("z:/x", windows));
    EXPECT_TRUE(isAbsolutePath("\\\\srv\\share", windows));
    EXPECT_FALSE(isAbsolutePath("C:x", windows));
    EXPECT_FALSE(isAbsolutePath("\\x", windows));
    EXPECT_FALSE(isAbsolutePath("x\\y", windows));
    EXPECT_FALSE(isAbsolutePath("", windows));
}

TEST(DataFolder, CreatesTheSevenFoldersAndAcceptsExistingOnes)
{
    const std::string root = testsupport::testScratchFolder();
    ASSERT_TRUE(createDataFolders(root));
    for (const char* folder : sevenFolders)
        EXPECT_TRUE(fs::is_directory(root + "/" + folder)) << folder;
    EXPECT_TRUE(createDataFolders(root));
}

TEST(DataFolder, StopsAtTheFirstFolderThatCannotBeMade)
{
    const std::string root = testsupport::testScratchFolder();
    fs::create_directories(root + "/Harlox");
    std::ofstream(root + "/Harlox/cache") << "a file in the way";
    EXPECT_FALSE(createDataFolders(root));
    EXPECT_TRUE(fs::is_directory(root + "/Harlox/bin"));
    EXPECT_FALSE(fs::exists(root + "/Harlox/Quillatone"));
}

TEST(DataFolder, NoRootCreatesNothing)
{
    const fs::path before = fs::current_path();
    const fs::path scratch = testsupport::testScratchFolder();
    fs::current_path(scratch);
    EXPECT_FALSE(createDataFolders(""));
    EXPECT_TRUE(fs::is_empty(scratch));
    fs::current_path(before);
}

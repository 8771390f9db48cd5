// The processor's start-up use of the design-table cache: written on the first
// start, reused as it is, rebuilt when damaged.
#include "Controlsgui.h"
#include "DesignTables.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include "PortableEnvironment.h"
#include <filesystem>
#include <memory>
#include <string>

namespace
{
struct FileIdentity
{
    bool exists = false;
    std::uintmax_t size = 0;
    ino_t inode = 0;
};

FileIdentity identify(const std::string& path)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return {};
    return {true, std::uintmax_t(info.st_size), info.st_ino};
}

void construct()
{
    std::unique_ptr<Controlsgui> fx(new Controlsgui(nullptr));
    ASSERT_TRUE(fx);
}
}

TEST(CorrectionCacheWiring, WrittenOnceReusedAndRebuiltWhenDamaged)
{
    const char* base = std::getenv("QUILLATONE_DATA_ROOT");
    const std::string root = std::string(base && *base ? base : "/tmp/quillatone-cache-wiring") + "/wiring";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    setenv("QUILLATONE_DATA_ROOT", root.c_str(), 1);
    const std::string cache = root + "/Harlox/Quillatone/" + correction::designCacheRelativePath;

    construct();
    const FileIdentity first = identify(cache);
    ASSERT_TRUE(first.exists);
    EXPECT_EQ(first.size, correction::designCacheBytes);

    construct();
    const FileIdentity second = identify(cache);
#if !defined(_WIN32) // Windows reports no inode numbers
    EXPECT_EQ(second.inode, first.inode) << "a valid cache is not rewritten";
#else
    (void)second;
#endif

    std::filesystem::resize_file(cache, correction::designCacheBytes - 8);
    construct();
    const FileIdentity third = identify(cache);
    EXPECT_EQ(third.size, correction::designCacheBytes) << "the damaged cache is replaced";
#if !defined(_WIN32)
    EXPECT_NE(third.inode, first.inode);
#endif

    std::filesystem::remove(cache);
    construct();
    EXPECT_EQ(identify(cache).size, correction::designCacheBytes);
    std::filesystem::remove_all(root);
}

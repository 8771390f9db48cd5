#pragma once
// Helpers for the data-file tests: a clean product folder under the
// per-program QUILLATONE_DATA_ROOT and small binary writers.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DataFolder.h"

namespace testsupport
{

// A folder of this test's own under QUILLATONE_DATA_ROOT (ctest runs the
// cases of one program in parallel), emptied.
inline std::string testScratchFolder()
{
    const char* base = std::getenv("QUILLATONE_DATA_ROOT");
    if (!base || !*base)
        std::abort(); // never fall back to the real home folder
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string root = std::string(base) + "/" + info->test_suite_name() + "." + info->name();
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    return root;
}

// path with this platform's separator in place of every '/'.
inline std::string nativePath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = datafiles::pathSeparator;
    return path;
}

// testScratchFolder with the seven data folders created.
inline std::string freshDataRoot()
{
    const std::string root = testScratchFolder();
    datafiles::createDataFolders(root);
    return root;
}

inline void writeBytes(const std::string& path, const void* data, size_t size)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        std::abort();
    if (size)
        std::fwrite(data, 1, size, file);
    std::fclose(file);
}

inline void writeFloats(const std::string& path, const std::vector<float>& values)
{
    writeBytes(path, values.data(), values.size() * sizeof(float));
}

// A curve file: N, frequencies, levels.
inline void writeCurve(const std::string& path, float n, const std::vector<float>& hz,
                       const std::vector<float>& db)
{
    std::vector<float> values{ n };
    values.insert(values.end(), hz.begin(), hz.end());
    values.insert(values.end(), db.begin(), db.end());
    writeFloats(path, values);
}

} // namespace testsupport

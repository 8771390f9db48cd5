// A fixture with an empty folder of its own per test, under the data root.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TestFolderFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* root = std::getenv("QUILLATONE_DATA_ROOT");
        ASSERT_NE(root, nullptr);
        folder = std::filesystem::path(root) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }

    // Writes a file of the folder; returns its path.
    std::string write(const std::string& name, const std::string& content)
    {
        const std::string file = path(name);
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }

    std::string path(const std::string& name) const { return (folder / name).string(); }

    std::filesystem::path folder;
};

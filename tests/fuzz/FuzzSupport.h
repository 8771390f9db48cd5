// Shared by the fuzz targets: the readers take paths, so each input goes to a
// file in a folder of the process's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzzsupport
{

// A folder of this process, removed at exit.
inline const std::string& scratchFolder()
{
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillatone-fuzz.XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        static struct Remover
        {
            std::string path;
            ~Remover()
            {
                std::error_code ignored;
                std::filesystem::remove_all(path, ignored);
            }
        } remover{pattern};
        return pattern;
    }();
    return folder;
}

// Writes the bytes to path, creating its folders.
inline void writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
}

// Writes the bytes to a file of the scratch folder; returns its path.
inline std::string scratchFile(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = scratchFolder() + "/" + name;
    writeFile(path, data, size);
    return path;
}

} // namespace fuzzsupport

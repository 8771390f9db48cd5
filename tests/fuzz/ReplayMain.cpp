// Runs a fuzz target over saved inputs, as an ordinary program: every file
// named, and every file in every folder named (in name order).
// A folder that does not exist holds nothing (the saved crash inputs of a
// target that never crashed). usage: fuzz_<target> FILE|FOLDER...
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "FuzzSupport.h"

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i)
    {
        const fs::path named(argv[i]);
        if (fs::is_directory(named))
        {
            for (const auto& entry : fs::directory_iterator(named))
                if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
                    inputs.push_back(entry.path());
        }
        else if (fs::exists(named))
            inputs.push_back(named);
    }
    std::sort(inputs.begin(), inputs.end());
    for (const auto& path : inputs)
    {
        std::ifstream in(path, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::fprintf(stderr, "%s (%zu bytes)\n", path.c_str(), bytes.size());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}

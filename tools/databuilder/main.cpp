// quillatone-databuilder: writes the default data folder under a root.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "DataBuilder.h"

int main(int argc, char** argv)
{
    databuilder::BuildOptions options;
    bool quiet = false;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--sofa") == 0 && i + 1 < argc)
            options.sofaPath = argv[++i];
        else if (std::strcmp(argv[i], "--quiet") == 0)
            quiet = true;
        else if (argv[i][0] != '-' && options.root.empty())
            options.root = argv[i];
        else
        {
            options.root.clear();
            break;
        }
    }
    if (options.root.empty())
    {
        std::fprintf(stderr,
                     "usage: quillatone-databuilder ROOT [--sofa FILE] [--quiet]\n"
                     "Writes the default data folder under ROOT/Harlox/Quillatone.\n"
                     "FILE is the listener set (default %s).\n",
                     databuilder::defaultSofaPath);
        return 2;
    }

    const auto start = std::chrono::steady_clock::now();
    if (!quiet)
        options.progress = [](const std::string& step) {
            std::printf("  %s\n", step.c_str());
            std::fflush(stdout);
        };
    std::string error;
    if (!databuilder::buildDataFolder(options, error))
    {
        std::fprintf(stderr, "quillatone-databuilder: %s\n", error.c_str());
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!quiet)
        std::printf("data folder written under %s in %.1f s\n", options.root.c_str(), seconds);
    return 0;
}

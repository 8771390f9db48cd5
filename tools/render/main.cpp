// quillatone-render: builds the data folder when it is missing, then renders
// a demo signal through the plug-in in MIX, HEADPHONES and PLACES and writes
// one WAV per mode with a one-line level summary.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "DataBuilder.h"
#include "DataFolder.h"
#include "DemoSignal.h"
#include "FileWriters.h"
#include "HostedPlugin.h"
#include "TestHost.h"

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;
constexpr int modeParameter = 15;

struct Options
{
    std::string plugin;
    std::string root;
    std::string outputFolder = "quillatone-demo";
    std::string input;
};

void usage(std::FILE* out)
{
    std::fprintf(out,
                 "usage: quillatone-render [--plugin MODULE.so] [--root DIR] [--out DIR] [INPUT.wav]\n"
                 "Builds the data folder under DIR (default: $QUILLATONE_DATA_ROOT, else\n"
                 "$XDG_DATA_HOME, else $HOME/.local/share) when it is missing, then renders\n"
                 "INPUT.wav (default: generated pink noise and a music-like passage) through\n"
                 "the plug-in at 48 kHz in MIX, HEADPHONES and PLACES, writing\n"
                 "DIR/input.wav, mix.wav, headphones.wav and places.wav (default DIR:\n"
                 "./quillatone-demo). The input file's sample rate is not converted.\n");
}

bool fileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// The builder writes README.txt last, so its presence means a complete folder.
bool ensureDataFolder(const std::string& root)
{
    if (fileExists(datafiles::productFilePath(root, "README.txt")))
        return true;
    std::printf("building the data folder under %s\n", root.c_str());
    databuilder::BuildOptions options;
    options.root = root;
    options.progress = [](const std::string& step) {
        std::printf("  %s\n", step.c_str());
        std::fflush(stdout);
    };
    std::string error;
    if (!databuilder::buildDataFolder(options, error))
    {
        std::fprintf(stderr, "quillatone-render: %s\n", error.c_str());
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    Options options;
#ifdef QUILLATONE_MODULE_PATH
    options.plugin = QUILLATONE_MODULE_PATH;
#endif
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
        {
            usage(stdout);
            return 0;
        }
        if ((arg == "--plugin" || arg == "--root" || arg == "--out") && i + 1 < argc)
        {
            (arg == "--plugin" ? options.plugin : arg == "--root" ? options.root : options.outputFolder) =
                argv[++i];
        }
        else if (!arg.empty() && arg[0] != '-' && options.input.empty())
            options.input = arg;
        else
        {
            usage(stderr);
            return 2;
        }
    }
    if (options.plugin.empty())
    {
        std::fprintf(stderr, "quillatone-render: no plug-in module given (--plugin)\n");
        return 2;
    }
    if (options.root.empty())
        options.root = datafiles::findDataRoot();
    if (options.root.empty())
    {
        std::fprintf(stderr, "quillatone-render: no data root (set QUILLATONE_DATA_ROOT or HOME)\n");
        return 2;
    }
    // The plug-in finds its data through the same variable.
    setenv("QUILLATONE_DATA_ROOT", options.root.c_str(), 1);
    if (!ensureDataFolder(options.root))
        return 1;

    render::StereoSignal input;
    std::string error;
    if (options.input.empty())
        input = render::makeDemoSignal(sampleRate, 3.0, 3.0, 1.5);
    else if (!render::readDemoInput(options.input, sampleRate, 1.5, input, error))
    {
        std::fprintf(stderr, "quillatone-render: %s\n", error.c_str());
        return 1;
    }
    std::error_code failure;
    std::filesystem::create_directories(options.outputFolder, failure);
    const std::string inputPath = options.outputFolder + "/input.wav";
    if (failure || !databuilder::writeFloatWav(inputPath, { input.left, input.right }, int(sampleRate)))
    {
        std::fprintf(stderr, "quillatone-render: cannot write %s\n", inputPath.c_str());
        return 1;
    }

    const size_t frames = input.left.size();
    const double inputDb = render::rmsDb(input.left, input.right, 0, input.activeFrames);
    std::printf("input: %.1f s, %.1f dBFS RMS -> %s\n", double(frames) / sampleRate, inputDb,
                inputPath.c_str());

    const struct { const char* name; const char* file; float value; } modes[] = {
        { "MIX", "mix.wav", 0.0f },
        { "HEADPHONES", "headphones.wav", 0.5f },
        { "PLACES", "places.wav", 1.0f },
    };
    int status = 0;
    for (const auto& mode : modes)
    {
        std::printf("rendering %s ...\n", mode.name);
        std::fflush(stdout);
        testhost::HostSettings settings;
        settings.sampleRate = sampleRate;
        settings.blockSize = blockSize;
        testhost::TestHost host(settings);
        std::unique_ptr<testhost::HostedPlugin> plugin =
            testhost::HostedPlugin::load(host, options.plugin, error);
        if (!plugin)
        {
            std::fprintf(stderr, "quillatone-render: %s\n", error.c_str());
            return 1;
        }
        plugin->open();
        plugin->setParameter(modeParameter, mode.value);
        plugin->resume();
        const auto output = plugin->render({ input.left, input.right }, frames, blockSize);
        plugin->suspend();
        if (output.size() < 2)
        {
            std::fprintf(stderr, "quillatone-render: the plug-in has fewer than two outputs\n");
            return 1;
        }
        const std::string path = options.outputFolder + "/" + mode.file;
        if (!databuilder::writeFloatWav(path, { output[0], output[1] }, int(sampleRate)))
        {
            std::fprintf(stderr, "quillatone-render: cannot write %s\n", path.c_str());
            return 1;
        }
        bool finite = true;
        for (const auto& channel : output)
            for (float v : channel)
                finite = finite && std::isfinite(v);
        const double outDb = render::rmsDb(output[0], output[1], 0, input.activeFrames);
        const double tailDb = render::rmsDb(output[0], output[1], input.activeFrames + size_t(0.1 * sampleRate),
                                            frames);
        std::printf("%-10s out %6.1f dBFS RMS (%+5.1f dB vs input), peak %6.1f dBFS, tail %6.1f dB%s -> %s\n",
                    mode.name, outDb, outDb - inputDb, render::peakDb(output[0], output[1]),
                    tailDb - outDb, finite ? "" : ", NOT FINITE", path.c_str());
        if (!finite || !std::isfinite(outDb))
            status = 1;
    }
    return status;
}

// quillatone-host: loads a VST 2.4 plug-in module and prints its record and
// its answers to the host's queries.
#include "HostedPlugin.h"
#include "PluginReport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

struct Options {
    std::string plugin;
    double sampleRate = 44100.0;
    int blockSize = 512;
};

void usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: quillatone-host [--sample-rate HZ] [--block-size FRAMES] PLUGIN.so\n"
                 "Loads the plug-in, opens it and prints its record and answers.\n");
}

bool parseNumber(const char* text, double low, double high, double& value) {
    char* end = nullptr;
    double v = std::strtod(text, &end);
    if (!end || *end || end == text || !(v >= low && v <= high))
        return false;
    value = v;
    return true;
}

// Answers 0 on success, 2 on a usage error (after printing why).
int parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        double number = 0;
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            std::exit(0);
        } else if (arg == "--sample-rate" && i + 1 < argc) {
            if (!parseNumber(argv[++i], 1000.0, 768000.0, number)) {
                std::fprintf(stderr, "quillatone-host: bad sample rate \"%s\"\n", argv[i]);
                return 2;
            }
            options.sampleRate = number;
        } else if (arg == "--block-size" && i + 1 < argc) {
            if (!parseNumber(argv[++i], 1.0, 65536.0, number) || number != static_cast<int>(number)) {
                std::fprintf(stderr, "quillatone-host: bad block size \"%s\"\n", argv[i]);
                return 2;
            }
            options.blockSize = static_cast<int>(number);
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "quillatone-host: unknown option \"%s\"\n", arg.c_str());
            usage(stderr);
            return 2;
        } else if (options.plugin.empty()) {
            options.plugin = arg;
        } else {
            std::fprintf(stderr, "quillatone-host: more than one plug-in given\n");
            return 2;
        }
    }
    if (options.plugin.empty()) {
        usage(stderr);
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (int status = parseOptions(argc, argv, options))
        return status;

    testhost::HostSettings settings;
    settings.sampleRate = options.sampleRate;
    settings.blockSize = options.blockSize;
    testhost::TestHost host(settings);

    std::string error;
    std::unique_ptr<testhost::HostedPlugin> plugin = testhost::HostedPlugin::load(host, options.plugin, error);
    if (!plugin) {
        std::fprintf(stderr, "quillatone-host: %s\n", error.c_str());
        return 1;
    }
    plugin->open();
    std::cout << "plug-in: " << options.plugin << '\n'
              << testhost::describeRecord(*plugin->effect()) << testhost::describeAnswers(*plugin);
    return 0;
}

// quillatone-host: loads a VST 2.4 plug-in module and prints its record and
// its answers to the host's queries, or renders audio through it (--render).
#include "CommandLine.h"
#include "HostedPlugin.h"
#include "PluginReport.h"
#include "RenderCommand.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

int printReport(const testhost::HostOptions& options) {
    testhost::HostSettings settings;
    settings.sampleRate = options.sampleRate > 0 ? options.sampleRate : 44100.0;
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

}  // namespace

int main(int argc, char** argv) {
    testhost::HostOptions options;
    std::string error;
    switch (testhost::parseHostOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    case testhost::ParseResult::help:
        std::fputs(testhost::hostUsage(), stdout);
        return 0;
    case testhost::ParseResult::error:
        std::fprintf(stderr, "quillatone-host: %s\n%s", error.c_str(), testhost::hostUsage());
        return 2;
    case testhost::ParseResult::ok:
        break;
    }
    return options.rendering() ? testhost::runRender(options, stdout, stderr) : printReport(options);
}

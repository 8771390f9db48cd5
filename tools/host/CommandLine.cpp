#include "CommandLine.h"

#include <cmath>
#include <cstdlib>

namespace testhost {

namespace {

bool parseNumber(const std::string& text, double low, double high, double& value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (!end || *end || !(v >= low && v <= high))
        return false;
    value = v;
    return true;
}

bool parseInteger(const std::string& text, long low, long high, long& value) {
    double v = 0;
    if (!parseNumber(text, static_cast<double>(low), static_cast<double>(high), v) || v != std::floor(v))
        return false;
    value = static_cast<long>(v);
    return true;
}

}  // namespace

const char* hostUsage() {
    return "usage: quillatone-host [--sample-rate HZ] [--block-size FRAMES] PLUGIN.so\n"
           "       quillatone-host --render OUT.wav [render options] PLUGIN.so\n"
           "Without --render: loads the plug-in, opens it and prints its record and answers.\n"
           "With --render: resumes the plug-in, applies the program and parameters, processes\n"
           "the input in blocks and writes the output as a 32-bit float stereo WAV file,\n"
           "then prints one line of levels (RMS and peak in dBFS per channel).\n"
           "Render options:\n"
           "  --input FILE.wav     16/24/32-bit integer or 32-bit float, mono or stereo\n"
           "                       (mono feeds both inputs); the plug-in runs at its rate\n"
           "  --signal pink|music  generated input when no file is given (default pink)\n"
           "  --seconds S          length of the pink noise (default 5)\n"
           "  --tail S             seconds of silence rendered after the input (default 0)\n"
           "  --program N          program chosen before the parameters\n"
           "  --param INDEX=VALUE  parameter value 0..1, repeatable, applied in order\n"
           "  --sample-rate HZ     default: the input file's rate, else 48000\n"
           "  --block-size FRAMES  frames per processReplacing call (default 512)\n"
           "  --save-input FILE    also write the input as a 32-bit float WAV file\n"
           "  --label TEXT         leads the summary line\n"
           "  --quiet              no progress on stderr\n";
}

bool parseParamAssignment(const std::string& text, int& index, float& value) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        return false;
    long i = 0;
    double v = 0;
    if (!parseInteger(text.substr(0, equals), 0, 1000000, i) || !parseNumber(text.substr(equals + 1), 0.0, 1.0, v))
        return false;
    index = static_cast<int>(i);
    value = static_cast<float>(v);
    return true;
}

ParseResult parseHostOptions(const std::vector<std::string>& args, HostOptions& options, std::string& error) {
    bool renderOnly = false;
    std::string renderOnlyName;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        auto bad = [&](const char* what) {
            error = std::string("bad ") + what + " \"" + args[i] + "\"";
            return ParseResult::error;
        };
        auto renderOption = [&] {
            renderOnly = true;
            if (renderOnlyName.empty())
                renderOnlyName = arg;
        };
        double number = 0;
        long integer = 0;
        if (arg == "--help" || arg == "-h") {
            return ParseResult::help;
        } else if (arg == "--sample-rate" && hasValue) {
            if (!parseNumber(args[++i], 1000.0, 768000.0, number))
                return bad("sample rate");
            options.sampleRate = number;
        } else if (arg == "--block-size" && hasValue) {
            if (!parseInteger(args[++i], 1, 65536, integer))
                return bad("block size");
            options.blockSize = static_cast<int>(integer);
        } else if (arg == "--render" && hasValue) {
            options.output = args[++i];
        } else if (arg == "--input" && hasValue) {
            renderOption();
            options.input = args[++i];
        } else if (arg == "--signal" && hasValue) {
            renderOption();
            options.signal = args[++i];
            if (options.signal != "pink" && options.signal != "music")
                return bad("signal (pink or music)");
        } else if (arg == "--seconds" && hasValue) {
            renderOption();
            if (!parseNumber(args[++i], 0.001, 3600.0, number))
                return bad("length");
            options.seconds = number;
        } else if (arg == "--tail" && hasValue) {
            renderOption();
            if (!parseNumber(args[++i], 0.0, 600.0, number))
                return bad("tail length");
            options.tailSeconds = number;
        } else if (arg == "--program" && hasValue) {
            renderOption();
            if (!parseInteger(args[++i], 0, 1000000, integer))
                return bad("program");
            options.program = static_cast<int>(integer);
        } else if (arg == "--param" && hasValue) {
            renderOption();
            int index = 0;
            float value = 0;
            if (!parseParamAssignment(args[++i], index, value))
                return bad("parameter (INDEX=VALUE with VALUE in 0..1)");
            options.params.emplace_back(index, value);
        } else if (arg == "--save-input" && hasValue) {
            renderOption();
            options.saveInput = args[++i];
        } else if (arg == "--label" && hasValue) {
            renderOption();
            options.label = args[++i];
        } else if (arg == "--quiet") {
            renderOption();
            options.quiet = true;
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option \"" + arg + "\"" + (hasValue ? "" : " or its value missing");
            return ParseResult::error;
        } else if (options.plugin.empty()) {
            options.plugin = arg;
        } else {
            error = "more than one plug-in given";
            return ParseResult::error;
        }
    }
    if (options.plugin.empty()) {
        error = "no plug-in given";
        return ParseResult::error;
    }
    if (renderOnly && !options.rendering()) {
        error = renderOnlyName + " needs --render";
        return ParseResult::error;
    }
    return ParseResult::ok;
}

}  // namespace testhost

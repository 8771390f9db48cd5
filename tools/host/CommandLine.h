// The command line of quillatone-host: its printing mode and its render mode.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testhost {

struct HostOptions {
    std::string plugin;
    double sampleRate = 0.0;  // 0: 44100 when printing; the input's rate or 48000 when rendering
    int blockSize = 512;

    // Render mode, chosen by --render.
    std::string output;           // the 32-bit float stereo WAV to write
    std::string input;            // a WAV file; empty: a generated signal
    std::string signal = "pink";  // "pink" or "music"
    double seconds = 5.0;         // length of the pink noise
    double tailSeconds = 0.0;     // silence rendered after the input
    int program = -1;             // -1: keep the plug-in's program
    std::vector<std::pair<int, float>> params;  // applied in order after the program
    std::string saveInput;        // also write the input as rendered
    std::string label;            // leads the summary line
    bool quiet = false;           // no progress

    bool rendering() const { return !output.empty(); }
};

enum class ParseResult { ok, help, error };

// [any thread] Fills options from the arguments after the program name; on
// error, error says why.
ParseResult parseHostOptions(const std::vector<std::string>& args, HostOptions& options, std::string& error);

// [any thread] "15=0.5" into index 15 and value 0.5; the value must lie in 0..1.
bool parseParamAssignment(const std::string& text, int& index, float& value);

const char* hostUsage();

}  // namespace testhost

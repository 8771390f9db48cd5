// The render mode of quillatone-host: a WAV file or a generated signal
// through a plug-in into a 32-bit float stereo WAV file.
#pragma once

#include "CommandLine.h"

#include <cstdio>

namespace testhost {

// [host thread] Runs the render that options describe. Writes the summary
// line to out, progress and errors to err. Answers 0 on success, 1 when the
// input, the plug-in or the output fails or the output holds non-finite
// samples (the file is written all the same), 2 for values the plug-in
// does not have (parameter index, program).
int runRender(const HostOptions& options, std::FILE* out, std::FILE* err);

}  // namespace testhost

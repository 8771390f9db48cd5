#pragma once
#include <ostream>
#include <string>
#include <vector>

// The command line of quillatone-curveconvert.
namespace curveconvert
{

// Exit status for a command line that cannot be understood.
inline constexpr int usageError = 2;

// [any thread] The headphone model table row named by text: a row number
// 0..275 or the model's file name exactly as listed; -1 when none.
int findHeadphoneModel(const std::string& text);

// [any thread] The monitor curve file named by text: "Genelec_1236A",
// "Yamaha_NS10" or a monitor table file, with or without ".mos"; "" when none.
std::string findMonitorFile(const std::string& text);

// [any thread] Runs one command (args without the program name); messages go
// to out and err. Returns the conversion code (0 written, 3 input missing,
// 5 no usable points or input is the output, 8 output not written), or
// usageError.
int runCurveConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace curveconvert

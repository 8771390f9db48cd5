// Internal: finding, building and running an external file-dialog program.
#pragma once

#include "fileselector.h"

#include <functional>
#include <string>
#include <vector>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {
namespace dialog {

// The dialog program to use: $QUILLATONE_FILE_DIALOG ("custom"), zenity or
// kdialog on PATH; false when there is none.
bool findProgram(std::string& path, std::string& kind);
// Per platform: a file that can be run, and a program name looked up on PATH.
bool isExecutable(const std::string& path);
std::string findOnPath(const std::string& name);

// The extension a dialog offers, and its description: the default one, else the first.
void offeredExtension(const CNewFileSelector::Request& request, std::string& ext, std::string& description);

// The argument list (argv[0] = path) for a dialog of this kind.
std::vector<std::string> buildCommand(const std::string& kind, const std::string& path,
                                      const CNewFileSelector::Request& request, unsigned long parentWindow);

constexpr size_t kMaxOutput = 8192;

// Runs argv without a shell, stdin from the null device, and collects stdout
// (at most kMaxOutput bytes). While it runs, serviceFd (if >= 0, POSIX) is
// polled every 100 ms and service() called. status is the exit status, or -1 when the
// program could not run, was killed or wrote too much.
void run(const std::vector<std::string>& argv, int serviceFd, const std::function<void()>& service,
         std::string& output, int& status);

// Exit status 0 with exactly one non-empty line: that line without its '\n'.
bool parseOutput(int status, const std::string& output, std::string& path);

} // namespace dialog
} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

// File dialogs on Windows: the common dialogs, or a dialog program named by
// $QUILLATONE_FILE_DIALOG run with its output collected.
#include "win32frame.h"

#include "../dialogcommand.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {
namespace dialog {

bool isExecutable(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Windows has its own dialog; no other program is looked for.
std::string findOnPath(const std::string&) { return {}; }

namespace {
// One argument quoted the way the C runtime splits a command line.
void appendQuoted(std::string& line, const std::string& arg) {
    if (!line.empty())
        line += ' ';
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
        line += arg;
        return;
    }
    line += '"';
    size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        line.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        line += c;
    }
    line.append(slashes * 2, '\\');
    line += '"';
}
} // namespace

void run(const std::vector<std::string>& argv, int, const std::function<void()>& service, std::string& output,
         int& status) {
    output.clear();
    status = -1;
    if (argv.empty())
        return;
    std::string line;
    for (const std::string& a : argv)
        appendQuoted(line, a);

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::vector<char> mutableLine(line.begin(), line.end());
    mutableLine.push_back('\0');
    BOOL started = CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                  nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!started) {
        CloseHandle(readEnd);
        return;
    }
    CloseHandle(process.hThread);

    bool overflow = false, open = true;
    while (open) {
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) {
            open = false; // the writer is gone and everything was read
        } else if (available > 0) {
            char buf[4096];
            DWORD got = 0;
            if (!ReadFile(readEnd, buf, std::min<DWORD>(available, sizeof buf), &got, nullptr) || got == 0) {
                open = false;
            } else if (output.size() + got > kMaxOutput) {
                overflow = true;
                TerminateProcess(process.hProcess, 1);
                open = false;
            } else {
                output.append(buf, got);
            }
            continue;
        }
        if (service)
            service();
        if (open)
            MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 20, QS_PAINT);
    }
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT)
        if (service)
            service();
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    if (!overflow)
        status = int(code);
}

} // namespace dialog

void Win32PlatformFrame::servePaint() {
    MSG msg;
    for (HWND w : {window, popupWindow}) {
        if (!w || (w == window && windowGone))
            continue;
        // Input waits for no one: the window is modal while the dialog runs.
        while (PeekMessageA(&msg, w, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
        }
        while (PeekMessageA(&msg, w, WM_PAINT, WM_PAINT, PM_REMOVE))
            DispatchMessageA(&msg);
    }
}

bool Win32PlatformFrame::runFileDialog(const std::vector<std::string>& argv, std::string& output, int& status) {
    dialog::run(argv, -1, [this] { servePaint(); }, output, status);
    return status == 0;
}

bool Win32PlatformFrame::runNativeFileDialog(const CNewFileSelector::Request& request, std::string& path) {
    if (request.style == CNewFileSelector::kSelectDirectory)
        return false;
    const bool save = request.style == CNewFileSelector::kSelectSaveFile;
    std::string ext, description;
    dialog::offeredExtension(request, ext, description);
    // Pairs of description and pattern, each ended by a NUL, the list by another.
    std::string filter;
    if (!ext.empty()) {
        filter += (description.empty() ? ext : description) + " (*." + ext + ")";
        filter += '\0';
        filter += "*." + ext;
        filter += '\0';
    }
    filter += "All files (*.*)";
    filter += '\0';
    filter += "*.*";
    filter += '\0';

    char file[1001] = {};
    if (save && !request.defaultSaveName.empty())
        std::strncpy(file, request.defaultSaveName.c_str(), sizeof file - 1);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = window && !windowGone ? GetAncestor(window, GA_ROOT) : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    ofn.lpstrInitialDir = request.initialDirectory.empty() ? nullptr : request.initialDirectory.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!chosen || !file[0])
        return false;
    path = file;
    return true;
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

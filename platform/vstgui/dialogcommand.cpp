#include "dialogcommand.h"

#include <cstdlib>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {
namespace dialog {

bool findProgram(std::string& path, std::string& kind) {
    const char* custom = std::getenv("QUILLATONE_FILE_DIALOG");
    if (custom && *custom && isExecutable(custom)) {
        path = custom;
        kind = "custom";
        return true;
    }
    for (const char* name : {"zenity", "kdialog"}) {
        std::string p = findOnPath(name);
        if (!p.empty()) {
            path = p;
            kind = name;
            return true;
        }
    }
    return false;
}

void offeredExtension(const CNewFileSelector::Request& request, std::string& ext, std::string& description) {
    if (request.defaultExtension) {
        ext = request.defaultExtension->getExtension();
        description = request.defaultExtension->getDescription();
    } else if (!request.extensions.empty()) {
        ext = request.extensions.front().getExtension();
        description = request.extensions.front().getDescription();
    }
}

std::vector<std::string> buildCommand(const std::string& kind, const std::string& path,
                                      const CNewFileSelector::Request& request, unsigned long parentWindow) {
    const bool save = request.style == CNewFileSelector::kSelectSaveFile;
    const bool directory = request.style == CNewFileSelector::kSelectDirectory;
    std::string ext, description;
    offeredExtension(request, ext, description);
    if (description.empty())
        description = ext;
    std::string start = request.initialDirectory;
    if (!start.empty() && start.back() != '/')
        start += '/';
    if (save && !request.defaultSaveName.empty())
        start += request.defaultSaveName;

    std::vector<std::string> argv{path};
    if (kind == "custom") {
        argv.push_back(save ? "--save" : directory ? "--directory" : "--load");
        argv.insert(argv.end(), {"--title", request.title});
        if (!ext.empty())
            argv.insert(argv.end(), {"--ext", ext});
    } else if (kind == "zenity") {
        argv.insert(argv.end(), {"--file-selection", "--title=" + request.title});
        if (directory)
            argv.push_back("--directory");
        if (!ext.empty() && !directory)
            argv.push_back("--file-filter=" + description + " (*." + ext + ") | *." + ext);
        if (!directory)
            argv.push_back("--file-filter=All files | *");
        if (!start.empty())
            argv.push_back("--filename=" + start);
        argv.push_back("--modal");
        if (parentWindow)
            argv.push_back("--attach=" + std::to_string(parentWindow));
        if (save)
            argv.insert(argv.end(), {"--save", "--confirm-overwrite"});
    } else if (kind == "kdialog") {
        argv.insert(argv.end(), {"--title", request.title});
        if (parentWindow)
            argv.insert(argv.end(), {"--attach", std::to_string(parentWindow)});
        argv.push_back(directory ? "--getexistingdirectory" : save ? "--getsavefilename" : "--getopenfilename");
        argv.push_back(start.empty() ? "." : start);
        if (!ext.empty() && !directory)
            argv.push_back("*." + ext + "|" + description + " files");
    }
    return argv;
}

bool parseOutput(int status, const std::string& output, std::string& path) {
    if (status != 0)
        return false;
    std::string text = output;
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (!text.empty() && text.back() == '\r') // a Windows program's line end
        text.pop_back();
    if (text.empty() || text.find('\n') != std::string::npos || text.find('\0') != std::string::npos)
        return false;
    path = text;
    return true;
}

} // namespace dialog
} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

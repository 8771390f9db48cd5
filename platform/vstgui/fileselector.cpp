#include "fileselector.h"

#include "dialogcommand.h"
#include "platform.h"
#include "view.h"

#include <cstdio>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
CNewFileSelector::TestHandler& testHandler() {
    static CNewFileSelector::TestHandler handler;
    return handler;
}
} // namespace

CFileExtension::CFileExtension(UTF8StringPtr d, UTF8StringPtr e, UTF8StringPtr m, int32 mac, UTF8StringPtr u)
    : description(d ? d : ""), extension(e ? e : ""), mimeType(m ? m : ""), macType(mac), uti(u ? u : "") {}

void CNewFileSelector::setTestHandler(TestHandler handler) { testHandler() = std::move(handler); }

CNewFileSelector::CNewFileSelector(CFrame* f, Style style) : frame(f) {
    request.style = style;
    if (frame)
        frame->remember();
}

CNewFileSelector::~CNewFileSelector() {
    if (frame)
        frame->forget();
}

CNewFileSelector* CNewFileSelector::create(CFrame* parent, Style style) {
    if (testHandler())
        return new CNewFileSelector(parent, style);
    if (!parent || !parent->getPlatformFrame())
        return nullptr;
    std::string path, kind;
    if (!dialog::findProgram(path, kind)) {
        if (!parent->getPlatformFrame()->hasNativeFileDialog())
            return nullptr;
        kind = "native";
    }
    auto* selector = new CNewFileSelector(parent, style);
    selector->program = path;
    selector->kind = kind;
    return selector;
}

void CNewFileSelector::setDefaultExtension(const CFileExtension& ext) {
    defaultExtension = ext;
    hasDefaultExtension = true;
}

UTF8StringPtr CNewFileSelector::getSelectedFile(uint32 index) const {
    return index < selected.size() ? selected[index].c_str() : nullptr;
}

bool CNewFileSelector::runModal() {
    selected.clear();
    request.defaultExtension = hasDefaultExtension ? &defaultExtension : nullptr;
    if (testHandler()) {
        std::vector<std::string> files;
        bool ok = testHandler()(request, files);
        if (ok)
            selected = files;
        return ok && !selected.empty();
    }
    IPlatformFrame* platform = frame ? frame->getPlatformFrame() : nullptr;
    if (!platform)
        return false;
    if (kind == "native") {
        std::string path;
        frame->remember();
        bool chosen = platform->runNativeFileDialog(request, path);
        frame->forget();
        if (chosen)
            selected.push_back(path);
        return chosen;
    }
    if (program.empty())
        return false;
    command = dialog::buildCommand(kind, program, request, platform->windowId());
    std::string output;
    int status = -1;
    frame->remember();
    platform->runFileDialog(command, output, status);
    frame->forget();
    std::string path;
    if (dialog::parseOutput(status, output, path)) {
        selected.push_back(path);
        return true;
    }
    if (status != 1) // 1 is a cancel
        std::fprintf(stderr, "file dialog %s failed (status %d, %zu bytes of output)\n", program.c_str(), status,
                     output.size());
    return false;
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

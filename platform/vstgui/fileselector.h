// The file selector: an external dialog program, or a test handler.
#pragma once

#include "base.h"

#include <functional>
#include <string>
#include <vector>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

class CFrame;

class CFileExtension {
public:
    CFileExtension(UTF8StringPtr description, UTF8StringPtr extension, UTF8StringPtr mimeType = nullptr,
                   int32 macType = 0, UTF8StringPtr uti = nullptr);

    UTF8StringPtr getDescription() const { return description.c_str(); }
    UTF8StringPtr getExtension() const { return extension.c_str(); }
    UTF8StringPtr getMimeType() const { return mimeType.c_str(); }
    int32 getMacType() const { return macType; }
    UTF8StringPtr getUTI() const { return uti.c_str(); }

private:
    std::string description, extension, mimeType;
    int32 macType;
    std::string uti;
};

// All calls on the GUI thread.
class CNewFileSelector : public CBaseObject {
public:
    enum Style { kSelectFile, kSelectSaveFile, kSelectDirectory };

    struct Request {
        Style style = kSelectFile;
        std::string title;
        std::string initialDirectory;
        std::string defaultSaveName;
        std::vector<CFileExtension> extensions;
        const CFileExtension* defaultExtension = nullptr;
        bool allowMultiple = false;
    };
    using TestHandler = std::function<bool(const Request&, std::vector<std::string>&)>;

    // A selector, or null when no dialog can be shown.
    static CNewFileSelector* create(CFrame* parent = nullptr, Style style = kSelectFile);
    // Replaces every dialog (tests); an empty handler removes it.
    static void setTestHandler(TestHandler handler);

    void setTitle(UTF8StringPtr title) { request.title = title ? title : ""; }
    void setInitialDirectory(UTF8StringPtr dir) { request.initialDirectory = dir ? dir : ""; }
    void setDefaultSaveName(UTF8StringPtr name) { request.defaultSaveName = name ? name : ""; }
    void setDefaultExtension(const CFileExtension& ext);
    void addFileExtension(const CFileExtension& ext) { request.extensions.push_back(ext); }
    void setAllowMultiFileSelection(bool state) { request.allowMultiple = state; }

    // Blocks until the dialog closes; true when files were chosen.
    bool runModal();
    uint32 getNumSelectedFiles() const { return uint32(selected.size()); }
    UTF8StringPtr getSelectedFile(uint32 index) const;

    const Request& getRequest() const { return request; }
    const std::vector<std::string>& getDialogCommand() const { return command; }

private:
    CNewFileSelector(CFrame* frame, Style style);
    ~CNewFileSelector() override;

    CFrame* frame;
    Request request;
    CFileExtension defaultExtension{"", ""};
    bool hasDefaultExtension = false;
    std::string program;
    std::string kind;
    std::vector<std::string> command;
    std::vector<std::string> selected;
};

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

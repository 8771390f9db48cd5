// The macOS flavour of the plug-in module: the platform's data-folder rule and the
// toolkit's pasteboard and views, installed before the first effect is created.
#include "DataRootMacOS.h"
#include "macos/macosservices.h"

void installMacOSServices()
{
    static const bool installed = [] {
        datafiles::useDataRootRule(datafiles::macOSDataRootRule());
        VSTGUI::installSystemServices(VSTGUI::macOSSystemServices());
        return true;
    }();
    (void)installed;
}

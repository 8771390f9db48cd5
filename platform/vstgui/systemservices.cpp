#include "systemservices.h"

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

namespace {
SystemServices installed;
} // namespace

void installSystemServices(const SystemServices& services) { installed = services; }

const SystemServices& systemServices() { return installed; }

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

// Internal: the GDI+ drawing back end, as the Win32 window needs to see it.
#pragma once

#include "../drawdevice.h"

#include <memory>

namespace Gdiplus {
class GpGraphics;
}

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

// [GUI thread] GDI+ runs while at least one user holds it; every surface
// holds it. acquire answers false when GDI+ cannot start.
bool acquireGdiplus();
void releaseGdiplus();

// A device drawing through graphics (which it deletes) within area, in the
// graphics' current units, of which one spans pixelsPerUnit pixels.
std::unique_ptr<DrawDevice> gdiplusDevice(Gdiplus::GpGraphics* graphics, const CRect& area, double pixelsPerUnit);

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

// Internal: the cairo drawing back end, as the X11 window needs to see it.
#pragma once

#include "../drawdevice.h"

#include <memory>
#include <string>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo_font_face cairo_font_face_t;

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

// [GUI thread] The face a family and style (bold and italic bits) are drawn
// with, found through fontconfig after the family mapping; cached for the
// life of the module.
cairo_font_face_t* cairoFontFace(const std::string& family, int32 style);

// The image surface behind a back buffer made by this back end.
cairo_surface_t* cairoSurfaceOf(DrawSurface* surface);

// A device drawing through cr (which it references) at its current matrix and clip.
std::unique_ptr<DrawDevice> cairoDevice(cairo_t* cr);

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

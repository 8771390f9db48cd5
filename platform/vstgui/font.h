// Font descriptions and the standard fonts; faces come from fontconfig.
#pragma once

#include "base.h"

#include <string>

typedef struct _cairo_font_face cairo_font_face_t;

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

class CFontDesc : public CBaseObject {
public:
    CFontDesc(UTF8StringPtr name = nullptr, CCoord size = 0, int32 style = 0);

    UTF8StringPtr getName() const { return name.c_str(); }
    CCoord getSize() const { return size; }
    int32 getStyle() const { return style; }
    void setName(UTF8StringPtr n) { name = n ? n : ""; }
    void setSize(CCoord s) { size = s; }
    void setStyle(int32 s) { style = s; }

    // [GUI thread] The face for this family and the given style (bold and
    // italic bits); faces are cached for the life of the program.
    static cairo_font_face_t* faceFor(const std::string& family, int32 style);
    // The installed family that a requested family is drawn with.
    static std::string mapFamily(const std::string& family, int32& style);

private:
    std::string name;
    CCoord size;
    int32 style;
};

using CFontRef = CFontDesc*;

// Standard fonts: static, never freed.
extern CFontRef const kSystemFont;
extern CFontRef const kNormalFontVeryBig;
extern CFontRef const kNormalFontBig;
extern CFontRef const kNormalFont;
extern CFontRef const kNormalFontSmall;
extern CFontRef const kNormalFontSmaller;
extern CFontRef const kNormalFontVerySmall;

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

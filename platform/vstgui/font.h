// Font descriptions and the standard fonts; the drawing back end finds faces.
#pragma once

#include "base.h"

#include <string>

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

    // The family that a requested family is drawn with when it is not
    // installed: a free face of the same metrics, or the closest one; bold
    // is added to style where the substitute needs it.
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

#include "base.h"

#include <algorithm>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

CRect& CRect::bound(const CRect& r) {
    left = std::max(left, r.left);
    top = std::max(top, r.top);
    right = std::min(right, r.right);
    bottom = std::min(bottom, r.bottom);
    if (right < left)
        right = left;
    if (bottom < top)
        bottom = top;
    return *this;
}

CRect& CRect::unite(const CRect& r) {
    if (r.isEmpty())
        return *this;
    if (isEmpty())
        return *this = r;
    left = std::min(left, r.left);
    top = std::min(top, r.top);
    right = std::max(right, r.right);
    bottom = std::max(bottom, r.bottom);
    return *this;
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

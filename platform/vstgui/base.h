// Basic types of the toolkit: reference counting, points, rectangles, colours,
// mouse buttons and the enumerations shared by views and drawing.
#pragma once

#include <cstdint>

#ifndef QUILLATONE_VSTGUI_NS
#define QUILLATONE_VSTGUI_NS quillatone
#endif

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

using CCoord = double;
using UTF8StringPtr = const char*;
using CViewAttributeID = uint32_t;
using int32 = int32_t;
using uint32 = uint32_t;

constexpr CViewAttributeID kCViewTooltipAttribute = 0x63767474; // 'cvtt'

// Bitmaps are not supported: every bitmap parameter accepts only nullptr.
class CBitmap;

// Reference-counted base: every object starts with a count of 1.
class CBaseObject {
public:
    CBaseObject() = default;
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;
    virtual ~CBaseObject() = default;

    // [GUI thread]
    virtual void remember() { ++refCount; }
    // [GUI thread] Deletes the object when the count reaches zero.
    virtual void forget() {
        if (--refCount <= 0)
            delete this;
    }
    int32 getNbReference() const { return refCount; }

private:
    int32 refCount = 1;
};

struct CPoint {
    CCoord x = 0;
    CCoord y = 0;

    CPoint() = default;
    CPoint(CCoord x_, CCoord y_) : x(x_), y(y_) {}

    CPoint& offset(CCoord dx, CCoord dy) { x += dx; y += dy; return *this; }
    CPoint operator+(const CPoint& o) const { return {x + o.x, y + o.y}; }
    CPoint operator-(const CPoint& o) const { return {x - o.x, y - o.y}; }
    CPoint& operator+=(const CPoint& o) { x += o.x; y += o.y; return *this; }
    CPoint& operator-=(const CPoint& o) { x -= o.x; y -= o.y; return *this; }
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};

struct CRect {
    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;

    CRect() = default;
    CRect(CCoord l, CCoord t, CCoord r, CCoord b) : left(l), top(t), right(r), bottom(b) {}
    CRect(const CPoint& origin, const CPoint& size)
        : left(origin.x), top(origin.y), right(origin.x + size.x), bottom(origin.y + size.y) {}

    CCoord getWidth() const { return right - left; }
    CCoord getHeight() const { return bottom - top; }
    CPoint getTopLeft() const { return {left, top}; }
    CPoint getCenter() const { return {left + getWidth() / 2, top + getHeight() / 2}; }

    CRect& offset(CCoord dx, CCoord dy) {
        left += dx; right += dx; top += dy; bottom += dy;
        return *this;
    }
    CRect& inset(CCoord dx, CCoord dy) {
        left += dx; right -= dx; top += dy; bottom -= dy;
        return *this;
    }
    // Half-open: left <= x < right and top <= y < bottom.
    bool pointInside(const CPoint& p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    bool rectOverlap(const CRect& r) const {
        return r.left < right && r.right > left && r.top < bottom && r.bottom > top;
    }
    bool isEmpty() const { return !(right > left) || !(bottom > top); }
    // Intersects in place; an empty result collapses to the left-top corner.
    CRect& bound(const CRect& r);
    CRect& unite(const CRect& r);
    bool operator==(const CRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }
};

struct CColor {
    uint8_t red = 255;
    uint8_t green = 255;
    uint8_t blue = 255;
    uint8_t alpha = 255;

    constexpr CColor() = default;
    constexpr CColor(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) : red(r), green(g), blue(b), alpha(a) {}
    bool operator==(const CColor& o) const {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
    bool operator!=(const CColor& o) const { return !(*this == o); }
};

constexpr CColor kTransparentCColor{255, 255, 255, 0};
constexpr CColor kBlackCColor{0, 0, 0, 255};
constexpr CColor kWhiteCColor{255, 255, 255, 255};

enum CButton : int32 {
    kLButton = 1 << 1,
    kMButton = 1 << 2,
    kRButton = 1 << 3,
    kShift = 1 << 4,
    kControl = 1 << 5,
    kAlt = 1 << 6,
    kApple = 1 << 7,
    kButton4 = 1 << 8,
    kButton5 = 1 << 9,
    kDoubleClick = 1 << 10,
};

constexpr int32 kDefaultValueModifier = kControl;
constexpr int32 kZoomModifier = kShift;

class CButtonState {
public:
    CButtonState(int32 s = 0) : state(s) {}

    int32 operator()() const { return state; }
    int32 operator&(int32 mask) const { return state & mask; }
    bool operator==(int32 s) const { return state == s; }
    bool operator!=(int32 s) const { return state != s; }

    int32 getButtonState() const { return state & (kLButton | kMButton | kRButton | kButton4 | kButton5); }
    int32 getModifierState() const { return state & (kShift | kControl | kAlt | kApple); }
    bool isLeftButton() const { return (state & kLButton) != 0; }
    bool isRightButton() const { return (state & kRButton) != 0; }
    bool isDoubleClick() const { return (state & kDoubleClick) != 0; }

private:
    int32 state;
};

enum CMouseEventResult {
    kMouseEventNotImplemented = 0,
    kMouseEventHandled,
    kMouseEventNotHandled,
    kMouseDownEventHandledButDontNeedMovedOrUpEvents,
    kMouseMoveEventHandledButDontNeedMoreEvents,
};

enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };

enum CDrawModeFlags : int32 { kAliasing = 0, kAntiAliasing = 1 };

enum CDrawStyle { kDrawStroked = 0, kDrawFilled, kDrawFilledAndStroked };

enum CTxtFace : int32 {
    kNormalFace = 0,
    kBoldFace = 1 << 1,
    kItalicFace = 1 << 2,
    kUnderlineFace = 1 << 3,
    kStrikethroughFace = 1 << 4,
};

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

#include "view.h"

#include <chrono>
#include <cstring>

namespace VSTGUI {
inline namespace QUILLATONE_VSTGUI_NS {

uint32 VSTGUIEditorInterface::getTicks() const {
    using namespace std::chrono;
    return uint32(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

CView::CView(const CRect& r) : size(r) {}

void CView::setViewSize(const CRect& rect, bool inval) {
    if (inval)
        invalid();
    size = rect;
    if (inval)
        invalid();
}

void CView::drawRect(CDrawContext* context, const CRect&) { draw(context); }

CMouseEventResult CView::onMouseDown(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseUp(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseMoved(CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
bool CView::onWheel(const CPoint&, const float&, const CButtonState&) { return false; }
int32 CView::onKeyDown(VstKeyCode&) { return -1; }
int32 CView::onKeyUp(VstKeyCode&) { return -1; }

void CView::setDirty(bool state) {
    dirty = state;
    if (state)
        invalid();
}

void CView::invalid() { invalidRect(size); }

void CView::invalidRect(const CRect& rect) {
    if (frame && isVisible())
        frame->invalidRect(rect);
}

void CView::setVisible(bool state) {
    if (state == visible)
        return;
    if (!state)
        invalid();
    visible = state;
    if (state)
        invalid();
}

bool CView::setAttribute(CViewAttributeID id, uint32 inSize, const void* data) {
    if (inSize > 0 && !data)
        return false;
    auto bytes = static_cast<const uint8_t*>(data);
    attributes[id] = std::vector<uint8_t>(bytes, bytes + inSize);
    return true;
}

bool CView::getAttributeSize(CViewAttributeID id, uint32& outSize) const {
    auto it = attributes.find(id);
    if (it == attributes.end())
        return false;
    outSize = uint32(it->second.size());
    return true;
}

bool CView::getAttribute(CViewAttributeID id, uint32 inSize, void* data, uint32& outSize) const {
    auto it = attributes.find(id);
    if (it == attributes.end() || inSize < it->second.size() || (!data && !it->second.empty()))
        return false;
    outSize = uint32(it->second.size());
    if (outSize)
        std::memcpy(data, it->second.data(), outSize);
    return true;
}

bool CView::removeAttribute(CViewAttributeID id) { return attributes.erase(id) > 0; }

void CView::setTooltipText(UTF8StringPtr text) {
    if (!text) {
        removeAttribute(kCViewTooltipAttribute);
        return;
    }
    setAttribute(kCViewTooltipAttribute, uint32(std::strlen(text) + 1), text);
}

bool CView::isTypeOf(const char* name) const {
    return name && (std::strcmp(name, "CView") == 0 || std::strcmp(name, "CBaseObject") == 0);
}

bool CView::attached(CView* parent) {
    if (frame)
        return false;
    frame = parent ? parent->getFrame() : nullptr;
    return true;
}

bool CView::removed(CView*) {
    frame = nullptr;
    return true;
}

} // namespace QUILLATONE_VSTGUI_NS
} // namespace VSTGUI

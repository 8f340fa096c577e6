#include "gui/core/GuiView.h"

#include "gui/core/GuiFrame.h"

namespace chorus {

GuiView::GuiView(const GuiRect& viewBounds) : bounds(viewBounds), mouseArea(viewBounds) {}

GuiView::~GuiView() = default;

void GuiView::paint(GuiDrawContext&) {
    setNeedsRedraw(false);
}

void GuiView::paintRegion(GuiDrawContext& context, const GuiRect&) {
    paint(context);
}

bool GuiView::touchesRect(const GuiRect& rect) const {
    return !(rect.right < bounds.left || bounds.right < rect.left || rect.bottom < bounds.top ||
             bounds.bottom < rect.top);
}

void GuiView::onMouseDown(GuiDrawContext&, GuiPoint) {}

void GuiView::repaintIfNeeded(GuiDrawContext& context) {
    if (needsRedraw()) {
        paint(context);
        setNeedsRedraw(false);
    }
}

bool GuiView::receiveMessage(GuiView*, const char*) {
    return false;
}

std::int32_t GuiView::onKeyPressed(const GuiKeyRecord&) {
    return -1;
}

std::int32_t GuiView::onKeyReleased(const GuiKeyRecord&) {
    return -1;
}

bool GuiView::onFilesDropped(const char* const*, std::int32_t, std::int32_t, GuiPoint) {
    return false;
}

bool GuiView::onWheelTurned(GuiDrawContext*, GuiPoint, float) {
    return false;
}

void GuiView::focusLost(GuiDrawContext*) {}

void GuiView::focusGained(GuiDrawContext*) {}

bool GuiView::needsRedraw() const {
    return redrawFlag;
}

void GuiView::setNeedsRedraw(bool needed) {
    redrawFlag = needed;
}

void GuiView::setAcceptsMouse(bool accepts) {
    mouseAccepted = accepts;
}

bool GuiView::acceptsMouse() const {
    return mouseAccepted;
}

void GuiView::setMouseArea(const GuiRect& rect) {
    mouseArea = rect;
}

void GuiView::getMouseArea(GuiRect& out) const {
    out = mouseArea;
}

bool GuiView::containsPoint(GuiPoint point) const {
    return bounds.contains(point);
}

void GuiView::setDrawsTransparent(bool flag) {
    transparent = flag;
}

bool GuiView::drawsTransparent() const {
    return transparent;
}

void GuiView::setBounds(const GuiRect& rect) {
    bounds = rect;
    setNeedsRedraw(true);
}

void GuiView::getBounds(GuiRect& out) const {
    out = bounds;
}

void GuiView::setOwnerFrame(GuiFrame* frame) {
    ownerFrame = frame;
}

void GuiView::setOwnerView(GuiView* view) {
    ownerView = view;
}

GuiFrameOwner* GuiView::getOwnerEditor() const {
    return ownerFrame != nullptr ? ownerFrame->getOwnerEditor() : nullptr;
}

bool GuiView::onDetached(GuiFrame*) {
    return true;
}

bool GuiView::onAttached(GuiFrame*) {
    return true;
}

void GuiView::release() {
    if (refCount <= 0) {
        return;
    }
    if (--refCount == 0) {
        delete this;
    }
}

void GuiView::retain() {
    ++refCount;
}

std::int32_t GuiView::getRetainCount() const {
    return refCount;
}

void GuiView::redrawNow() {
    if (ownerFrame != nullptr) {
        ownerFrame->redrawChild(this);
    }
}

} // namespace chorus

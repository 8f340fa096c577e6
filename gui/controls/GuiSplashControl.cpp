#include "gui/controls/GuiSplashControl.h"

#include "gui/controls/GuiBlit.h"
#include "gui/controls/GuiEditGesture.h"
#include "gui/core/GuiControlListener.h"
#include "gui/core/GuiFrame.h"

namespace chorus {

GuiSplashControl::GuiSplashControl(const GuiRect& rect, GuiControlListener* changeListener,
                                   std::int32_t controlTag, GuiBitmap* background, const GuiRect& area,
                                   GuiPoint origin)
    : GuiControl(rect, changeListener, controlTag, background), splashRect(area), splashOrigin(origin) {}

GuiSplashControl::~GuiSplashControl() = default;

void GuiSplashControl::paint(GuiDrawContext& context) {
    if (value != 0.0f) {
        blitBitmap(backgroundBitmap, context, splashRect, splashOrigin, drawsTransparent());
    }
    setNeedsRedraw(false);
}

void GuiSplashControl::close() {
    value = 0.0f;
    // Only an open splash has closed bounds to go back to; a closed one keeps its click area.
    if (boundsKept) {
        bounds = keptBounds;
        boundsKept = false;
    }
}

void GuiSplashControl::onMouseDown(GuiDrawContext& context, GuiPoint) {
    if (!acceptsMouse() || (context.readMouseState() & mousePrimary) == 0) {
        return;
    }
    const GuiEditGesture gesture(*this);
    if (value == 0.0f) {
        // Opening needs the frame to accept the splash as its modal child; refused, it stays closed.
        if (ownerFrame != nullptr && ownerFrame->setModalChild(this)) {
            value = 1.0f;
            keptBounds = bounds;
            boundsKept = true;
            bounds = splashRect;
            paint(context);
            if (listener != nullptr) {
                listener->controlChanged(context, this);
            }
        }
    } else {
        close();
        if (ownerFrame != nullptr) {
            if (ownerFrame->getModalChild() == this) {
                ownerFrame->setModalChild(nullptr);
            }
            ownerFrame->paint(context);
        }
        if (listener != nullptr) {
            listener->controlChanged(context, this);
        }
    }
    setNeedsRedraw(true);
}

void GuiSplashControl::closeSplash() {
    setNeedsRedraw(true);
    close();
    if (ownerFrame != nullptr && ownerFrame->getModalChild() == this) {
        ownerFrame->setModalChild(nullptr);
        if (ownerFrame->getWindow() != nullptr) {
            ownerFrame->redrawChild(nullptr);
        }
    }
}

} // namespace chorus

#pragma once

#include "gui/core/GuiControl.h"

namespace chorus {

// An invisible click area that opens a larger picture over the editor and closes it on the next click.
// While open it is the frame's modal child (all presses go to it) and its bounds are the picture's area.
class GuiSplashControl : public GuiControl {
public:
    // bounds: the click area while closed; splashRect (frame coordinates): the area while open;
    // splashOrigin: where in the background bitmap the picture starts.
    GuiSplashControl(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag,
                     GuiBitmap* background, const GuiRect& splashRect, GuiPoint splashOrigin);

    void paint(GuiDrawContext& context) override;
    void onMouseDown(GuiDrawContext& context, GuiPoint where) override;
    // Closes the splash from outside; the listener is not told.
    virtual void closeSplash();

    bool isSplashOpen() const noexcept { return boundsKept; }
    const GuiRect& getSplashRect() const noexcept { return splashRect; }

protected:
    ~GuiSplashControl() override;

private:
    void close();

    GuiRect splashRect;
    GuiRect keptBounds;
    GuiPoint splashOrigin;
    // Whether keptBounds holds the closed bounds (the splash is open).
    bool boundsKept = false;
};

} // namespace chorus

#pragma once

#include "gui/controls/GuiNumberText.h"
#include "gui/controls/GuiSplashControl.h"
#include "gui/core/GuiColor.h"
#include "gui/core/GuiDrawContext.h"

namespace chorus {

// A splash that also prints up to two lines on its picture: a notice line, then a version line. A line
// is drawn only once it was set.
class GuiAboutSplash : public GuiSplashControl {
public:
    static constexpr FontId textFont = 3;
    static constexpr std::int32_t textSize = 10; // pixels

    GuiAboutSplash(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag,
                   GuiBitmap* background, const GuiRect& splashRect, GuiPoint splashOrigin);

    void paint(GuiDrawContext& context) override;

    // Store the line's area, colour and alignment and mark it set; a given text is copied (cut to 127
    // characters).
    void setVersionText(const char* text, const GuiRect& rect, GuiColor color, std::int32_t align);
    void setNoticeText(const char* text, const GuiRect& rect, GuiColor color, std::int32_t align);

    const char* getVersionText() const noexcept { return versionText; }
    const char* getNoticeText() const noexcept { return noticeText; }
    bool hasVersionText() const noexcept { return hasVersion; }
    bool hasNoticeText() const noexcept { return hasNotice; }

protected:
    ~GuiAboutSplash() override;

private:
    char noticeText[guiSplashTextSize] = "";
    GuiRect noticeRect;
    GuiColor noticeColor;
    std::int32_t noticeAlignment = alignLeft;
    bool hasNotice = false;
    char versionText[guiSplashTextSize] = "";
    GuiRect versionRect;
    GuiColor versionColor;
    std::int32_t versionAlignment = alignLeft;
    bool hasVersion = false;
};

} // namespace chorus

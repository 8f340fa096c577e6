#include "gui/controls/GuiAboutSplash.h"

namespace chorus {

GuiAboutSplash::GuiAboutSplash(const GuiRect& rect, GuiControlListener* changeListener,
                               std::int32_t controlTag, GuiBitmap* background, const GuiRect& area,
                               GuiPoint origin)
    : GuiSplashControl(rect, changeListener, controlTag, background, area, origin) {}

GuiAboutSplash::~GuiAboutSplash() = default;

void GuiAboutSplash::paint(GuiDrawContext& context) {
    if (value == 0.0f) {
        return;
    }
    GuiSplashControl::paint(context);
    context.selectFont(textFont, textSize, 0);
    if (hasNotice) {
        context.setInkColor(noticeColor);
        context.printText(noticeText, noticeRect, false, noticeAlignment);
    }
    if (hasVersion) {
        context.setInkColor(versionColor);
        context.printText(versionText, versionRect, false, versionAlignment);
    }
}

void GuiAboutSplash::setVersionText(const char* text, const GuiRect& rect, GuiColor color,
                                    std::int32_t align) {
    versionRect = rect;
    versionColor = color;
    versionAlignment = align;
    if (text != nullptr) {
        copyText(versionText, sizeof versionText, text);
    }
    hasVersion = true;
}

void GuiAboutSplash::setNoticeText(const char* text, const GuiRect& rect, GuiColor color,
                                   std::int32_t align) {
    noticeRect = rect;
    noticeColor = color;
    noticeAlignment = align;
    if (text != nullptr) {
        copyText(noticeText, sizeof noticeText, text);
    }
    hasNotice = true;
}

} // namespace chorus

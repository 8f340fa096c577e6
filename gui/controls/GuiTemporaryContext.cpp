#include "gui/controls/GuiTemporaryContext.h"

#include "gui/core/GuiFrame.h"

namespace chorus {

namespace {

GuiWindowHandle windowOf(GuiFrame* frame) noexcept {
    return frame != nullptr ? frame->getWindow() : nullptr;
}

// A null window would give the screen's DC: never draw there.
std::unique_ptr<GuiWindowDC> dcFor(GuiFrame* frame) {
    GuiWindowHandle window = windowOf(frame);
    return window != nullptr ? std::make_unique<GuiWindowDC>(window) : nullptr;
}

} // namespace

GuiTemporaryContext::GuiTemporaryContext(GuiFrame* frame)
    : windowDC(dcFor(frame)),
      context(frame, windowDC ? windowDC->get() : nullptr, windowDC ? windowOf(frame) : nullptr) {}

} // namespace chorus

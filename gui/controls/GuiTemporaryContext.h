#pragma once

#include "gui/core/GuiDrawContext.h"
#include "gui/core/GuiWindowDC.h"

#include <memory>

namespace chorus {

// A drawing context for work that arrives without one (keys, the end of a text edit): on the frame's
// window DC when the frame has a window, otherwise a context without a DC, which draws nothing.
class GuiTemporaryContext {
public:
    explicit GuiTemporaryContext(GuiFrame* frame);

    GuiTemporaryContext(const GuiTemporaryContext&) = delete;
    GuiTemporaryContext& operator=(const GuiTemporaryContext&) = delete;

    GuiDrawContext& get() noexcept { return context; }

private:
    // Declared first: the DC must outlive the context drawing on it.
    std::unique_ptr<GuiWindowDC> windowDC;
    GuiDrawContext context;
};

} // namespace chorus

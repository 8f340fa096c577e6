#pragma once

#include <cstdint>

namespace chorus {

// What a frame asks of the editor that owns it: idle time while a control holds the mouse, the clock the
// controls time double clicks and drags with, and the start and end of an edit of one parameter (a control's
// tag stands for the parameters the frame links to it).
class GuiFrameOwner {
public:
    // One pass of idle while a control tracks the mouse: repaints and gives the host its idle call.
    virtual void idlePump() = 0;
    // Milliseconds from an arbitrary start.
    virtual std::uint32_t ticks() const = 0;
    virtual void beginEdit(std::int32_t parameter) = 0;
    virtual void endEdit(std::int32_t parameter) = 0;

protected:
    GuiFrameOwner() = default;
    GuiFrameOwner(const GuiFrameOwner&) = default;
    GuiFrameOwner& operator=(const GuiFrameOwner&) = default;
    ~GuiFrameOwner() = default; // owners are destroyed as what they are, never through this interface
};

} // namespace chorus

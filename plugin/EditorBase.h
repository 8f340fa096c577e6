#pragma once

#include "gui/core/GuiFrameOwner.h"
#include "gui/core/GuiScale.h"
#include "plugin/EditorInterface.h"

#include <cstdint>

namespace chorus {

class GuiFrame;
class PluginBaseEx;

// The editor bridge on Windows: links an editor to its effect, keeps the rectangle the host reads, forwards
// keys and the wheel to the frame, and runs the throttled idle pump that keeps the host responsive while a
// control holds the mouse. The editor draws at a zoom: the one the host asked for, else the one the DPI of
// the host's window asks for (the screen's while closed). The rectangle the host reads is zoomed with it;
// `rect` itself stays the 100 % size.
class EditorBase : public EditorInterface, public GuiFrameOwner {
public:
    static constexpr std::uint32_t pumpSleepMs = 4;      // sleep of a throttled pump call
    static constexpr std::uint32_t pumpIntervalMs = 100; // deadline set after a full pass
    static constexpr std::uint32_t pumpEarlyMs = 50;     // a full pass may run this long before the deadline

    // Registers itself as the effect's editor (the effect then owns it).
    explicit EditorBase(PluginBaseEx* effect);
    ~EditorBase() override;

    int32_t editorRect(EditorRect** out) override;
    int32_t openEditor(void* parentWindow) override;
    void closeEditor() override;
    void editorIdle() override;
    void redraw() override;
    void requestRedraw() override;
    int32_t keyDown(KeyRecord* key) override;
    int32_t keyUp(KeyRecord* key) override;
    int32_t setKnobMode(int32_t mode) override;
    bool wheel(float distance) override;
    // 0 follows the DPI again. An open editor is rebuilt at the new zoom (not while the idle pump runs the
    // host's idle inside a control's drag).
    int32_t setZoom(int32_t percent) override;
    void paramChanged(int32_t index, float normalizedValue) override;
    virtual void drawNow();
    // One pass of idle while a control tracks the mouse: sleeps until close to the deadline, then repaints,
    // dispatches one pending paint message and gives the host an idle call.
    void idlePump() override;
    // The platform's millisecond tick count.
    std::uint32_t ticks() const override;
    // A control's edit of a parameter starts or ends: the effect's gesture requests to the host.
    void beginEdit(std::int32_t parameter) override;
    void endEdit(std::int32_t parameter) override;

    // The zoom the editor draws at now, or would open at.
    GuiScale currentZoom() const noexcept;
    // The zoom an open in parent gets.
    GuiScale zoomFor(void* parentWindow) const noexcept;
    std::int32_t getRequestedZoom() const noexcept { return requestedZoom; }

    PluginBaseEx* getEffect() const noexcept { return effect; }
    GuiFrame* getFrame() const noexcept { return frame; }
    void* getParentWindow() const noexcept { return parent; }
    bool isRedrawPending() const noexcept { return redrawPending; }
    bool isInPump() const noexcept { return inPump; }
    std::uint32_t getNextIdleTime() const noexcept { return nextIdleTime; }

protected:
    // Tears the frame down (its window and children) and forgets it.
    void destroyFrame() noexcept;

    PluginBaseEx* effect = nullptr;
    EditorRect rect{0, 0, 0, 0};
    EditorRect zoomedRect{0, 0, 0, 0}; // what the host reads: rect at the current zoom
    std::int32_t requestedZoom = 0;    // percent; 0 follows the DPI
    GuiFrame* frame = nullptr;
    std::uint32_t nextIdleTime = 0;
    bool inPump = false;
};

} // namespace chorus

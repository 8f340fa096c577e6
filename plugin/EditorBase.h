#pragma once

#include "gui/core/GuiFrameOwner.h"
#include "plugin/EditorInterface.h"

#include <cstdint>

namespace chorus {

class GuiFrame;
class PluginBaseEx;

// The editor bridge on Windows: links an editor to its effect, keeps the rectangle the host reads, forwards
// keys and the wheel to the frame, and runs the throttled idle pump that keeps the host responsive while a
// control holds the mouse.
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
    GuiFrame* frame = nullptr;
    std::uint32_t nextIdleTime = 0;
    bool inPump = false;
};

} // namespace chorus

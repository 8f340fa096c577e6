#include "plugin/EditorBase.h"

#include "gui/core/GuiFrame.h"
#include "gui/core/GuiPlatform.h"
#include "plugin/PluginBaseEx.h"

#include <windows.h>

namespace chorus {

EditorBase::EditorBase(PluginBaseEx* owner) : effect(owner) {
    if (effect != nullptr) {
        effect->setEditor(this);
    }
    nextIdleTime = ticks();
}

// OLE is the frame's business, on the window thread: the effect, and so this editor, may be made and
// destroyed on other threads, whose OLE state belongs to the host.
EditorBase::~EditorBase() {
    // A host may close the plug-in without closing the editor first; the frame must not outlive us.
    destroyFrame();
}

void EditorBase::destroyFrame() noexcept {
    GuiFrame* old = frame;
    frame = nullptr;
    if (old != nullptr) {
        old->release();
    }
}

int32_t EditorBase::editorRect(EditorRect** out) {
    if (out == nullptr) {
        return 0;
    }
    const GuiScale zoom = currentZoom();
    const auto scaled = [zoom](int16_t v) { return static_cast<int16_t>(zoom.toDevice(v)); };
    zoomedRect = EditorRect{scaled(rect.top), scaled(rect.left), scaled(rect.bottom), scaled(rect.right)};
    *out = &zoomedRect;
    return 1;
}

GuiScale EditorBase::zoomFor(void* parentWindow) const noexcept {
    if (requestedZoom != 0) {
        return GuiScale(requestedZoom);
    }
    return GuiScale::forWindow(static_cast<GuiWindowHandle>(parentWindow));
}

GuiScale EditorBase::currentZoom() const noexcept {
    if (frame != nullptr) {
        return frame->getScale();
    }
    return zoomFor(nullptr);
}

int32_t EditorBase::setZoom(int32_t percent) {
    if (percent != 0 && !GuiScale::isSupported(percent)) {
        return 0;
    }
    if (frame != nullptr && inPump) {
        return 0;
    }
    requestedZoom = percent;
    if (frame != nullptr && zoomFor(parent) != frame->getScale()) {
        if (openEditor(parent) == 0) {
            return 0;
        }
    }
    return currentZoom().getPercent();
}

int32_t EditorBase::openEditor(void* parentWindow) {
    requestRedraw();
    parent = parentWindow;
    return 0;
}

void EditorBase::closeEditor() {}

void EditorBase::editorIdle() {
    if (inPump) {
        return;
    }
    if (redrawPending) {
        redrawPending = false;
        redraw();
    }
    if (frame != nullptr) {
        frame->refreshIdle();
    }
}

void EditorBase::redraw() {}

void EditorBase::requestRedraw() {
    redrawPending = true;
}

int32_t EditorBase::keyDown(KeyRecord* key) {
    if (frame == nullptr || key == nullptr) {
        return -1;
    }
    return frame->onKeyPressed(GuiKeyRecord{key->character, key->virtualKey, key->modifiers});
}

int32_t EditorBase::keyUp(KeyRecord* key) {
    if (frame == nullptr || key == nullptr) {
        return -1;
    }
    return frame->onKeyReleased(GuiKeyRecord{key->character, key->virtualKey, key->modifiers});
}

int32_t EditorBase::setKnobMode(int32_t mode) {
    GuiFrame::setRotaryMode(mode);
    return 1;
}

bool EditorBase::wheel(float distance) {
    if (frame == nullptr) {
        return false;
    }
    return frame->onWheelTurned(nullptr, {0, 0}, distance);
}

void EditorBase::paramChanged(int32_t, float) {
    requestRedraw();
}

void EditorBase::drawNow() {
    if (frame != nullptr) {
        frame->redrawChild(nullptr);
    }
}

void EditorBase::idlePump() {
    std::uint32_t now = ticks();
    if (now < nextIdleTime) {
        GuiPlatform::current().sleep(pumpSleepMs);
        now += pumpSleepMs;
        if (now < nextIdleTime - pumpEarlyMs) {
            return;
        }
    }
    editorIdle();
    MSG message{};
    if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
        DispatchMessageA(&message);
    }
    nextIdleTime = now + pumpIntervalMs;
    inPump = true;
    if (effect != nullptr) {
        effect->hostIdle();
    }
    inPump = false;
}

std::uint32_t EditorBase::ticks() const {
    return GuiPlatform::current().tickCount();
}

void EditorBase::beginEdit(std::int32_t parameter) {
    if (effect != nullptr) {
        effect->beginParamGesture(parameter);
    }
}

void EditorBase::endEdit(std::int32_t parameter) {
    if (effect != nullptr) {
        effect->endParamGesture(parameter);
    }
}

} // namespace chorus

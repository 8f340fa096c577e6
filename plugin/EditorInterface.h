#pragma once

#include "plugin/PluginAbi.h"

#include <cstdint>

namespace chorus {

// What the dispatcher and the effect call on an editor. Portable: the window handle travels as void*.
// Each default is what an editor without a window does.
class EditorInterface {
public:
    virtual ~EditorInterface() = default;

    // Writes the address of the editor's rectangle; answers 1 when it did.
    virtual int32_t editorRect(EditorRect** rect) {
        if (rect != nullptr) {
            *rect = nullptr;
        }
        return 0;
    }
    virtual int32_t openEditor(void* parentWindow) {
        parent = parentWindow;
        return 0;
    }
    virtual void closeEditor() {}
    virtual void editorIdle() {
        if (redrawPending) {
            redrawPending = false;
            redraw();
        }
    }
    virtual void redraw() {}
    virtual void requestRedraw() { redrawPending = true; }
    // Key answers: -1 means the key was not handled.
    virtual int32_t keyDown(KeyRecord* key) {
        (void)key;
        return -1;
    }
    virtual int32_t keyUp(KeyRecord* key) {
        (void)key;
        return -1;
    }
    virtual int32_t setKnobMode(int32_t mode) {
        (void)mode;
        return 0;
    }
    virtual bool wheel(float distance) {
        (void)distance;
        return false;
    }
    // The zoom the host asks for (100, 150, 200, or 0 for the window's DPI); answers the zoom in effect in
    // percent, 0 when refused.
    virtual int32_t setZoom(int32_t percent) {
        (void)percent;
        return 0;
    }

    // Notifications from the effect after parameter, program and rate changes. Parameter and program
    // notifications come from whichever of the host's threads made the change.
    virtual void paramChanged(int32_t index, float normalizedValue) {
        (void)index;
        (void)normalizedValue;
        requestRedraw();
    }
    virtual void paramDataChanged(int32_t index, const void* bytes, int32_t size) {
        (void)index;
        (void)bytes;
        (void)size;
    }
    virtual void sampleRateChanged(float rate) { (void)rate; }
    // After a program (or chunk) has been loaded, its values reported one by one through paramChanged.
    virtual void programLoaded() {}

protected:
    void* parent = nullptr;
    bool redrawPending = false;
};

} // namespace chorus

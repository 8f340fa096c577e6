#pragma once

#include "gui/core/GuiColor.h"
#include "gui/core/GuiControl.h"
#include "gui/core/GuiDrawContext.h"
#include "gui/core/GuiView.h"

#include <string>
#include <vector>

namespace chorus::test {

// A view that writes what happens to it into a shared log ("name.event").
class RecordingView : public GuiView {
public:
    RecordingView(std::string viewName, const GuiRect& rect, std::vector<std::string>& eventLog,
                  int keyAnswer = -1)
        : GuiView(rect), name(std::move(viewName)), log(eventLog), answer(keyAnswer) {}

    void paint(GuiDrawContext& context) override {
        log.push_back(name + ".paint");
        GuiView::paint(context);
    }
    void paintRegion(GuiDrawContext&, const GuiRect&) override { log.push_back(name + ".region"); }
    void onMouseDown(GuiDrawContext&, GuiPoint where) override {
        log.push_back(name + ".down");
        lastPoint = where;
    }
    void focusLost(GuiDrawContext*) override { log.push_back(name + ".focusLost"); }
    bool onAttached(GuiFrame*) override {
        log.push_back(name + ".attached");
        return true;
    }
    bool onDetached(GuiFrame*) override {
        log.push_back(name + ".detached");
        return true;
    }
    std::int32_t onKeyPressed(const GuiKeyRecord&) override {
        log.push_back(name + ".key");
        return answer;
    }
    std::int32_t onKeyReleased(const GuiKeyRecord&) override {
        log.push_back(name + ".keyUp");
        return answer;
    }
    bool onWheelTurned(GuiDrawContext* context, GuiPoint where, float distance) override {
        log.push_back(name + ".wheel");
        lastPoint = where;
        lastDistance = distance;
        hadContext = context != nullptr;
        return true;
    }
    bool onFilesDropped(const char* const*, std::int32_t, std::int32_t, GuiPoint) override {
        log.push_back(name + ".drop");
        return answer != -1;
    }

    // Public, so tests may also keep one on the stack (as a modal or focus child the frame does not own).
    ~RecordingView() override { log.push_back(name + ".destroyed"); }

    GuiPoint lastPoint;
    float lastDistance = 0.0f;
    bool hadContext = false;

private:
    std::string name;
    std::vector<std::string>& log;
    int answer;
};

// A control that paints a solid colour over its bounds and counts its paints.
class SolidControl : public GuiControl {
public:
    SolidControl(const GuiRect& rect, GuiColor fill) : GuiControl(rect, nullptr, -1, nullptr), color(fill) {}

    void paint(GuiDrawContext& context) override {
        ++paints;
        context.setBrushColor(color);
        context.setPenColor(color);
        context.fillRectInterior(bounds);
        context.outlineRect(bounds);
        setNeedsRedraw(false);
    }

    GuiColor color;
    int paints = 0;

protected:
    ~SolidControl() override = default;
};

} // namespace chorus::test

#pragma once

#include "gui/core/GuiKeyRecord.h"
#include "gui/core/GuiRect.h"

#include <cstdint>

namespace chorus {

class GuiFrameOwner;
class GuiDrawContext;
class GuiFrame;

// What a drop hands to onFilesDropped: for dropFileList, data is an array of count path strings; for
// dropTextBlock, data points to one pointer to the text and count is the block's size in bytes.
enum DropKind : std::int32_t { dropFileList = 0, dropTextBlock = 1 };

// Base of everything placed in the editor window: a reference-counted rectangle that paints itself and
// takes mouse presses, wheel turns, keys and drops. Created with count 1; that reference passes to the frame
// when the view is added. Destroyed only through the last release (the destructor is protected).
class GuiView {
public:
    explicit GuiView(const GuiRect& bounds);

    GuiView(const GuiView&) = delete;
    GuiView& operator=(const GuiView&) = delete;

    virtual void paint(GuiDrawContext& context);
    virtual void paintRegion(GuiDrawContext& context, const GuiRect& rect);
    // Edges that only touch count as touching.
    virtual bool touchesRect(const GuiRect& rect) const;
    virtual void onMouseDown(GuiDrawContext& context, GuiPoint where);
    virtual void repaintIfNeeded(GuiDrawContext& context);
    virtual bool receiveMessage(GuiView* sender, const char* message);
    // Key answers: -1 means not handled.
    virtual std::int32_t onKeyPressed(const GuiKeyRecord& key);
    virtual std::int32_t onKeyReleased(const GuiKeyRecord& key);
    virtual bool onFilesDropped(const char* const* data, std::int32_t count, std::int32_t kind,
                                GuiPoint where);
    virtual bool onWheelTurned(GuiDrawContext* context, GuiPoint where, float distance);
    virtual void focusLost(GuiDrawContext* context);
    virtual void focusGained(GuiDrawContext* context);
    virtual bool needsRedraw() const;
    virtual void setNeedsRedraw(bool needed);
    virtual void setAcceptsMouse(bool accepts);
    virtual bool acceptsMouse() const;
    virtual void setMouseArea(const GuiRect& rect);
    virtual void getMouseArea(GuiRect& out) const;
    // Inside bounds, all four edges included.
    virtual bool containsPoint(GuiPoint point) const;
    virtual void setDrawsTransparent(bool transparent);
    virtual bool drawsTransparent() const;
    // Changes bounds (not the mouse area) and asks for a redraw.
    virtual void setBounds(const GuiRect& rect);
    virtual void getBounds(GuiRect& out) const;
    virtual void setOwnerFrame(GuiFrame* frame);
    virtual void setOwnerView(GuiView* view);
    // The editor that owns the frame this view is in, or null.
    virtual GuiFrameOwner* getOwnerEditor() const;
    virtual bool onDetached(GuiFrame* container);
    virtual bool onAttached(GuiFrame* container);
    virtual void release();
    virtual void retain();
    virtual std::int32_t getRetainCount() const;

    // Paints this view at once through its frame (nothing without a frame).
    void redrawNow();

    GuiFrame* getOwnerFrame() const noexcept { return ownerFrame; }
    GuiView* getOwnerView() const noexcept { return ownerView; }
    const GuiRect& getBounds() const noexcept { return bounds; }

protected:
    virtual ~GuiView();

    std::int32_t refCount = 1;
    GuiRect bounds;
    GuiRect mouseArea;
    GuiFrame* ownerFrame = nullptr;
    GuiView* ownerView = nullptr;
    bool redrawFlag = false;
    bool mouseAccepted = true;
    bool transparent = false;
};

} // namespace chorus

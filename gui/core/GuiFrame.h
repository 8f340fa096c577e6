#pragma once

#include "gui/core/GuiNativeHandles.h"
#include "gui/core/GuiOleScope.h"
#include "gui/core/GuiScale.h"
#include "gui/core/GuiView.h"

#include <array>
#include <cstdint>
#include <vector>

namespace chorus {

class GuiBitmap;
class GuiDropTarget;

enum CursorShape : std::int32_t {
    cursorDefault = 0, // the cursor in use before the frame first changed it
    cursorWait = 1,
    cursorResizeWE = 2,
    cursorResizeNS = 3,
    cursorMove = 4,
    cursorResizeNESW = 5,
    cursorResizeNWSE = 6,
};

// The root view of an editor: owns the native child window inside the host's window and the child views
// (painted in insertion order, so later children lie on top), routes presses, wheel turns, keys and drops
// to them, tracks a focus child and a modal child, and turns a control's edit start and end into the
// owner's edit notices for the parameters linked to the control's tag.
// There is no mouse-move or capture handling: a pressed view polls the mouse until the button is released.
// A zoomed frame's window is its bounds times the zoom; the views keep logical coordinates, and every
// position the frame takes from the window (presses, the cursor, damaged areas) is made logical first.
class GuiFrame : public GuiView {
public:
    static constexpr std::int32_t childGrowth = 20;    // entries added when the child array is full
    static constexpr std::int32_t maxLinksPerTag = 20; // parameters one tag can stand for
    static constexpr std::int32_t tagTableSlack = 20;  // spare tags allocated past the highest linked one

    // A null parent makes a frame without a window; it must not be painted, idled or given cursors.
    GuiFrame(const GuiRect& bounds, GuiWindowHandle parent, GuiFrameOwner* editor, GuiScale scale = {});

    void paint(GuiDrawContext& context) override;
    // Restores the background inside rect only and paints the children that touch it.
    void paintRegion(GuiDrawContext& context, const GuiRect& rect) override;
    void onMouseDown(GuiDrawContext& context, GuiPoint where) override;
    void repaintIfNeeded(GuiDrawContext& context) override;
    std::int32_t onKeyPressed(const GuiKeyRecord& key) override;
    std::int32_t onKeyReleased(const GuiKeyRecord& key) override;
    bool onFilesDropped(const char* const* data, std::int32_t count, std::int32_t kind,
                        GuiPoint where) override;
    // Without a context one is made on the window; the cursor position is used, not where.
    bool onWheelTurned(GuiDrawContext* context, GuiPoint where, float distance) override;
    GuiFrameOwner* getOwnerEditor() const override;

    // The creator's reference passes to the frame.
    virtual bool addChild(GuiView* view);
    // True whether or not the view was a child.
    virtual bool removeChild(GuiView* view, bool releaseView);
    virtual bool addLinkedChild(GuiView* view, std::int32_t tag, std::int32_t count,
                                const std::int32_t* parameters);
    // Negative tags link nothing; counts are limited to maxLinksPerTag.
    virtual bool linkTag(std::int32_t tag, std::int32_t count, const std::int32_t* parameters);
    virtual bool removeAllChildren(bool releaseViews);
    virtual bool hasChild(const GuiView* view) const;
    virtual std::int32_t getChildCount() const;
    virtual GuiView* getChild(std::int32_t index) const;

    void setBackgroundBitmap(GuiBitmap* bitmap);
    GuiBitmap* getBackgroundBitmap() const noexcept { return backgroundBitmap; }
    // Fails (false, nothing changed) while another modal child is set; null always succeeds.
    bool setModalChild(GuiView* view);
    GuiView* getModalChild() const noexcept { return modalChild; }
    void setFocusChild(GuiView* view);
    GuiView* getFocusChild() const noexcept { return focusChild; }
    GuiView* findChildUnderCursor();
    void getCursorInWindow(GuiPoint& out) const;
    void setCursorShape(std::int32_t shape);
    void notifyEditStart(std::int32_t tag);
    void notifyEditEnd(std::int32_t tag);
    // Paints now on the window: that child when it is one, else the whole frame.
    void redrawChild(GuiView* view);
    // The idle repaint: what needs it, once the first WM_PAINT has happened.
    void refreshIdle();
    bool anythingToRepaint() const;
    void requestIdle();
    std::int32_t getTicks() const;
    std::int32_t getRotaryMode() const;
    bool enableDropTarget(bool enable);

    GuiScale getScale() const noexcept { return scale; }
    GuiWindowHandle getWindow() const noexcept { return window; }
    GuiWindowHandle getParentWindow() const noexcept { return parentWindow; }
    GuiFrameOwner* getEditor() const noexcept { return editor; }
    bool isOpen() const noexcept { return open; }
    bool isFirstPaintPending() const noexcept { return firstPaintPending; }
    bool isDropEnabled() const noexcept { return dropEnabled; }

    // The window procedure's part: true when the message was handled, with its result.
    bool handleWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                             std::intptr_t& result);

    // Module-wide knob mode the host selects through the editor (2: linear dragging).
    static void setRotaryMode(std::int32_t mode) noexcept;

protected:
    ~GuiFrame() override;

private:
    struct TagLink {
        std::int32_t count = 0;
        std::array<std::int32_t, maxLinksPerTag> parameters{};
    };

    bool createNativeWindow(GuiWindowHandle parent);
    template <typename Send>
    void forEachLinkedParameter(std::int32_t tag, Send send) const;

    GuiFrameOwner* editor = nullptr;
    GuiWindowHandle parentWindow = nullptr;
    GuiScale scale;
    GuiBitmap* backgroundBitmap = nullptr;
    std::vector<GuiView*> children;
    std::int32_t childCapacity = 0;
    GuiView* modalChild = nullptr;
    GuiView* focusChild = nullptr;
    std::vector<TagLink> tagLinks;
    std::int32_t highestTag = -1;
    bool firstPaintPending = true;
    bool open = true;
    bool dropEnabled = false;
    GuiWindowHandle window = nullptr;
    GuiCursorHandle savedCursor = nullptr;
    bool cursorSaved = false;
    // Made before the window (its drop target needs OLE), ended after it.
    GuiOleScope ole;
};

} // namespace chorus

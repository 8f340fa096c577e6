#include "gui/core/GuiFrame.h"

#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiDrawContext.h"
#include "gui/core/GuiFrameOwner.h"
#include "gui/core/GuiModule.h"
#include "gui/core/GuiNativeEditOwner.h"
#include "gui/core/GuiPlatform.h"
#include "gui/core/GuiWindowClass.h"
#include "gui/core/GuiWindowDC.h"

#include <windows.h>

// COM interfaces have no virtual destructor by design; objects go through Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#include "gui/core/GuiDropTarget.h"
#pragma GCC diagnostic pop

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>

namespace chorus {

namespace {

std::int32_t rotaryMode = 0;

constexpr const char* windowTitle = "Window";

// BeginPaint and EndPaint as one scope.
class PaintScope {
public:
    explicit PaintScope(HWND forWindow) : window(forWindow) { dc = BeginPaint(window, &paint); }
    ~PaintScope() { EndPaint(window, &paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC get() const { return dc; }
    GuiRect area() const {
        return {paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom};
    }

private:
    HWND window;
    PAINTSTRUCT paint{};
    HDC dc = nullptr;
};

LPCSTR cursorResource(std::int32_t shape) {
    switch (shape) {
    case cursorWait:
        return MAKEINTRESOURCEA(32514); // IDC_WAIT
    case cursorResizeWE:
        return MAKEINTRESOURCEA(32644); // IDC_SIZEWE
    case cursorResizeNS:
        return MAKEINTRESOURCEA(32645); // IDC_SIZENS
    case cursorMove:
        return MAKEINTRESOURCEA(32646); // IDC_SIZEALL
    case cursorResizeNESW:
        return MAKEINTRESOURCEA(32643); // IDC_SIZENESW
    case cursorResizeNWSE:
        return MAKEINTRESOURCEA(32642); // IDC_SIZENWSE
    default:
        return nullptr;
    }
}

} // namespace

void GuiFrame::setRotaryMode(std::int32_t mode) noexcept {
    rotaryMode = mode;
}

GuiFrame::GuiFrame(const GuiRect& frameBounds, GuiWindowHandle parent, GuiFrameOwner* owner, GuiScale zoom)
    : GuiView(frameBounds), editor(owner), parentWindow(parent), scale(zoom) {
    createNativeWindow(parent);
}

GuiFrame::~GuiFrame() {
    setCursorShape(cursorDefault);
    enableDropTarget(false);
    removeAllChildren(true);
    if (backgroundBitmap != nullptr) {
        backgroundBitmap->release();
        backgroundBitmap = nullptr;
    }
    if (window != nullptr) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
        GuiWindowClass::unregisterClass();
    }
}

bool GuiFrame::createNativeWindow(GuiWindowHandle parent) {
    if (parent == nullptr) {
        return false;
    }
    GuiWindowClass::registerClass();
    window = CreateWindowExA(0, GuiWindowClass::name(), windowTitle, WS_CHILD | WS_VISIBLE, 0, 0,
                             scale.toDevice(bounds.width()), scale.toDevice(bounds.height()), parent, nullptr,
                             GuiModule::instance(), nullptr);
    if (window == nullptr) {
        GuiWindowClass::unregisterClass();
        return false;
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    enableDropTarget(true);
    return true;
}

bool GuiFrame::enableDropTarget(bool enable) {
    if (enable == dropEnabled) {
        return true;
    }
    if (window == nullptr) {
        return false;
    }
    if (enable) {
        auto* target = new (std::nothrow) GuiDropTarget(this);
        if (target == nullptr) {
            return false;
        }
        // The registration takes the first reference; without it the target must go again.
        target->AddRef();
        const bool registered = RegisterDragDrop(window, target) == S_OK;
        target->Release();
        if (!registered) {
            return false;
        }
    } else {
        RevokeDragDrop(window);
    }
    dropEnabled = enable;
    return true;
}

bool GuiFrame::handleWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                   std::intptr_t& result) {
    switch (message) {
    case WM_DESTROY:
        open = false;
        parentWindow = nullptr;
        return false;
    case WM_PAINT: {
        if (!GetUpdateRect(window, nullptr, FALSE)) {
            return false;
        }
        PaintScope scope(window);
        GuiDrawContext context(this, scope.get(), window);
        paintRegion(context, scale.coveringLogical(scope.area()));
        result = 0;
        return true;
    }
    case WM_CTLCOLOREDIT: {
        auto* owner = dynamic_cast<GuiNativeEditOwner*>(focusChild);
        if (owner == nullptr) {
            return false;
        }
        auto* editDC = reinterpret_cast<HDC>(wParam);
        const GuiColor fill = owner->getEditFillColor();
        SetTextColor(editDC, owner->getEditTextColor().toColorRef());
        SetBkColor(editDC, fill.toColorRef());
        owner->editBackgroundBrush().reset(CreateSolidBrush(fill.toColorRef()));
        result = reinterpret_cast<std::intptr_t>(owner->editBackgroundBrush().get());
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        GuiWindowDC windowDC(window);
        GuiDrawContext context(this, windowDC.get(), window);
        const auto position = static_cast<std::uint32_t>(lParam);
        onMouseDown(context, scale.toLogical(GuiPoint{static_cast<std::int32_t>(position & 0xFFFFu),
                                                      static_cast<std::int32_t>(position >> 16)}));
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

void GuiFrame::paint(GuiDrawContext& context) {
    firstPaintPending = false;
    if (backgroundBitmap != nullptr) {
        backgroundBitmap->blit(context, {0, 0, backgroundBitmap->getWidth(), backgroundBitmap->getHeight()},
                               {0, 0});
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        children[i]->paint(context);
    }
    if (modalChild != nullptr) {
        modalChild->paint(context);
    }
}

void GuiFrame::paintRegion(GuiDrawContext& context, const GuiRect& rect) {
    firstPaintPending = false;
    if (backgroundBitmap != nullptr) {
        backgroundBitmap->blit(context, rect, {rect.left, rect.top});
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i]->touchesRect(rect)) {
            children[i]->paintRegion(context, rect);
        }
    }
    if (modalChild != nullptr && modalChild->touchesRect(rect)) {
        modalChild->paint(context);
    }
}

void GuiFrame::onMouseDown(GuiDrawContext& context, GuiPoint where) {
    if (focusChild != nullptr) {
        // A click anywhere ends text editing.
        GuiView* losing = focusChild;
        losing->focusLost(nullptr);
        focusChild = nullptr;
    }
    if (modalChild != nullptr) {
        if (modalChild->containsPoint(where)) {
            modalChild->onMouseDown(context, where);
        }
        return;
    }
    for (auto i = children.size(); i-- > 0;) {
        GuiView* child = children[i];
        if (child->acceptsMouse() && child->containsPoint(where)) {
            child->onMouseDown(context, where);
            return;
        }
    }
}

void GuiFrame::repaintIfNeeded(GuiDrawContext& context) {
    if (!open) {
        return;
    }
    if (modalChild != nullptr) {
        modalChild->repaintIfNeeded(context);
    } else if (needsRedraw()) {
        paint(context);
        setNeedsRedraw(false);
    } else {
        for (std::size_t i = 0; i < children.size(); ++i) {
            children[i]->repaintIfNeeded(context);
        }
    }
}

std::int32_t GuiFrame::onKeyPressed(const GuiKeyRecord& key) {
    if (focusChild != nullptr) {
        if (const std::int32_t answer = focusChild->onKeyPressed(key); answer != -1) {
            return answer;
        }
    }
    if (modalChild != nullptr) {
        if (const std::int32_t answer = modalChild->onKeyPressed(key); answer != -1) {
            return answer;
        }
    }
    for (auto i = children.size(); i-- > 0;) {
        if (const std::int32_t answer = children[i]->onKeyPressed(key); answer != -1) {
            return answer;
        }
    }
    return -1;
}

std::int32_t GuiFrame::onKeyReleased(const GuiKeyRecord& key) {
    if (focusChild != nullptr) {
        if (const std::int32_t answer = focusChild->onKeyReleased(key); answer != -1) {
            return answer;
        }
    }
    if (modalChild != nullptr) {
        if (const std::int32_t answer = modalChild->onKeyReleased(key); answer != -1) {
            return answer;
        }
    }
    for (auto i = children.size(); i-- > 0;) {
        if (const std::int32_t answer = children[i]->onKeyReleased(key); answer != -1) {
            return answer;
        }
    }
    return -1;
}

bool GuiFrame::onFilesDropped(const char* const* data, std::int32_t count, std::int32_t kind,
                              GuiPoint where) {
    if (modalChild != nullptr || focusChild != nullptr) {
        return false;
    }
    for (auto i = children.size(); i-- > 0;) {
        GuiView* child = children[i];
        if (child->acceptsMouse() && child->getBounds().contains(where) &&
            child->onFilesDropped(data, count, kind, where)) {
            return true;
        }
    }
    return false;
}

bool GuiFrame::onWheelTurned(GuiDrawContext* context, GuiPoint, float distance) {
    GuiView* target = findChildUnderCursor();
    if (target == nullptr) {
        return false;
    }
    GuiPoint point;
    getCursorInWindow(point);
    if (context != nullptr) {
        return target->onWheelTurned(context, point, distance);
    }
    GuiWindowDC windowDC(window);
    GuiDrawContext temporary(this, windowDC.get(), window);
    return target->onWheelTurned(&temporary, point, distance);
}

GuiFrameOwner* GuiFrame::getOwnerEditor() const {
    return editor;
}

bool GuiFrame::addChild(GuiView* view) {
    if (view == nullptr) {
        return false;
    }
    if (static_cast<std::int32_t>(children.size()) >= childCapacity) {
        try {
            children.reserve(static_cast<std::size_t>(childCapacity) + childGrowth);
            childCapacity += childGrowth;
        } catch (const std::exception&) {
            childCapacity = 0;
            return false;
        }
    }
    children.push_back(view);
    view->setOwnerFrame(this);
    view->onAttached(this);
    return true;
}

bool GuiFrame::removeChild(GuiView* view, bool releaseView) {
    const auto found = std::find(children.begin(), children.end(), view);
    if (found == children.end()) {
        return true;
    }
    // Forget every role the view played before it may be freed.
    if (focusChild == view) {
        view->focusLost(nullptr);
        focusChild = nullptr;
    }
    if (modalChild == view) {
        modalChild = nullptr;
    }
    view->onDetached(this);
    if (const auto at = std::find(children.begin(), children.end(), view); at != children.end()) {
        children.erase(at);
    }
    if (releaseView) {
        view->release();
    }
    return true;
}

bool GuiFrame::addLinkedChild(GuiView* view, std::int32_t tag, std::int32_t count,
                              const std::int32_t* parameters) {
    if (!addChild(view)) {
        return false;
    }
    linkTag(tag, count, parameters);
    return true;
}

bool GuiFrame::linkTag(std::int32_t tag, std::int32_t count, const std::int32_t* parameters) {
    if (tag < 0) {
        return false;
    }
    if (tag > highestTag) {
        const std::int64_t newHighest = static_cast<std::int64_t>(tag) + tagTableSlack;
        try {
            if (newHighest >= INT32_MAX) {
                throw std::length_error("tag");
            }
            tagLinks.resize(static_cast<std::size_t>(newHighest) + 1);
            highestTag = static_cast<std::int32_t>(newHighest);
        } catch (const std::exception&) {
            highestTag =
                tagLinks.empty() ? -1 : std::min(highestTag, static_cast<std::int32_t>(tagLinks.size()) - 1);
            return false;
        }
    }
    const std::int32_t used = parameters == nullptr ? 0 : std::clamp(count, 0, maxLinksPerTag);
    TagLink& link = tagLinks[static_cast<std::size_t>(tag)];
    link.count = used;
    std::copy_n(parameters, used, link.parameters.begin());
    return true;
}

bool GuiFrame::removeAllChildren(bool releaseViews) {
    if (focusChild != nullptr) {
        GuiView* losing = focusChild;
        losing->focusLost(nullptr);
        focusChild = nullptr;
    }
    // Taken out first, so that nothing reached from a detaching view sees a half-emptied array.
    std::vector<GuiView*> leaving;
    leaving.swap(children);
    childCapacity = 0;
    for (GuiView* child : leaving) {
        if (modalChild == child) {
            modalChild = nullptr;
        }
        child->onDetached(this);
        if (releaseViews) {
            child->release();
        }
    }
    tagLinks.clear();
    tagLinks.shrink_to_fit();
    highestTag = -1;
    return true;
}

bool GuiFrame::hasChild(const GuiView* view) const {
    return std::find(children.begin(), children.end(), view) != children.end();
}

std::int32_t GuiFrame::getChildCount() const {
    return static_cast<std::int32_t>(children.size());
}

GuiView* GuiFrame::getChild(std::int32_t index) const {
    if (index < 0 || index >= getChildCount()) {
        return nullptr;
    }
    return children[static_cast<std::size_t>(index)];
}

void GuiFrame::setBackgroundBitmap(GuiBitmap* bitmap) {
    GuiBitmap::assign(backgroundBitmap, bitmap);
}

bool GuiFrame::setModalChild(GuiView* view) {
    if (view != nullptr && modalChild != nullptr) {
        return false;
    }
    if (modalChild != nullptr) {
        modalChild->onDetached(this);
    }
    modalChild = view;
    if (modalChild != nullptr) {
        modalChild->onAttached(this);
    }
    return true;
}

void GuiFrame::setFocusChild(GuiView* view) {
    GuiView* previous = focusChild;
    focusChild = view;
    if (previous != nullptr && previous != view) {
        previous->focusLost(nullptr);
    }
}

GuiView* GuiFrame::findChildUnderCursor() {
    if (modalChild != nullptr) {
        return modalChild;
    }
    GuiPoint cursor;
    getCursorInWindow(cursor);
    for (auto i = children.size(); i-- > 0;) {
        if (children[i]->getBounds().contains(cursor)) {
            return children[i];
        }
    }
    return nullptr;
}

void GuiFrame::getCursorInWindow(GuiPoint& out) const {
    out = GuiPlatform::current().readScreenCursor();
    RECT screen{};
    if (window != nullptr && GetWindowRect(window, &screen)) {
        out = scale.toLogical(GuiPoint{out.h - screen.left, out.v - screen.top});
    }
}

void GuiFrame::setCursorShape(std::int32_t shape) {
    if (!cursorSaved) {
        savedCursor = GetCursor();
        cursorSaved = true;
    }
    if (shape == cursorDefault) {
        SetCursor(savedCursor);
        return;
    }
    if (LPCSTR resource = cursorResource(shape); resource != nullptr) {
        SetCursor(LoadCursorA(nullptr, resource));
    }
}

template <typename Send>
void GuiFrame::forEachLinkedParameter(std::int32_t tag, Send send) const {
    if (tag < 0) {
        return;
    }
    if (highestTag < 0) {
        send(tag);
        return;
    }
    if (tag > highestTag) {
        return;
    }
    const TagLink& link = tagLinks[static_cast<std::size_t>(tag)];
    for (std::int32_t i = 0; i < link.count; ++i) {
        send(link.parameters[static_cast<std::size_t>(i)]);
    }
}

void GuiFrame::notifyEditStart(std::int32_t tag) {
    if (editor != nullptr) {
        forEachLinkedParameter(tag, [this](std::int32_t parameter) { editor->beginEdit(parameter); });
    }
}

void GuiFrame::notifyEditEnd(std::int32_t tag) {
    if (editor != nullptr) {
        forEachLinkedParameter(tag, [this](std::int32_t parameter) { editor->endEdit(parameter); });
    }
}

void GuiFrame::redrawChild(GuiView* view) {
    if (window == nullptr) {
        return;
    }
    GuiWindowDC windowDC(window);
    GuiDrawContext context(this, windowDC.get(), window);
    if (view != nullptr && hasChild(view)) {
        view->paint(context);
    } else {
        paint(context);
    }
}

void GuiFrame::refreshIdle() {
    if (!open || firstPaintPending || window == nullptr) {
        return;
    }
    if (!anythingToRepaint()) {
        return;
    }
    GuiWindowDC windowDC(window);
    GuiDrawContext context(this, windowDC.get(), window);
    repaintIfNeeded(context);
}

bool GuiFrame::anythingToRepaint() const {
    if (modalChild != nullptr || needsRedraw()) {
        return true;
    }
    return std::any_of(children.begin(), children.end(),
                       [](const GuiView* child) { return child->needsRedraw(); });
}

void GuiFrame::requestIdle() {
    if (editor != nullptr) {
        editor->idlePump();
    }
}

std::int32_t GuiFrame::getTicks() const {
    return editor != nullptr ? static_cast<std::int32_t>(editor->ticks()) : 0;
}

std::int32_t GuiFrame::getRotaryMode() const {
    return rotaryMode;
}

} // namespace chorus

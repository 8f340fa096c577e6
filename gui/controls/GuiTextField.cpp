#include "gui/controls/GuiTextField.h"

#include "gui/controls/GuiEditGesture.h"
#include "gui/controls/GuiTemporaryContext.h"
#include "gui/core/GuiControlListener.h"
#include "gui/core/GuiFrame.h"
#include "gui/core/GuiModule.h"

#include <cstring>
#include <optional>
#include <windows.h>

namespace chorus {

namespace {

constexpr int editMaxCharacters = static_cast<int>(guiFieldTextSize) - 1;
constexpr LONG fontWeightNormal = 400;
constexpr BYTE swissVariablePitch = 34;
constexpr BYTE strokeClipPrecision = 2;
constexpr BYTE stringOutputPrecision = 1;

// All edit windows share the system's procedure, so one variable keeps it.
WNDPROC previousEditProc = nullptr;

bool shiftHeld() {
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

LRESULT CALLBACK editWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* field = reinterpret_cast<GuiTextField*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (field != nullptr && (message == WM_KILLFOCUS || message == WM_KEYDOWN)) {
        try {
            if (message == WM_KILLFOCUS || wParam == VK_RETURN) {
                field->focusLost(nullptr);
            } else if (wParam == VK_ESCAPE) {
                field->cancelEdit();
            } else if (wParam == VK_TAB) {
                field->editNeighbour(shiftHeld());
            }
        } catch (...) {
            // Nothing may leave a window procedure.
        }
    }
    // Ending the edit destroys this window: nothing is left to pass the message to.
    if (!IsWindow(window) || previousEditProc == nullptr) {
        return 0;
    }
    return CallWindowProcA(previousEditProc, window, message, wParam, lParam);
}

} // namespace

GuiTextField::GuiTextField(const GuiRect& rect, GuiControlListener* changeListener, std::int32_t controlTag,
                           const char* initialText, GuiBitmap* background, std::uint32_t style)
    : GuiValueDisplay(rect, changeListener, controlTag, background, style) {
    copyText(text, sizeof text, initialText);
    const UINT systemTime = GetDoubleClickTime();
    doubleClickTime = systemTime > static_cast<UINT>(minimumDoubleClickTime)
                          ? static_cast<std::int32_t>(systemTime)
                          : minimumDoubleClickTime;
}

GuiTextField::~GuiTextField() {
    // Destroyed while editing: the window goes without telling anyone.
    closeEditWindow();
}

void GuiTextField::closeEditWindow() noexcept {
    if (editWindow != nullptr) {
        HWND window = editWindow;
        editWindow = nullptr;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
    editFont.reset();
    editBrush.reset();
}

void GuiTextField::setText(const char* newText) {
    if (newText == nullptr) {
        return;
    }
    char copy[guiFieldTextSize];
    copyText(copy, sizeof copy, newText);
    if (std::strcmp(copy, text) != 0) {
        std::memcpy(text, copy, sizeof text);
        setNeedsRedraw(true);
    }
}

void GuiTextField::getText(char* out, std::size_t size) const {
    copyText(out, size, text);
}

void GuiTextField::setTextConverter(TextConverter converter, void* data) {
    textConverter = converter;
    converterData = data;
}

void GuiTextField::setPlainTextConverter(PlainTextConverter converter) {
    plainTextConverter = converter;
}

void GuiTextField::displayText(char* display, std::size_t size) {
    display[0] = '\0';
    if (textConverter != nullptr) {
        textConverter(text, sizeof text, display, size, converterData);
    } else if (plainTextConverter != nullptr) {
        plainTextConverter(text, sizeof text, display, size);
    } else {
        copyText(display, size, text);
    }
    display[size - 1] = '\0';
    text[sizeof text - 1] = '\0';
}

void GuiTextField::paint(GuiDrawContext& context) {
    if (editWindow != nullptr) {
        return; // the edit window covers the field
    }
    char display[guiDisplayBufferSize];
    displayText(display, sizeof display);
    paintText(context, display);
}

bool GuiTextField::isDoubleClick() {
    const std::int32_t now = ownerFrame != nullptr ? ownerFrame->getTicks() : 0;
    if (lastClickTime > 0 &&
        static_cast<std::int64_t>(now) < static_cast<std::int64_t>(lastClickTime) + doubleClickTime) {
        lastClickTime = 0;
        return true;
    }
    lastClickTime = now;
    return false;
}

bool GuiTextField::acceptsText(const char*) const {
    return true;
}

void GuiTextField::cancelEdit() {
    if (editWindow != nullptr) {
        SetWindowTextA(editWindow, text);
    }
    focusLost(nullptr);
}

void GuiTextField::editNeighbour(bool previous) {
    focusLost(nullptr);
    if (ownerFrame == nullptr) {
        return;
    }
    const std::int32_t count = ownerFrame->getChildCount();
    std::int32_t self = 0;
    while (self < count && ownerFrame->getChild(self) != this) {
        ++self;
    }
    if (self == count) {
        return;
    }
    const std::int32_t step = previous ? count - 1 : 1;
    for (std::int32_t i = (self + step) % count; i != self; i = (i + step) % count) {
        auto* field = dynamic_cast<GuiTextField*>(ownerFrame->getChild(i));
        if (field != nullptr && field->acceptsMouse()) {
            ownerFrame->setFocusChild(field);
            field->focusGained(nullptr);
            return;
        }
    }
}

void GuiTextField::onMouseDown(GuiDrawContext& context, GuiPoint) {
    if (!acceptsMouse() || (context.readMouseState() & mousePrimary) == 0) {
        return;
    }
    const GuiEditGesture gesture(*this);
    if (ownerFrame == nullptr || ownerFrame->getFocusChild() == this) {
        return;
    }
    if ((displayStyle & displayEditOnDoubleClick) != 0 && !isDoubleClick()) {
        return;
    }
    ownerFrame->setFocusChild(this);
    focusGained(&context);
}

void GuiTextField::focusGained(GuiDrawContext* context) {
    HWND parent = ownerFrame != nullptr ? ownerFrame->getWindow() : nullptr;
    if (parent == nullptr || editWindow != nullptr) {
        return;
    }
    GuiRect area = bounds;
    if (context != nullptr) {
        area = area.offsetBy(context->getDrawOffset());
    }
    // The edit window lies over the field at the frame's zoom, its text as large as the field's.
    const GuiScale scale = ownerFrame->getScale();
    area = scale.toDevice(area);
    const std::int32_t pixel = scale.toDevice(1);
    DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
    if (alignment == alignCenter) {
        style |= ES_CENTER;
    } else if (alignment == alignRight) {
        style |= ES_RIGHT;
    }
    HWND window = CreateWindowExA(0, "EDIT", text, style, area.left, area.top, area.width() + pixel,
                                  area.height() + pixel, parent, nullptr, GuiModule::instance(), nullptr);
    if (window == nullptr) {
        return;
    }
    editWindow = window;

    LOGFONTA font{};
    font.lfHeight = -scale.lengthToDevice(GuiDrawContext::fontDefaultSize(textFont));
    font.lfWeight = fontWeightNormal;
    font.lfPitchAndFamily = swissVariablePitch;
    font.lfClipPrecision = strokeClipPrecision;
    font.lfOutPrecision = stringOutputPrecision;
    lstrcpynA(font.lfFaceName, GuiDrawContext::fontFace(textFont), LF_FACESIZE);
    editFont.reset(CreateFontIndirectA(&font));

    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(editFont.get()), TRUE);
    SendMessageA(window, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    SendMessageA(window, EM_SETSEL, 0, -1);
    SendMessageA(window, EM_LIMITTEXT, editMaxCharacters, 0);
    SetFocus(window);
    previousEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&editWindowProc)));
}

void GuiTextField::focusLost(GuiDrawContext* context) {
    // Closing destroys the window, which loses the focus and calls back here: only the first call works.
    if (editWindow == nullptr || closing) {
        return;
    }
    struct ClosingScope {
        bool& flag;
        explicit ClosingScope(bool& f) : flag(f) { flag = true; }
        ~ClosingScope() { flag = false; }
    };
    std::optional<ClosingScope> scope(std::in_place, closing);
    if (ownerFrame != nullptr && ownerFrame->getFocusChild() == this) {
        ownerFrame->setFocusChild(nullptr);
    }
    char before[guiFieldTextSize];
    std::memcpy(before, text, sizeof text);
    // The whole buffer: all 255 characters the edit window accepts come back.
    if (GetWindowTextA(editWindow, text, static_cast<int>(sizeof text)) <= 0) {
        text[0] = '\0';
    }
    text[sizeof text - 1] = '\0';
    if (!acceptsText(text)) {
        std::memcpy(text, before, sizeof text);
        setNeedsRedraw(true); // the edit window covered the field
    }
    closeEditWindow();

    if (std::strcmp(before, text) != 0 && listener != nullptr) {
        if (context != nullptr) {
            listener->controlChanged(*context, this);
        } else {
            GuiTemporaryContext temporary(ownerFrame);
            if (ownerView != nullptr) {
                const GuiRect& owner = ownerView->getBounds();
                temporary.get().setDrawOffset(GuiPoint{owner.left, owner.top});
            }
            listener->controlChanged(temporary.get(), this);
        }
    }
    scope.reset();
    if (ownerView != nullptr) {
        ownerView->receiveMessage(this, focusLostMessage);
    } else if (ownerFrame != nullptr) {
        ownerFrame->receiveMessage(this, focusLostMessage);
    }
}

} // namespace chorus

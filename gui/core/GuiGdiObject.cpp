#include "gui/core/GuiGdiObject.h"

#include "gui/core/GuiGdiCounter.h"

#include <utility>
#include <windows.h>

namespace chorus {

GuiGdiObject::GuiGdiObject(GuiObjectHandle adopted) noexcept {
    reset(adopted);
}

GuiGdiObject::~GuiGdiObject() {
    reset();
}

GuiGdiObject::GuiGdiObject(GuiGdiObject&& other) noexcept : handle(std::exchange(other.handle, nullptr)) {}

GuiGdiObject& GuiGdiObject::operator=(GuiGdiObject&& other) noexcept {
    if (this != &other) {
        reset();
        handle = std::exchange(other.handle, nullptr);
    }
    return *this;
}

void GuiGdiObject::reset(GuiObjectHandle adopted) noexcept {
    if (adopted == handle) {
        return;
    }
    if (handle != nullptr) {
        DeleteObject(handle);
        GuiGdiCounter::closed();
    }
    handle = adopted;
    if (handle != nullptr) {
        GuiGdiCounter::opened();
    }
}

} // namespace chorus

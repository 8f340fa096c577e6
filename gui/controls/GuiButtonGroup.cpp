#include "gui/controls/GuiButtonGroup.h"

#include "gui/controls/GuiEditGesture.h"
#include "gui/controls/GuiGroupButton.h"
#include "gui/core/GuiBitmap.h"

#include <algorithm>

namespace chorus {

GuiButtonGroup::GuiButtonGroup(const GuiRect& rect, GuiControlListener* changeListener,
                               std::int32_t controlTag, std::int32_t count, const std::int32_t* xPositions,
                               const std::int32_t* yPositions, GuiBitmap* const* bitmaps)
    : GuiControl(rect, changeListener, controlTag, nullptr) {
    if (count < 0 || xPositions == nullptr || yPositions == nullptr || bitmaps == nullptr) {
        count = 0;
    }
    // One member (or none) has no neighbour to measure a step to.
    step = count >= 2 ? 1.0f / static_cast<float>(count - 1) : 1.0f;
    members.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        GuiBitmap* bitmap = bitmaps[i];
        const std::int32_t width = bitmap != nullptr ? bitmap->getWidth() : 0;
        const std::int32_t height = bitmap != nullptr ? bitmap->getHeight() / 2 : 0;
        const std::int32_t x0 = xPositions[i];
        const std::int32_t y0 = yPositions[i];
        const GuiRect memberRect{std::min(x0, x0 + width), std::min(y0, y0 + height),
                                 std::max(x0, x0 + width), std::max(y0, y0 + height)};
        auto* member = new GuiGroupButton(memberRect, this, i, bitmap);
        member->setOwnerFrame(ownerFrame);
        members.push_back(member);
    }
    if (!members.empty()) {
        members.front()->setValue(1.0f);
    }
}

GuiButtonGroup::~GuiButtonGroup() {
    for (GuiGroupButton* member : members) {
        member->release();
    }
}

GuiGroupButton* GuiButtonGroup::getMember(std::int32_t index) const noexcept {
    if (index < 0 || index >= getCount()) {
        return nullptr;
    }
    return members[static_cast<std::size_t>(index)];
}

std::int32_t GuiButtonGroup::litMember() const {
    for (std::int32_t i = 0; i < getCount(); ++i) {
        if (members[static_cast<std::size_t>(i)]->getValue() != 0.0f) {
            return i;
        }
    }
    return -1;
}

void GuiButtonGroup::paint(GuiDrawContext& context) {
    for (GuiGroupButton* member : members) {
        member->paint(context);
    }
}

void GuiButtonGroup::onMouseDown(GuiDrawContext& context, GuiPoint where) {
    const GuiEditGesture gesture(*this);
    for (GuiGroupButton* member : members) {
        if (member->getBounds().contains(where)) {
            member->onMouseDown(context, where);
        }
    }
}

void GuiButtonGroup::setValue(float newValue) {
    if (newValue == value) {
        return;
    }
    for (GuiGroupButton* member : members) {
        member->setValue(0.0f);
    }
    for (std::size_t i = 0; i < members.size(); ++i) {
        if ((static_cast<float>(i) + 0.5f) * step > newValue) {
            members[i]->setValue(1.0f);
            break;
        }
    }
    value = newValue;
}

void GuiButtonGroup::controlChanged(GuiDrawContext& context, GuiControl* member) {
    for (GuiGroupButton* each : members) {
        each->setValue(0.0f);
    }
    const std::int32_t index = member != nullptr ? member->getTag() : -1;
    if (index >= 0 && index < getCount()) {
        members[static_cast<std::size_t>(index)]->setValue(1.0f);
        const float newValue = static_cast<float>(index) * step;
        if (newValue != value) {
            value = newValue;
            if (listener != nullptr) {
                listener->controlChanged(context, this);
            }
        }
    }
    paint(context);
}

} // namespace chorus

#include "tests/gui/TestHost.h"

#include "gui/core/GuiFrame.h"

#include <windows.h>

namespace chorus::test {

namespace {

std::vector<HostCall> recorded;
RecordingEffect* current = nullptr;

intptr_t CHORUS_CDECL recordHostCall(EffectDescriptor*, int32_t opcode, int32_t index, intptr_t, void*,
                                     float) {
    recorded.push_back({opcode, index});
    if (current != nullptr && current->onCall) {
        current->onCall(opcode);
    }
    return 0;
}

constexpr const char* hostClassName = "ChorusTestHostWindow";

void registerHostClass() {
    static bool registered = false;
    if (registered) {
        return;
    }
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = hostClassName;
    RegisterClassA(&windowClass);
    registered = true;
}

} // namespace

RecordingEffect::RecordingEffect() : PluginBaseEx(recordHostCall, 1, 5) {
    recorded.clear();
    current = this;
}

RecordingEffect::~RecordingEffect() {
    current = nullptr;
}

std::vector<HostCall> RecordingEffect::calls(int32_t opcode) const {
    std::vector<HostCall> selected;
    for (const HostCall& call : recorded) {
        if (opcode < 0 || call.opcode == opcode) {
            selected.push_back(call);
        }
    }
    return selected;
}

void RecordingEffect::clearCalls() {
    recorded.clear();
}

FrameFixture::FrameFixture(GuiWindowHandle parent, GuiRect bounds) {
    frame = new GuiFrame(bounds, parent, &editor);
    editor.setFrame(frame);
}

FrameFixture::~FrameFixture() {
    editor.closeFrame();
    effect.setEditor(nullptr); // the editor is a member here, not the effect's to delete
}

std::vector<std::string> FrameFixture::gestures() const {
    std::vector<std::string> result;
    for (const HostCall& call : effect.calls()) {
        if (call.opcode == hostOpBeginGesture || call.opcode == hostOpEndGesture) {
            result.push_back((call.opcode == hostOpBeginGesture ? "b" : "e") + std::to_string(call.index));
        }
    }
    return result;
}

HostWindow::HostWindow(int x, int y, int width, int height) {
    registerHostClass();
    window = CreateWindowExA(0, hostClassName, "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                             height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    pumpMessages();
}

HostWindow::~HostWindow() {
    destroy();
}

void HostWindow::destroy() {
    if (window != nullptr) {
        DestroyWindow(window);
        window = nullptr;
        pumpMessages();
    }
}

void pumpMessages() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace chorus::test

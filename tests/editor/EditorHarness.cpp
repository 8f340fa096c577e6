#include "tests/editor/EditorHarness.h"

#include "gui/controls/GuiNumberField.h"
#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiFrame.h"
#include "plugin/PluginAbi.h"

#include <windows.h>

namespace chorus::test {

namespace {

constexpr int32_t hostVersion = 2400;

intptr_t CHORUS_CDECL recordRequest(EffectDescriptor*, int32_t opcode, int32_t index, intptr_t value, void*,
                                    float opt) {
    EditorHarness::requests().push_back({opcode, index, value, opt});
    switch (opcode) {
    case hostOpVersion:
        return hostVersion;
    case hostOpBeginGesture:
    case hostOpEndGesture:
        return 1;
    default:
        return 0;
    }
}

// A memory DC for one scope.
struct MemoryDC {
    HDC dc;
    explicit MemoryDC(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDC() { DeleteDC(dc); }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
};

std::vector<GuiColor> readPixels(HDC source, HBITMAP bitmap, int width, int height) {
    std::vector<GuiColor> pixels;
    if (width <= 0 || height <= 0) {
        return pixels;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    if (GetDIBits(source, bitmap, 0, static_cast<UINT>(height), bits.data(), &info, DIB_RGB_COLORS) == 0) {
        return pixels;
    }
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = GuiColor{bits[i * 4 + 2], bits[i * 4 + 1], bits[i * 4], 0};
    }
    return pixels;
}

} // namespace

std::vector<HostRequest>& EditorHarness::requests() {
    static std::vector<HostRequest> recorded;
    return recorded;
}

std::vector<HostRequest> EditorHarness::requests(int32_t opcode) {
    std::vector<HostRequest> selected;
    for (const HostRequest& r : requests()) {
        if (r.opcode == opcode) {
            selected.push_back(r);
        }
    }
    return selected;
}

EditorHarness::EditorHarness(int width, int height) {
    clearRequests();
    host = std::make_unique<HostWindow>(windowX, windowY, width, height);
    plugin = std::make_unique<ChorusEffect>(recordRequest);
    plugin->initialise();
    // The module's factory is not linked here: the editor is attached the way that factory does it.
    chorusEditor = new ChorusEditor(plugin.get(), plugin->parameterSet());
    open();
}

EditorHarness::~EditorHarness() {
    close();
    plugin.reset();
    host.reset();
}

GuiWindowHandle EditorHarness::editorWindow() const {
    GuiFrame* frame = chorusEditor->getFrame();
    return frame != nullptr ? frame->getWindow() : nullptr;
}

intptr_t EditorHarness::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    EffectDescriptor* d = plugin->descriptor();
    return d->dispatchEntry(d, opcode, index, value, ptr, opt);
}

void EditorHarness::setParameter(int32_t index, float value) {
    EffectDescriptor* d = plugin->descriptor();
    d->setParamEntry(d, index, value);
}

bool EditorHarness::open() {
    const bool opened = dispatch(opEditorOpen, 0, 0, host->get()) != 0;
    pumpMessages();
    return opened;
}

void EditorHarness::close() {
    dispatch(opEditorClose);
    pumpMessages();
}

void EditorHarness::drag(GuiPoint from, const std::vector<GuiPoint>& moves, std::uint32_t modifiers) {
    const auto screen = [](GuiPoint p) { return GuiPoint{p.h + windowX, p.v + windowY}; };
    const std::uint32_t down = GuiPlatform::physicalLeft | modifiers;
    std::vector<ScriptedPlatform::Step> steps;
    steps.push_back({down, screen(from)});
    steps.push_back({down, screen(from)});
    for (const GuiPoint& p : moves) {
        steps.push_back({down, screen(p)});
        steps.push_back({down, screen(p)});
    }
    const GuiPoint last = moves.empty() ? from : moves.back();
    steps.push_back({0, screen(last)});
    platform.script(steps);
    platform.setCursor(screen(from));
    SendMessageA(editorWindow(), WM_LBUTTONDOWN, MK_LBUTTON,
                 static_cast<LPARAM>(MAKELONG(static_cast<WORD>(from.h), static_cast<WORD>(from.v))));
    pumpMessages();
}

bool EditorHarness::typeInto(GuiPoint at, GuiNumberField* field, const char* text) {
    click(at);
    if (!field->isEditing()) {
        return false;
    }
    SetWindowTextA(field->getEditWindow(), text);
    SendMessageA(field->getEditWindow(), WM_KEYDOWN, VK_RETURN, 0);
    pumpMessages();
    return true;
}

void EditorHarness::idle() {
    pumpMessages();
    dispatch(opEditorIdle);
    pumpMessages();
}

std::vector<GuiColor> EditorHarness::capture(int& width, int& height) {
    HWND window = editorWindow();
    RECT client{};
    GetClientRect(window, &client);
    width = client.right;
    height = client.bottom;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages();
    HDC dc = GetDC(window);
    MemoryDC memory(dc);
    HBITMAP copy = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ previous = SelectObject(memory.dc, copy);
    BitBlt(memory.dc, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(memory.dc, previous);
    std::vector<GuiColor> pixels = readPixels(memory.dc, copy, width, height);
    DeleteObject(copy);
    ReleaseDC(window, dc);
    return pixels;
}

std::vector<GuiColor> bitmapPixels(const GuiBitmap* bitmap) {
    if (bitmap == nullptr) {
        return {};
    }
    HDC screen = GetDC(nullptr);
    std::vector<GuiColor> pixels =
        readPixels(screen, bitmap->getHandle(), bitmap->getWidth(), bitmap->getHeight());
    ReleaseDC(nullptr, screen);
    return pixels;
}

int childWindowCount(GuiWindowHandle parent) {
    int count = 0;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        ++count;
    }
    return count;
}

} // namespace chorus::test

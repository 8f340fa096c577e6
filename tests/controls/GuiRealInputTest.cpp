#include "gui/controls/GuiKnob.h"
#include "tests/controls/ControlTestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace chorus {
namespace {

using test::RecordingListener;
using Strings = std::vector<std::string>;

constexpr DWORD inputTimeoutMs = 15000;

// Starts a program of the host system (Wine runs Unix programs too, but gives no handle to wait on).
bool startProgram(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string command = commandLine;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    if (process.hThread != nullptr) {
        CloseHandle(process.hThread);
    }
    if (process.hProcess != nullptr) {
        CloseHandle(process.hProcess);
    }
    return true;
}

std::string at(POINT p) {
    return std::to_string(p.x) + " " + std::to_string(p.y);
}

// The whole input path once: X pointer events from xdotool reach the frame's window as a press, and the
// knob's drag loop follows the live pointer until the button comes up.
TEST(RealInput, XPointerDragTurnsAKnobInARealWindow) {
    test::HostWindow host(60, 60, 300, 260);
    test::FrameFixture fixture(host.get(), {0, 0, 300, 260});
    RecordingListener listener;
    auto* knob = new GuiKnob({100, 100, 150, 150}, &listener, 1, nullptr, nullptr, {0, 0});
    fixture.frame->addChild(knob);
    SetForegroundWindow(host.get());
    test::pumpMessages();

    RECT frameRect{};
    GetWindowRect(fixture.frame->getWindow(), &frameRect);
    auto screen = [&frameRect](int x, int y) { return POINT{frameRect.left + x, frameRect.top + y}; };
    // Right of the centre (5/6), over the top (1/2), to the left (1/6), then release.
    const std::string script = "/usr/bin/xdotool mousemove --sync " + at(screen(149, 125)) +
                               " sleep 0.3 mousedown 1 sleep 0.3 mousemove " + at(screen(140, 106)) +
                               " sleep 0.2 mousemove " + at(screen(125, 100)) + " sleep 0.2 mousemove " +
                               at(screen(110, 106)) + " sleep 0.2 mousemove " + at(screen(100, 125)) +
                               " sleep 0.4 mouseup 1";
    ASSERT_TRUE(startProgram(script)) << "xdotool could not be started: " << script;

    // The press arrives as a window message and the knob's loop runs inside its handling, until the
    // release; the gesture's end tells that it is over.
    const DWORD start = GetTickCount();
    auto ended = [&fixture] {
        const Strings gestures = fixture.gestures();
        return !gestures.empty() && gestures.back() == "e1";
    };
    while (!ended() && GetTickCount() - start < inputTimeoutMs) {
        test::pumpMessages();
        Sleep(5);
    }
    test::pumpMessages();

    ASSERT_FALSE(listener.changes.empty()) << "the knob saw no drag";
    EXPECT_NEAR(listener.changes.front().value, 5.0f / 6.0f, 0.03f);
    EXPECT_NEAR(knob->getValue(), 1.0f / 6.0f, 0.03f);
    bool passedTheTop = false;
    for (const test::Change& change : listener.changes) {
        passedTheTop = passedTheTop || (change.value > 0.4f && change.value < 0.6f);
    }
    EXPECT_TRUE(passedTheTop);
    EXPECT_EQ(fixture.gestures(), (Strings{"b1", "e1"}));
    EXPECT_GT(fixture.editor.pumps, 10); // the loop asked for idle all along
}

} // namespace
} // namespace chorus

#include "host/cli/CommandLine.h"
#include "host/cli/Commands.h"
#include "host/session/HostedPlugin.h"
#include "host/session/ModuleLoader.h"
#include "host/window/EditorWindow.h"
#include "tests/editor/EditorHarness.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

namespace chorus::test {

namespace {

std::string readAll(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[512];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    return text;
}

// "chorus-host editor args..." as the host's main runs it.
int runEditor(std::vector<std::string> args, std::FILE* out, std::FILE* err) {
    args.insert(args.begin(), "editor");
    host::HostOptions options;
    std::string error;
    if (!host::CommandLine::parse(args, options, error, true)) {
        ADD_FAILURE() << error;
        return -1;
    }
    return host::commands::editor(options, out, err);
}

// Each fails with exit 1 and render's message before any window opens.
TEST(EditorCommandLine, AMissingModuleOrPresetFailsBeforeAWindowOpens) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"no-such-module.dll", "--screenshot", "x.png"}, "chorus-host:"},
        {{CHORUS_TEST_MODULE, "--load", "no-such-preset.qcp", "--screenshot", "x.png"},
         "chorus-host: cannot read preset no-such-preset.qcp"},
        {{CHORUS_TEST_MODULE, "--load", CHORUS_TEST_MODULE, "--screenshot", "x.png"}, "is not a preset file"},
    };
    for (const auto& c : cases) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        EXPECT_EQ(runEditor(c.args, out, err), 1) << c.message;
        EXPECT_NE(readAll(err).find(c.message), std::string::npos) << c.message;
        EXPECT_EQ(readAll(out).find("editor "), std::string::npos) << "a window opened: " << c.message;
        std::fclose(out);
        std::fclose(err);
    }
}

// The module's editor, opened by the command in its own window, shows exactly what the same editor shows
// when this program hosts it directly.
TEST(EditorCommandScreenshot, MatchesTheEditorForTwoPrograms) {
    std::vector<std::uint8_t> previous;
    for (const int program : {0, 1}) {
        const std::string path = "editor_command_shot" + std::to_string(program) + ".png";
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const int status = runEditor(
            {CHORUS_TEST_MODULE, "--program", std::to_string(program), "--screenshot", path, "--log"}, out,
            err);
        const std::string printed = readAll(out);
        const std::string errors = readAll(err);
        std::fclose(out);
        std::fclose(err);
        ASSERT_EQ(status, 0) << errors;
        EXPECT_NE(printed.find("editor 238 x 226"), std::string::npos) << printed;
        EXPECT_NE(printed.find("screenshot 238 x 226 written to " + path), std::string::npos) << printed;
        EXPECT_NE(printed.find("param 1 Freq"), std::string::npos) << printed;

        PngImage shot;
        std::string error;
        ASSERT_TRUE(shot.load(path, error)) << error;
        ASSERT_EQ(shot.width, 238);
        ASSERT_EQ(shot.height, 226);

        EditorHarness h;
        h.dispatch(opSelectProgram, 0, program);
        int width = 0;
        int height = 0;
        const std::vector<GuiColor> expected = h.capture(width, height);
        ASSERT_EQ(width, 238);
        ASSERT_EQ(height, 226);
        EXPECT_EQ(differingPixels(shot, expected, width, {0, 0, width, height}), 0) << "program " << program;
        EXPECT_NE(shot.rgb, previous);
        previous = shot.rgb;
        std::remove(path.c_str());
    }
}

// The host window keeps the editor's size, names the program in its title and steps programs round.
TEST(EditorCommandWindow, TitleFollowsTheProgramAndTheWindowCannotBeMaximised) {
    host::ModuleLoader loader;
    host::HostedPlugin plugin;
    std::string error;
    ASSERT_TRUE(loader.load(CHORUS_TEST_MODULE, error)) << error;
    ASSERT_TRUE(plugin.create(loader.entry(), error)) << error;
    plugin.dispatch(opOpen);
    host::EditorWindow window(plugin);
    ASSERT_TRUE(window.open("chorus-host: test", error)) << error;
    HWND hwnd = static_cast<HWND>(window.handle());
    char shown[128] = "";
    GetWindowTextA(hwnd, shown, sizeof shown);
    EXPECT_EQ(window.title(), "chorus-host: test - program 0: " + plugin.programName());
    EXPECT_EQ(window.title(), shown);

    window.stepProgram(-1); // from the first program back round to the last
    EXPECT_EQ(plugin.dispatch(opCurrentProgram), 7);
    window.stepProgram(2);
    EXPECT_EQ(plugin.dispatch(opCurrentProgram), 1);
    GetWindowTextA(hwnd, shown, sizeof shown);
    EXPECT_EQ(std::string(shown), "chorus-host: test - program 1: " + plugin.programName());
    // A change made elsewhere shows at the next idle.
    plugin.dispatch(opSelectProgram, 0, 3);
    window.idle();
    EXPECT_NE(window.title().find("program 3: "), std::string::npos) << window.title();

    RECT before{};
    GetWindowRect(hwnd, &before);
    SendMessageA(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ShowWindow(hwnd, SW_MAXIMIZE);
    window.settle();
    RECT after{};
    GetWindowRect(hwnd, &after);
    EXPECT_FALSE(IsZoomed(hwnd));
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    window.close();
    plugin.close();
}

} // namespace

} // namespace chorus::test

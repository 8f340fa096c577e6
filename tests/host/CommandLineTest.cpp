#include "host/cli/CommandLine.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using chorus::host::CommandLine;
using chorus::host::HostOptions;

namespace {

bool parse(const std::vector<std::string>& args, HostOptions& options, std::string& error,
           bool withEditor = false) {
    return CommandLine::parse(args, options, error, withEditor);
}

std::string errorFor(const std::vector<std::string>& args, bool withEditor = false) {
    HostOptions options;
    std::string error;
    EXPECT_FALSE(parse(args, options, error, withEditor));
    return error;
}

} // namespace

TEST(CommandLine, ReadsARenderCommandWithEveryOption) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"render",
                       "chorus.dll",
                       "in.wav",
                       "out.wav",
                       "--program",
                       "Slow Step",
                       "--param",
                       "Freq=3,5",
                       "--param",
                       "Mix=20",
                       "--at",
                       "1.5s",
                       "program=Wobble",
                       "--automation",
                       "auto.txt",
                       "--load",
                       "a.qcp",
                       "--save",
                       "b.qcp",
                       "--save-program",
                       "c.qcp",
                       "--format",
                       "s16",
                       "--block",
                       "333",
                       "--mode",
                       "add",
                       "--quiet",
                       "--log"},
                      options, error))
        << error;
    EXPECT_EQ(options.command, "render");
    EXPECT_EQ(options.arguments, (std::vector<std::string>{"chorus.dll", "in.wav", "out.wav"}));
    EXPECT_EQ(options.program, "Slow Step");
    ASSERT_EQ(options.params.size(), 2u);
    EXPECT_EQ(options.params[0].first, "Freq");
    EXPECT_EQ(options.params[0].second, "3,5");
    EXPECT_EQ(options.params[1].second, "20");
    ASSERT_EQ(options.timed.size(), 1u);
    EXPECT_EQ(options.timed[0].first, "1.5s");
    EXPECT_EQ(options.timed[0].second, "program=Wobble");
    EXPECT_EQ(options.automationFile, "auto.txt");
    EXPECT_EQ(options.loadPreset, "a.qcp");
    EXPECT_EQ(options.saveBank, "b.qcp");
    EXPECT_EQ(options.saveProgram, "c.qcp");
    EXPECT_EQ(options.format, chorus::host::SampleFormat::s16);
    EXPECT_EQ(options.blockSize, 333);
    EXPECT_FALSE(options.replacing);
    EXPECT_TRUE(options.quiet);
    EXPECT_TRUE(options.log);
}

TEST(CommandLine, HelpAndVersionAreCommandsToo) {
    struct Help {
        std::vector<std::string> args;
        std::vector<std::string> about; // the command whose usage is asked for; none: the whole usage
    };
    for (const Help& h :
         {Help{{"--help"}, {}}, Help{{"-h"}, {}}, Help{{"help"}, {}}, Help{{"help", "help"}, {}},
          Help{{"render", "m", "--help"}, {"render"}}, Help{{"info", "-h", "--bogus"}, {"info"}},
          Help{{"help", "compare"}, {"compare"}}, Help{{"--help", "bench"}, {"bench"}},
          Help{{"help", "validate"}, {"validate"}}, Help{{"--version", "-h"}, {"version"}}}) {
        HostOptions options;
        std::string error;
        ASSERT_TRUE(parse(h.args, options, error)) << error;
        EXPECT_EQ(options.command, "help") << h.args[0];
        EXPECT_EQ(options.arguments, h.about) << h.args[0];
    }
    EXPECT_EQ(errorFor({"help", "dance"}), "unknown command: dance");
    EXPECT_EQ(errorFor({"dance", "--help"}), "unknown command: dance");
    EXPECT_EQ(errorFor({"help", "editor"}), "unknown command: editor");
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--version", "chorus.dll"}, options, error)) << error;
    EXPECT_EQ(options.command, "version");
    EXPECT_EQ(options.arguments, (std::vector<std::string>{"chorus.dll"}));
    EXPECT_EQ(errorFor({"--version", "a", "b"}), "version takes at most 1 argument, got 2");
}

TEST(CommandLine, DefaultsAndOptionsBeforeArguments) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"generate", "--seconds", "2.5", "demo.wav"}, options, error)) << error;
    EXPECT_EQ(options.arguments, (std::vector<std::string>{"demo.wav"}));
    EXPECT_EQ(options.seconds, 2.5);
    EXPECT_EQ(options.sampleRate, 0);
    EXPECT_EQ(options.blockSize, 512);
    EXPECT_EQ(options.channels, 2);
    EXPECT_TRUE(options.replacing);
    EXPECT_FALSE(options.log);
}

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
    EXPECT_EQ(errorFor({}), "no command given");
    EXPECT_EQ(errorFor({"dance", "x"}), "unknown command: dance");
    EXPECT_EQ(errorFor({"info", "chorus.dll", "--verbose"}), "unknown option: --verbose");
    EXPECT_EQ(errorFor({"info", "chorus.dll", "--load"}), "option --load needs a value");
    EXPECT_NE(errorFor({"render", "m", "a", "b", "--mode", "mix"}).find("replace or add"), std::string::npos);
    EXPECT_NE(errorFor({"render", "m", "a", "b", "--param", "Freq"}).find("NAME=VALUE"), std::string::npos);
    EXPECT_NE(errorFor({"render", "m", "a", "b", "--param", "=3"}).find("NAME=VALUE"), std::string::npos);
    EXPECT_NE(errorFor({"render", "m", "a", "b", "--param", "Freq="}).find("NAME=VALUE"), std::string::npos);
    for (const char* block : {"0", "-5", "12x", "", "2000000"}) {
        EXPECT_NE(errorFor({"render", "m", "a", "b", "--block", block}).find("--block"), std::string::npos)
            << block;
    }
    for (const char* rate : {"0", "1", "7999", "768001", "-44100", "44.1k", "2000000"}) {
        EXPECT_NE(errorFor({"generate", "x.wav", "--rate", rate}).find("--rate wants"), std::string::npos)
            << rate;
    }
    // The output is labelled with the rate it was processed at: the input's.
    EXPECT_NE(errorFor({"render", "m", "a", "b", "--rate", "48000"}).find("input's rate"), std::string::npos);
    EXPECT_NE(errorFor({"render", "m", "a", "b", "--at", "1s"}).find("--at"), std::string::npos);
    EXPECT_NE(errorFor({"render", "m", "a", "b", "--at", "1s", "Mix"}).find("NAME=VALUE"), std::string::npos);
    EXPECT_NE(errorFor({"render", "m", "a", "b", "--format", "f16"}).find("f32, s24 or s16"),
              std::string::npos);
    EXPECT_EQ(errorFor({"compare", "a", "b", "--block", "5"}), "unknown option: --block");
    for (const char* seconds : {"0", "-1", "nan", "inf", "4000"}) {
        EXPECT_NE(errorFor({"generate", "x.wav", "--seconds", seconds}).find("--seconds"), std::string::npos)
            << seconds;
    }
    EXPECT_EQ(errorFor({"generate", "x.wav", "--channels", "3"}), "--channels is 1 or 2, got: 3");
    EXPECT_EQ(errorFor({"render", "m", "a"}), "render takes 3 arguments, got 2");
    EXPECT_EQ(errorFor({"info"}), "info takes 1 argument, got 0");
    EXPECT_EQ(errorFor({"compare", "a", "b", "c"}), "compare takes 2 arguments, got 3");
    EXPECT_NE(errorFor({"render", "m", "a", "b", "--program", ""}).find("--program"), std::string::npos);
}

TEST(CommandLine, ReadsAnEditorCommandWhereTheEditorIsBuilt) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"editor", "chorus.dll", "--program", "Wobble", "--param", "Mix=80", "--param",
                       "Freq=1.5", "--screenshot", "out.png", "--seconds", "2.5", "--log"},
                      options, error, true))
        << error;
    EXPECT_EQ(options.command, "editor");
    EXPECT_EQ(options.arguments, (std::vector<std::string>{"chorus.dll"}));
    EXPECT_EQ(options.program, "Wobble");
    ASSERT_EQ(options.params.size(), 2u);
    EXPECT_EQ(options.params[1].first, "Freq");
    EXPECT_EQ(options.params[1].second, "1.5");
    EXPECT_EQ(options.screenshot, "out.png");
    ASSERT_TRUE(options.seconds.has_value());
    EXPECT_DOUBLE_EQ(*options.seconds, 2.5);
    EXPECT_TRUE(options.log);

    // Without --seconds the editor stays until its window is closed, and generate uses its own default.
    HostOptions plain;
    ASSERT_TRUE(parse({"editor", "chorus.dll"}, plain, error, true)) << error;
    EXPECT_FALSE(plain.seconds.has_value());
    EXPECT_TRUE(plain.screenshot.empty());
    HostOptions generate;
    ASSERT_TRUE(parse({"generate", "demo.wav"}, generate, error)) << error;
    EXPECT_FALSE(generate.seconds.has_value());

    const std::vector<std::vector<std::string>> bad = {
        {"editor"},
        {"editor", "a.dll", "b.dll"},
        {"editor", "a.dll", "--seconds", "0"},
        {"editor", "a.dll", "--seconds", "soon"},
        {"editor", "a.dll", "--param", "Mix"},
        {"editor", "a.dll", "--param", "=3"},
        {"editor", "a.dll", "--screenshot"},
        {"editor", "a.dll", "--rate", "48000"},
    };
    for (const auto& args : bad) {
        EXPECT_FALSE(errorFor(args, true).empty()) << args.size() << " arguments";
    }
    EXPECT_EQ(errorFor({"editor"}, true), "editor takes 1 argument, got 0");
    EXPECT_EQ(errorFor({"editor", "a.dll", "--screenshot", ""}, true), "--screenshot needs a file name");
    EXPECT_EQ(errorFor({"editor", "a.dll", "--block", "64"}, true), "unknown option: --block");
}

TEST(CommandLine, ReadsTheLiveOptionsOfPlayAndEditor) {
    HostOptions play;
    std::string error;
    ASSERT_TRUE(
        parse({"play", "chorus.dll", "in.wav", "--loop", "--device", "out", "--buffer", "256"}, play, error))
        << error;
    EXPECT_TRUE(play.play);
    EXPECT_EQ(play.playInput, "in.wav");
    EXPECT_TRUE(play.loop);
    EXPECT_EQ(play.device, "out");
    EXPECT_EQ(play.bufferFrames, 256);
    HostOptions demo;
    ASSERT_TRUE(parse({"play", "chorus.dll"}, demo, error)) << error;
    EXPECT_TRUE(demo.playInput.empty());
    EXPECT_EQ(demo.bufferFrames, 0);
    EXPECT_FALSE(demo.loop);

    // --play takes the next word as its input unless it is an option.
    HostOptions editor;
    ASSERT_TRUE(parse({"editor", "chorus.dll", "--play", "--knob-mode", "circular", "--save", "bank.qcp"},
                      editor, error, true))
        << error;
    EXPECT_TRUE(editor.play);
    EXPECT_TRUE(editor.playInput.empty());
    EXPECT_EQ(editor.knobMode, HostOptions::knobCircular);
    EXPECT_EQ(editor.saveBank, "bank.qcp");
    HostOptions withInput;
    ASSERT_TRUE(parse({"editor", "chorus.dll", "--play", "in.wav"}, withInput, error, true)) << error;
    EXPECT_EQ(withInput.playInput, "in.wav");
    EXPECT_EQ(withInput.knobMode, HostOptions::knobLinear);

    EXPECT_EQ(errorFor({"play"}), "play takes 1 or 2 arguments, got 0");
    EXPECT_EQ(errorFor({"play", "m", "a", "b"}), "play takes 1 or 2 arguments, got 3");
    EXPECT_NE(errorFor({"play", "m", "--buffer", "32"}).find("--buffer"), std::string::npos);
    EXPECT_EQ(errorFor({"play", "m", "--device", ""}), "--device needs a device name");
    EXPECT_EQ(errorFor({"play", "m", "--play"}), "unknown option: --play");
    EXPECT_EQ(errorFor({"render", "m", "a", "b", "--loop"}), "unknown option: --loop");
    EXPECT_EQ(errorFor({"editor", "m", "--knob-mode", "spin"}, true),
              "--knob-mode is linear or circular, got: spin");
    EXPECT_EQ(errorFor({"editor", "m", "--save", ""}, true), "--save needs a file name");
    EXPECT_EQ(errorFor({"editor", "m", "--at", "1s", "Mix=5"}, true), "--at and --automation need --play");
}

TEST(CommandLine, EditorExistsOnlyWhereItIsBuilt) {
    EXPECT_EQ(errorFor({"editor", "chorus.dll"}), "unknown command: editor");
    EXPECT_EQ(errorFor({"render", "m", "a", "b", "--screenshot", "x.png"}, true),
              "unknown option: --screenshot");
    EXPECT_EQ(CommandLine::usage().find("editor"), std::string::npos);
    const std::string withEditor = CommandLine::usage(true);
    EXPECT_NE(withEditor.find("  chorus-host render PLUGIN IN OUT.wav"), std::string::npos);
    EXPECT_NE(withEditor.find("  chorus-host editor PLUGIN [--load PRESET] [--program N|NAME]"), std::string::npos);
}

// chorus-host's render, run in-process, against the module driven directly with the same blocks and
// changes: the rendered file must hold exactly what the module gives.
#include "host/audio/AudioFile.h"
#include "host/audio/DemoSignal.h"
#include "host/cli/CommandLine.h"
#include "host/cli/CommandTable.h"
#include "host/cli/HostMessages.h"
#include "host/session/AutomationSchedule.h"
#include "host/session/HostedPlugin.h"
#include "host/session/ModuleLoader.h"
#include "host/session/ParameterCatalog.h"
#include "host/session/Session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

using namespace chorus::host;

namespace {

// Each test runs in a folder of its own (command-line tests write beside it at the same time).
const std::string module = std::filesystem::absolute(CHORUS_MODULE_FILE).string();
const std::string output = "host-render-out.wav";

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string drain(std::FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c; (c = std::fgetc(file)) != EOF;) {
        text += static_cast<char>(c);
    }
    std::fclose(file);
    return text;
}

Result run(const std::vector<std::string>& args) {
    Result result;
    HostOptions options;
    if (!CommandLine::parse(args, options, result.err)) {
        result.status = HostMessages::exitUsage;
        return result;
    }
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    result.status = CommandTable::run(options, out, err);
    result.out = drain(out);
    result.err = drain(err);
    return result;
}

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool leftoverTemporaryFiles() {
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        if (entry.path().filename().string().find(".part-") != std::string::npos) {
            return true;
        }
    }
    return false;
}

struct TimedChange {
    long long frame;
    std::function<void(HostedPlugin&)> apply;
};

// The module driven by hand: the same set-up a host does, blocks cut at every change.
AudioFile reference(const AudioFile& input, int block, bool replacing,
                    const std::function<void(HostedPlugin&)>& setup,
                    const std::vector<TimedChange>& changes) {
    ModuleLoader loader;
    HostedPlugin plugin;
    std::string error;
    EXPECT_TRUE(loader.load(module, error)) << error;
    plugin.setConnectedPins(input.channels, 2);
    EXPECT_TRUE(plugin.create(loader.entry(), error)) << error;
    plugin.dispatch(opOpen);
    plugin.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(input.sampleRate));
    plugin.dispatch(opBlockSize, 0, block);
    setup(plugin);
    plugin.dispatch(opPower, 0, 1);
    std::vector<std::vector<float>> in(2, std::vector<float>(static_cast<size_t>(block)));
    std::vector<std::vector<float>> out(2, std::vector<float>(static_cast<size_t>(block)));
    float* ins[2] = {in[0].data(), in[1].data()};
    float* outs[2] = {out[0].data(), out[1].data()};
    AudioFile result;
    result.channels = 2;
    result.sampleRate = input.sampleRate;
    const long long total = input.frames();
    for (long long frame = 0; frame < total;) {
        long long end = std::min(frame + block, total);
        for (const auto& change : changes) {
            if (change.frame == frame) {
                change.apply(plugin);
            } else if (change.frame > frame) {
                end = std::min(end, change.frame);
            }
        }
        for (long long j = frame; j < end; ++j) {
            for (int c = 0; c < input.channels; ++c) {
                in[static_cast<size_t>(c)][static_cast<size_t>(j - frame)] = input.sample(j, c);
            }
        }
        for (auto& channel : out) {
            std::fill(channel.begin(), channel.end(), 0.0f);
        }
        plugin.process(ins, outs, static_cast<int32_t>(end - frame), replacing);
        for (long long j = frame; j < end; ++j) {
            result.samples.push_back(out[0][static_cast<size_t>(j - frame)]);
            result.samples.push_back(out[1][static_cast<size_t>(j - frame)]);
        }
        frame = end;
    }
    plugin.close();
    return result;
}

void expectSameAudio(const AudioFile& rendered, const AudioFile& expected) {
    ASSERT_EQ(rendered.channels, 2);
    EXPECT_EQ(rendered.sampleRate, expected.sampleRate);
    ASSERT_EQ(rendered.frames(), expected.frames());
    // The channels differ in a stereo chorus, so a file with one channel twice cannot pass.
    long long differing = 0;
    for (long long f = 0; f < expected.frames(); ++f) {
        differing += expected.sample(f, 0) != expected.sample(f, 1);
    }
    ASSERT_GT(differing, expected.frames() / 2);
    for (int c = 0; c < 2; ++c) {
        long long wrong = 0;
        for (long long f = 0; f < expected.frames(); ++f) {
            wrong += rendered.sample(f, c) != expected.sample(f, c);
        }
        EXPECT_EQ(wrong, 0) << "channel " << c;
    }
}

class HostRender : public ::testing::Test {
protected:
    void SetUp() override {
        home = std::filesystem::current_path();
        folder = home / "host-render" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
    }
    void TearDown() override {
        EXPECT_FALSE(leftoverTemporaryFiles());
        std::filesystem::current_path(home);
        std::filesystem::remove_all(folder);
        std::error_code code;
        std::filesystem::remove(folder.parent_path(), code); // the last test's, when empty
    }
    static std::string write(const std::string& name, const AudioFile& file) {
        std::string error;
        EXPECT_TRUE(file.write(name, error)) << error;
        return name;
    }
    static std::string write(const std::string& name, const std::string& text) {
        std::ofstream(name, std::ios::binary) << text;
        return name;
    }
    static AudioFile rendered() {
        AudioFile file;
        std::string error;
        EXPECT_TRUE(file.read(output, error)) << error;
        return file;
    }
    std::filesystem::path home;
    std::filesystem::path folder;
};

} // namespace

// The same, with the module's plug-in created and its parameter catalog read.
class HostRenderPlugin : public HostRender {
protected:
    void SetUp() override {
        HostRender::SetUp();
        std::string error;
        ASSERT_TRUE(loader.load(module, error)) << error;
        ASSERT_TRUE(plugin.create(loader.entry(), error)) << error;
        catalog.read(plugin);
    }

    ModuleLoader loader;
    HostedPlugin plugin;
    ParameterCatalog catalog;
};

TEST_F(HostRender, MonoInputInAddingModeMatchesTheModuleOnBothChannels) {
    const AudioFile mono = DemoSignal::toMono(DemoSignal::generate(22050, 1.0));
    const std::string input = write("host-render-mono.wav", mono);
    const Result result =
        run({"render", module, input, output, "--program", "5", "--mode", "add", "--block", "100"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "") << "status belongs on stderr";
    const auto setup = [](HostedPlugin& plugin) { plugin.dispatch(opSelectProgram, 0, 5); };
    expectSameAudio(rendered(), reference(mono, 100, false, setup, {}));
}

TEST_F(HostRender, TimedChangesLandOnTheirFrameInsideABlock) {
    const AudioFile stereo = DemoSignal::generate(48000, 1.0);
    const std::string input = write("host-render-stereo.wav", stereo);
    const std::string automation = write("host-render-automation.txt", "# program change mid-block\n"
                                                                       "0.25s program=wobble\n"
                                                                       "\n"
                                                                       "30000 Freq=0,83   # frames\n");
    // Stages starts at 1: its top value is 1 normalised only when the range, not the maximum, divides.
    const Result result = run({"render", module, input, output, "--param", "Mix=80", "--param", "Stages=4",
                               "--automation", automation, "--at", "40000", "Shape=square", "--quiet"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "") << "--quiet";
    const auto setup = [](HostedPlugin& plugin) {
        plugin.setParameter(0, 0.8f);
        plugin.setParameter(3, 1.0f);
    };
    const std::vector<TimedChange> changes = {
        {12000, [](HostedPlugin& plugin) { plugin.dispatch(opSelectProgram, 0, 1); }},
        {30000, [](HostedPlugin& plugin) { plugin.setParameter(1, static_cast<float>(0.83 / 5.0)); }},
        {40000, [](HostedPlugin& plugin) { plugin.setParameter(4, 1.0f); }},
    };
    expectSameAudio(rendered(), reference(stereo, 512, true, setup, changes));
}

TEST_F(HostRenderPlugin, ARampSendsOneValuePerBlockAndEndsExactly) {
    std::string error;
    AutomationSchedule schedule(catalog, Session::readProgramNames(plugin), 1000);
    ASSERT_TRUE(schedule.add("1s..2s", "Mix=0..100", "--at", error)) << error;
    ASSERT_TRUE(schedule.add("9000", "program=1", "--at", error)) << error; // past the end: warned, not sent
    schedule.start(5000);
    std::vector<AutomationSchedule::Change> changes;
    changes.reserve(schedule.maxChanges());
    std::vector<std::pair<long long, float>> sent;
    for (long long frame = 0; frame < 5000; frame = std::min(frame + 300, schedule.nextBoundary(frame))) {
        schedule.changesAt(frame, changes);
        for (const auto& change : changes) {
            EXPECT_FALSE(change.program);
            sent.emplace_back(frame, change.value);
        }
    }
    const std::vector<std::pair<long long, float>> expected = {
        {1000, 0.0f}, {1300, 0.3f}, {1600, 0.6f}, {1900, 0.9f}, {2000, 1.0f}};
    ASSERT_EQ(sent.size(), expected.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].first, expected[i].first);
        EXPECT_FLOAT_EQ(sent[i].second, expected[i].second) << "at " << sent[i].first;
    }
    ASSERT_EQ(schedule.warnings().size(), 1u);
    EXPECT_NE(schedule.warnings()[0].find("frame 9000"), std::string::npos);

    struct Time {
        const char* text;
        bool valid;
        long long frame;
        int rate = 1000; // Hz
    };
    for (const Time& t :
         {Time{"1.5s", true, 1500}, Time{"66150", true, 66150}, Time{"0", true, 0}, Time{"0.0004s", true, 0},
          Time{"1.4s", true, 61740, 44100}, Time{"1.5", false, 0}, Time{"-1s", false, 0},
          Time{"-5", false, 0}, Time{"s", false, 0}, Time{"1e3", false, 0}, Time{"nans", false, 0},
          Time{"infs", false, 0}, Time{"", false, 0}, Time{"99999999999999", false, 0}}) {
        long long frame = -1;
        EXPECT_EQ(AutomationSchedule::parseTime(t.text, t.rate, frame), t.valid) << t.text;
        if (t.valid) {
            EXPECT_EQ(frame, t.frame) << t.text;
        }
    }
}

TEST_F(HostRender, BadInputIsRefusedBeforeAnythingIsWritten) {
    const std::string input = write("host-render-in.wav", DemoSignal::generate(44100, 0.2));
    const std::vector<char> inputBytes = fileBytes(input);
    AudioFile slow = DemoSignal::generate(8000, 0.1);
    slow.sampleRate = 4000;
    const std::string tooSlow = write("host-render-4k.wav", slow);
    std::vector<char> truncated = fileBytes(input);
    truncated.resize(1000);
    const std::string cut = write("host-render-cut.wav", std::string(truncated.begin(), truncated.end()));
    const std::string badPreset = write("host-render-bad.qcp", "QCPR\0\0\0\1PROG\0\0\0\x54short");
    std::filesystem::create_directory("host-render-folder");
    std::string link = "host-render-link.wav";
    std::error_code code;
    std::filesystem::remove(link, code);
    std::filesystem::create_symlink(input, link, code);
    const bool haveLink = !code;

    struct Case {
        std::vector<std::string> extra;
        int status;
        const char* message;
        std::string in = "host-render-in.wav";
        std::string out = output;
    };
    std::vector<Case> cases = {
        {{"--param", "Mix=abc"}, 2, "Mix=abc: not a number"},
        {{"--param", "Shape=triangle"}, 2, "or one of 0 ramp, 1 sine, 2 trapezoid"},
        {{"--param", "Freq=nan"}, 2, "Freq=nan: not a number"},
        {{"--param", "Freq=-inf"}, 2, "Freq=-inf: not a number"},
        {{"--param", "Depth=3"}, 2, "no parameter named Depth"},
        {{"--program", "9"}, 2, "no program 9"},
        {{"--at", "1.5", "Mix=3"}, 2, "a time is seconds with an s"},
        {{"--at", "0.1s", "program=Nope"}, 2, "no program Nope"},
        {{"--at", "0.1s..0.05s", "Mix=1..2"}, 2, "must end after it starts"},
        {{"--at", "0.1s..0.2s", "program=1..2"}, 2, "cannot ramp"},
        {{"--param", "Delay=3Hz"}, 2, "Delay=3Hz: Delay is in ms"},
        {{"--param", "Stages=2ms"}, 2, "Stages=2ms: Stages is a plain number, without a unit"},
        {{"--at", "10ms..30ms", "Mix=0..100", "--at", "20ms", "Mix=5"},
         2,
         "overlapping changes of Mix: --at (10ms..30ms) and --at (20ms)"},
        {{"--automation", "no-such-automation.txt"}, 1, "cannot read automation file"},
        {{"--load", badPreset}, 1, "is damaged"},
        {{}, 1, "is at 4000 Hz", tooSlow},
        {{}, 1, "is truncated", cut},
        {{}, 1, "cannot write host-render-folder: it is a folder", input, "host-render-folder"},
        {{"--save", "no-such-folder/bank.qcp"}, 1, "cannot write no-such-folder/bank.qcp"},
        {{}, 2, "is the input file", input, input},
        {{}, 2, "is the input file", input, "./" + input},
    };
    if (haveLink) {
        cases.push_back({{}, 2, "is the input file", input, link});
    }
    for (const auto& c : cases) {
        std::vector<std::string> args = {"render", module, c.in, c.out};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const Result result = run(args);
        const std::string what = c.extra.empty() ? c.in + " -> " + c.out : c.extra.back();
        EXPECT_EQ(result.status, c.status) << what << ": " << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << what << ": " << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << what << ": one line";
        EXPECT_FALSE(std::filesystem::exists(output)) << what;
        EXPECT_EQ(fileBytes(input), inputBytes) << what;
    }

    // Out of range: used clamped, and the warning names the value used.
    struct Clamp {
        const char* assignment;
        const char* warning;
    };
    for (const Clamp& c : {Clamp{"Mix=150", "Mix=150 is above the range 0 to 100 %; using 100"},
                           Clamp{"Freq=1e9", "Freq=1e9 is above the range 0 to 5 Hz; using 5"},
                           Clamp{"Stages=0", "Stages=0 is below the range 1 to 4; using 1"}}) {
        const Result result = run({"render", module, input, output, "--param", c.assignment});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_NE(result.err.find(std::string("warning: --param ") + c.warning), std::string::npos)
            << result.err;
    }
}

TEST_F(HostRender, APresetSavedAfterOneRenderRecreatesItsSound) {
    const std::string input = write("host-render-in.wav", DemoSignal::generate(44100, 0.3));
    const std::string program = "host-render-program.qcp";
    const std::string bank = "host-render-bank.qcp";
    Result result = run({"render", module, input, output, "--program", "Slow Step", "--param", "Mix=30",
                         "--save-program", program, "--save", bank});
    ASSERT_EQ(result.status, 0) << result.err;
    std::filesystem::rename(output, "host-render-first.wav");
    const std::vector<char> first = fileBytes("host-render-first.wav");

    result = run({"render", module, input, output, "--load", program});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(fileBytes(output), first);

    result = run({"info", module, "--load", bank, "--program", "2"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("preset: " + bank + " (bank)"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("parameter 0: Mix = 30 %"), std::string::npos) << result.out;
    EXPECT_NE(
        result.out.find("current program: 2\nprogram 0: Default\nprogram 1: Wobble\nprogram 2: Slow Step\n"),
        std::string::npos)
        << result.out;

    // A bank brings back the program that was selected when it was saved; one saved before banks recorded it
    // opens on program 0 with its programs as saved (program 5 at Mix 30).
    result = run({"info", module, "--load", bank});
    EXPECT_NE(result.out.find("current program: 2\n"), std::string::npos) << result.out;
    result = run({"info", module, "--load", CHORUS_SOURCE_DIR "/tests/host/presets/bank-version1.qcp",
                  "--program", "5"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("parameter 0: Mix = 30 %"), std::string::npos) << result.out;
    result = run({"info", module, "--load", CHORUS_SOURCE_DIR "/tests/host/presets/bank-version1.qcp"});
    EXPECT_NE(result.out.find("current program: 0\n"), std::string::npos) << result.out;

    // Every command sets the plug-in in one order: a program preset fills the program --program picked.
    result = run({"info", module, "--load", program, "--program", "5"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("parameter 0: Mix = 30 %"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("current program: 5\n"), std::string::npos) << result.out;
}

TEST_F(HostRender, CompareCountsNotANumberAsADifferenceAndIncludesTheToleranceItself) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const double step = 1.0 / 1024; // exact in float and double
    auto file = [](std::vector<float> samples, int rate = 44100) {
        AudioFile audio;
        audio.channels = 2;
        audio.sampleRate = rate;
        audio.samples = std::move(samples);
        return audio;
    };
    const AudioFile plain = file({0.5f, 0.25f, 0.0f, 0.0f});
    const AudioFile raised = file({0.5f + static_cast<float>(step), 0.25f, 0.0f, 0.0f});
    std::vector<float> late(140000);
    late.back() = 0.5f; // frame 69999, channel 2: beyond compare's first block of frames
    const AudioFile marked = file(late);
    struct Case {
        const char* name;
        AudioFile a;
        AudioFile b;
        std::string tolerance;
        int status;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"equal", plain, plain, "0", 0, "max abs difference: 0\n"},
        {"at the tolerance", plain, raised, "0.0009765625", 0, "max abs difference: 0.0009765625"},
        {"just above it", plain, raised, "0.00097656", 3, "0.0009765625"},
        {"a NaN before a large difference", plain, file({nan, 0.25f, 0.0f, 0.9f}), "1000", 3, "nan"},
        {"NaN on both sides", file({nan, 0.25f, 0.0f, 0.0f}), file({nan, 0.25f, 0.0f, 0.0f}), "1000", 3,
         "not numbers on one side or both: 1"},
        {"another rate", plain, file({0.5f, 0.25f, 0.0f, 0.0f}, 48000), "1", 3, "different shape"},
        {"where, first channel", plain, raised, "1", 0,
         "largest at frame 0 (0.000000 s), channel 1: -60.2 dBFS\n"},
        {"where, later frame", plain, file({0.5f, 0.25f, 0.0f, -0.1f}), "1", 0,
         "largest at frame 1 (0.000023 s), channel 2: -20.0 dBFS\n"},
        {"where, past the first block read", file(std::vector<float>(140000)), marked, "1", 0,
         "largest at frame 69999 (1.587279 s), channel 2: -6.0 dBFS\n"},
    };
    for (const auto& c : cases) {
        const std::string a = write("host-compare-a.wav", c.a);
        const std::string b = write("host-compare-b.wav", c.b);
        const Result result = run({"compare", a, b, "--tolerance", c.tolerance});
        EXPECT_EQ(result.status, c.status) << c.name << ": " << result.out << result.err;
        EXPECT_NE(result.out.find(c.message), std::string::npos) << c.name << ": " << result.out;
    }
}

// Values with their unit as the editor's fields show them, and times in milliseconds, mean what the plain
// numbers do; another unit is refused naming the parameter's.
TEST_F(HostRenderPlugin, TypedValuesMayCarryTheirUnit) {
    std::string error;
    struct Case {
        const char* name;
        const char* value;
        double real; // NaN: refused
        const char* message = "";
    };
    const double refused = std::numeric_limits<double>::quiet_NaN();
    for (const Case& c : {Case{"Mix", "50%", 50.0}, Case{"Mix", "35 %", 35.0}, Case{"Freq", "2Hz", 2.0},
                          Case{"Freq", "2 Hz", 2.0}, Case{"freq", "0,5hz", 0.5}, Case{"Delay", "3ms", 3.0},
                          Case{"Delay", "3.5 MS", 3.5}, Case{"Stages", "3", 3.0},
                          Case{"Delay", "3Hz", refused, "Delay=3Hz: Delay is in ms"},
                          Case{"Mix", "50dB", refused, "Mix=50dB: Mix is in %"},
                          Case{"Stages", "2x", refused, "Stages is a plain number, without a unit"},
                          Case{"Freq", "Hz", refused, "Freq=Hz: not a number"},
                          Case{"Freq", "2 Hz 3", refused, "not a number"}}) {
        ParameterValue value;
        error.clear();
        const bool parsed = catalog.parse(c.name, c.value, value, error);
        EXPECT_EQ(parsed, !std::isnan(c.real)) << c.name << "=" << c.value << ": " << error;
        if (parsed) {
            EXPECT_DOUBLE_EQ(value.real, c.real) << c.name << "=" << c.value;
        } else {
            EXPECT_NE(error.find(c.message), std::string::npos) << error;
        }
    }
    plugin.close();
}

// Automation files as people write them: spaces around "=", milliseconds; overlapping changes of one
// parameter and files that are not text are refused; a ramp cut by the end is warned of.
TEST_F(HostRenderPlugin, AutomationFilesAreCheckedAsAWhole) {
    std::string error;
    struct Case {
        std::string text;
        const char* message; // empty: accepted
    };
    const std::vector<Case> cases = {
        {"1s  Mix = 20\n1500ms\tFreq = 2 Hz\n2s..3s Mix = 20 .. 40%\n", ""},
        {"\xEF\xBB\xBF"
         "1s Mix=20 # caf\xC3\xA9\n",
         ""},
        {"1s..2s Mix=0..100\n2s..3s Mix=100..0\n3s Mix=5\n0.5s..4s Freq=1..2\n", ""},
        {"1s..3s Mix=0..100\n# a comment\n2s Mix=50\n",
         "overlapping changes of Mix: a.txt:1 (1s..3s) and a.txt:3 (2s)"},
        {"2s..4s Mix=0..100\n1s..3s Mix=0..100\n", "a.txt:1 (2s..4s) and a.txt:2 (1s..3s)"},
        {"1s Mix=3\n1s..2s Mix=0..100\n", "a.txt:1 (1s) and a.txt:2 (1s..2s)"},
        {std::string("1s Mix=20\n\0\0\0", 13), "a.txt is not a text file"},
        {"1s Mix=2\xFF\xFE\n", "a.txt is not a text file"},
        {"1s Mix=\xC0\xAF\n", "a.txt is not a text file"},
        {std::string(1023, '#') + "\xC3", ""}, // a character cut by the checked part's end
    };
    for (const Case& c : cases) {
        write("a.txt", c.text);
        AutomationSchedule schedule(catalog, Session::readProgramNames(plugin), 1000);
        error.clear();
        const bool loaded = schedule.load("a.txt", error);
        EXPECT_EQ(loaded, *c.message == '\0') << c.text << ": " << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 0) << error;
    }

    AutomationSchedule schedule(catalog, Session::readProgramNames(plugin), 1000);
    ASSERT_TRUE(schedule.add("4s..9s", "Mix=0..100", "--at", error)) << error;
    ASSERT_TRUE(schedule.add("1s..5s", "Freq=0..5", "--at", error)) << error; // ends exactly at the end
    schedule.start(5000);
    ASSERT_EQ(schedule.warnings().size(), 1u);
    EXPECT_EQ(
        schedule.warnings()[0],
        "a ramp from frame 4000 to frame 9000 runs past the end (5000 frames) and stops short of its end "
        "value");
    plugin.close();
}

// A render's closing line gives the output's peak and, for an integer format, the samples clipped, read
// back from the file; clipping is also a warning.
TEST_F(HostRender, RenderReportsPeakAndClipping) {
    AudioFile loud = DemoSignal::generate(44100, 0.3);
    for (float& sample : loud.samples) {
        sample *= 4.0f;
    }
    const std::string input = write("host-render-loud.wav", loud);
    const Result floating = run({"render", module, input, output});
    ASSERT_EQ(floating.status, 0) << floating.err;
    const AudioFile exact = rendered();
    float peak = 0.0f;
    long long over = 0; // what 24 bits cannot hold
    for (const float sample : exact.samples) {
        peak = std::max(peak, std::fabs(sample));
        const double step = std::floor(static_cast<double>(sample) * 8388608.0 + 0.5);
        over += step > 8388607.0 || step < -8388608.0;
    }
    ASSERT_GT(over, 0) << "the input is loud enough to clip";
    const std::string peakText = "peak " + HostMessages::decibels(peak);
    EXPECT_NE(floating.err.find("(f32), " + peakText + "\n"), std::string::npos) << floating.err;
    EXPECT_EQ(floating.err.find("clipped"), std::string::npos) << floating.err;

    const Result integer = run({"render", module, input, output, "--format", "s24"});
    ASSERT_EQ(integer.status, 0) << integer.err;
    EXPECT_NE(integer.err.find("(s24), " + peakText + ", " + std::to_string(over) + " clipped\n"),
              std::string::npos)
        << integer.err;
    EXPECT_NE(integer.err.find("warning: " + std::to_string(over) + " samples clipped: s24"),
              std::string::npos)
        << integer.err;
    const AudioFile held = rendered();
    ASSERT_EQ(held.samples.size(), exact.samples.size());
    const auto fullScale = std::count_if(held.samples.begin(), held.samples.end(), [](float sample) {
        return std::fabs(sample) >= 8388607.0f / 8388608.0f;
    });
    EXPECT_GE(fullScale, over) << "clipped samples lie at full scale";

    const Result quiet =
        run({"render", module, input, output, "--format", "s24", "--param", "Mix=0", "--quiet"});
    EXPECT_EQ(quiet.status, 0) << quiet.err;
}

// What the binary prints for a usage error and for help: one line and where to look, or one command's usage.
TEST_F(HostRender, UsageErrorsPointToTheCommandsHelp) {
    const std::string input = write("host-render-in.wav", DemoSignal::generate(44100, 0.05));
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err;
    };
    const std::string compareUsage =
        "usage:\n  chorus-host compare A B [--tolerance T]\n"
        "Exit status: 0 done, 1 failed (nothing written), 2 usage error, 3 compare "
        "found a difference.\n";
    const bool editor = CommandTable::withEditor();
    const std::vector<Case> cases = {
        {{"render", "m", "a", "b", "--bogus"},
         2,
         "",
         "chorus-host: unknown option: --bogus\nsee `chorus-host help render`\n"},
        {{"compare", "a"},
         2,
         "",
         "chorus-host: compare takes 2 arguments, got 1\nsee `chorus-host help compare`\n"},
        {{"dance", "x"}, 2, "", "chorus-host: unknown command: dance\nsee `chorus-host --help`\n"},
        {{"help", "dance"}, 2, "", "chorus-host: unknown command: dance\nsee `chorus-host --help`\n"},
        {{"render", module, input, output, "--param", "Delay=3Hz"},
         2,
         "",
         "chorus-host: --param Delay=3Hz: Delay is in ms\nsee `chorus-host help render`\n"},
        {{"help", "compare"}, 0, compareUsage, ""},
        {{"compare", "--help"}, 0, compareUsage, ""},
        {{"--help"}, 0, CommandLine::usage(editor), ""},
        {{"help"}, 0, CommandLine::usage(editor), ""},
    };
    for (const Case& c : cases) {
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        EXPECT_EQ(CommandTable::main(c.args, out, err), c.status) << c.args[0];
        EXPECT_EQ(drain(out), c.out) << c.args[0];
        EXPECT_EQ(drain(err), c.err) << c.args[0];
    }
    const std::string render = CommandLine::usage(editor, "render");
    EXPECT_NE(render.find("--automation FILE"), std::string::npos) << render;
    EXPECT_NE(render.find("TIME is seconds"), std::string::npos) << render;
    EXPECT_EQ(render.find("chorus-host generate"), std::string::npos) << render;
    EXPECT_EQ(render.find("play counts"), std::string::npos) << render;
}

// Window cases (Windows): editor open/idle/close cycles in a real window, alone and while an audio thread
// and an automating thread run, and the host's OLE state on threads that create and destroy instances.
#include "host/validate/PluginDriver.h"
#include "host/validate/ResourceCounter.h"
#include "host/validate/ValidatorCase.h"
#include "host/window/EditorWindow.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <objbase.h>
#include <optional>
#include <thread>
#include <windows.h>

namespace chorus::host {

namespace {

constexpr int idlesPerCycle = 2;
constexpr float windowRate = 44100.0f;
constexpr int windowBlock = 256;

bool hasEditor(PluginDriver& driver) {
    return (driver.descriptor()->flags & flagHasEditor) != 0;
}

// Creates the instance; why the case cannot run when that fails (a failure) or it has no editor (a skip).
std::optional<CaseResult> createWithEditor(PluginDriver& driver) {
    std::string error;
    if (!driver.create(error)) {
        return CaseResult::fail(error);
    }
    if (!hasEditor(driver)) {
        return CaseResult::skip("the plug-in has no editor");
    }
    return std::nullopt;
}

// One open, idle and close of the editor in a fresh host window.
std::string editorCycle(PluginDriver& driver) {
    EditorWindow window(driver.host());
    std::string error;
    if (!window.open("validate", error)) {
        return error;
    }
    for (int i = 0; i < idlesPerCycle; ++i) {
        window.run(0.0);
        window.idle();
    }
    window.close();
    return {};
}

} // namespace

CaseResult editorCycles(CaseContext& context) {
    const std::string how = ResourceCounter::install(reinterpret_cast<const void*>(context.loader.entry()));
    context.note(how);
    PluginDriver driver(context.loader);
    if (const std::optional<CaseResult> refused = createWithEditor(driver)) {
        return *refused;
    }
    const int cycles = context.scaled(100, 10);
    constexpr int warmUp = 3;
    ResourceCounter::Snapshot start;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        if (cycle == warmUp) {
            start = ResourceCounter::snapshot();
        }
        if (std::string problem = editorCycle(driver); !problem.empty()) {
            return CaseResult::fail(problem + " at cycle " + std::to_string(cycle));
        }
    }
    const auto end = ResourceCounter::snapshot();
    if (std::string grown = ResourceCounter::changes(start, end); !grown.empty()) {
        return CaseResult::fail("not flat over " + std::to_string(cycles - warmUp) +
                                " editor cycles: " + grown);
    }
    return CaseResult::pass(std::to_string(cycles) + " editor cycles; allocations, GDI objects (" +
                            std::to_string(end.gdiObjects) + " held), window DCs, windows and handles flat");
}

namespace {

// The audio and automation threads of editorWithAutomation and what they share with the window thread.
struct BusyThreads {
    explicit BusyThreads(PluginDriver& plugin) : driver(plugin) {}

    // Processes blocks until stopped, or until one goes wrong.
    void processAudio(std::uint32_t seed) {
        std::mt19937 rng(seed);
        const int ins = std::max(driver.inputs(), 1);
        const int outs = std::max(driver.outputs(), 1);
        while (!stop.load()) {
            GuardedBuffers in(ins, windowBlock);
            fillSignal(in, rng, windowBlock);
            GuardedBuffers out(outs, windowBlock);
            if (std::string p = driver.process(in, out, windowBlock, driver.canReplace(), false);
                !p.empty()) {
                std::lock_guard<std::mutex> lock(problemMutex);
                problem = "audio thread: " + p;
                return;
            }
            blocks.fetch_add(1);
            // Paced like a host's audio thread, so that the window thread gets its share of two cores.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // Mostly parameter changes, now and then a program change or a chunk loaded, until stopped.
    void automate(std::uint32_t seed, const std::vector<std::uint8_t>& bank,
                  const std::vector<std::uint8_t>& program) {
        std::mt19937 rng(seed);
        while (!stop.load()) {
            switch (randomInt(rng, 0, 19)) {
            case 0:
                driver.host().dispatch(opSelectProgram, 0,
                                       randomInt(rng, 0, std::max(driver.programs() - 1, 0)));
                break;
            case 1:
                driver.load(randomInt(rng, 0, 1) == 0 ? bank : program, false);
                break;
            default:
                driver.host().setParameter(randomInt(rng, 0, std::max(driver.parameters() - 1, 0)),
                                           randomValue(rng, false));
            }
            changes.fetch_add(1);
        }
    }

    PluginDriver& driver;
    std::atomic<bool> stop{false};
    std::atomic<long long> blocks{0};
    std::atomic<long long> changes{0};
    std::mutex problemMutex;
    std::string problem;
};

// One host window, as a host keeps it; the editor inside it is closed and opened again. Empty, or what went
// wrong.
std::string reopenEditor(PluginDriver& driver, int cycles) {
    std::string cycleProblem;
    EditorWindow window(driver.host());
    if (!window.open("validate", cycleProblem)) {
        cycleProblem += " at the first open";
    }
    for (int cycle = 0; cycle < cycles && cycleProblem.empty(); ++cycle) {
        for (int i = 0; i < idlesPerCycle; ++i) {
            window.run(0.0);
            window.idle();
        }
        driver.host().dispatch(opEditorClose);
        window.run(0.0);
        if (driver.host().dispatch(opEditorOpen, 0, 0, window.handle()) == 0) {
            cycleProblem = "the editor did not open again at cycle " + std::to_string(cycle);
        }
    }
    window.close();
    return cycleProblem;
}

} // namespace

// The editor opened and closed on the window thread while the audio thread processes and another thread
// sets parameters, changes programs and loads chunks at full speed.
CaseResult editorWithAutomation(CaseContext& context) {
    PluginDriver driver(context.loader);
    if (const std::optional<CaseResult> refused = createWithEditor(driver)) {
        return *refused;
    }
    driver.start(windowRate, windowBlock);
    const auto bank = driver.save(false);
    const auto program = driver.save(true);
    BusyThreads busy(driver);
    std::thread audio([&, seed = context.rng()] { busy.processAudio(seed); });
    std::thread automation([&, seed = context.rng()] { busy.automate(seed, bank, program); });
    const int cycles = context.scaled(800, 40);
    const std::string cycleProblem = reopenEditor(driver, cycles);
    busy.stop = true;
    audio.join();
    automation.join();
    if (!cycleProblem.empty()) {
        return CaseResult::fail(cycleProblem);
    }
    if (!busy.problem.empty()) {
        return CaseResult::fail(busy.problem);
    }
    return CaseResult::pass(std::to_string(cycles) + " editor cycles against " +
                            std::to_string(busy.blocks.load()) + " audio blocks and " +
                            std::to_string(busy.changes.load()) + " automation requests");
}

namespace {

const char* oleState(HRESULT probe) {
    return probe == S_OK ? "not initialised" : probe == S_FALSE ? "initialised" : "in another apartment";
}

} // namespace

// A loader thread makes instances; the window thread, which initialised OLE itself, destroys them, some
// after opening their editor. Both threads must end with the OLE state they had.
CaseResult oleOnThreads(CaseContext& context) {
    const int instances = context.scaled(50, 10);
    // The host initialises OLE on its window thread itself, as a host with drag and drop does.
    if (OleInitialize(nullptr) != S_OK) {
        return CaseResult::fail("the window thread's OLE was initialised before the case began");
    }
    std::vector<std::unique_ptr<PluginDriver>> made;
    std::string error;
    bool editor = false;
    std::thread loader([&] {
        for (int i = 0; i < instances; ++i) {
            auto driver = std::make_unique<PluginDriver>(context.loader);
            if (!driver->create(error)) {
                return;
            }
            made.push_back(std::move(driver));
        }
    });
    loader.join();
    if (made.size() != static_cast<std::size_t>(instances)) {
        OleUninitialize();
        return CaseResult::fail(error);
    }
    editor = hasEditor(*made.front());
    std::string problem;
    for (std::size_t i = 0; i < made.size(); ++i) {
        if (editor && i % 2 == 1 && problem.empty()) {
            problem = editorCycle(*made[i]);
        }
        made[i]->close();
    }
    made.clear();
    const HRESULT windowAfter = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(windowAfter)) {
        CoUninitialize();
    }
    OleUninitialize();
    if (!problem.empty()) {
        return CaseResult::fail(problem);
    }
    if (windowAfter != S_FALSE) {
        return CaseResult::fail(std::string("after destroying ") + std::to_string(instances) +
                                " instances made on another thread, the window thread's own OLE is " +
                                oleState(windowAfter) + " (CoInitializeEx answered " +
                                std::to_string(static_cast<long>(windowAfter)) + ", not S_FALSE)");
    }
    return CaseResult::pass(std::to_string(instances) +
                            " instances made on a loader thread, destroyed on the "
                            "window thread" +
                            (editor ? ", every second one after an editor cycle" : "") +
                            "; the window thread's OLE kept");
}

} // namespace chorus::host

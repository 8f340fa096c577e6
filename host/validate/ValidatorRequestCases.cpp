// Request cases: the descriptor, the editor requests without a window and random request sequences with bad
// values.
#include "host/validate/PluginDriver.h"
#include "host/validate/ValidatorCase.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace chorus::host {

namespace {

constexpr int maxParameters = 1000;

} // namespace

CaseResult descriptorCase(CaseContext& context) {
    PluginDriver a(context.loader);
    PluginDriver b(context.loader);
    std::string error;
    if (!a.create(error) || !b.create(error)) {
        return CaseResult::fail(error);
    }
    const EffectDescriptor* d = a.descriptor();
    if (d->dispatchEntry == nullptr || d->addProcessEntry == nullptr || d->setParamEntry == nullptr ||
        d->getParamEntry == nullptr) {
        return CaseResult::fail("a descriptor entry is null");
    }
    if ((d->flags & flagReplacing) != 0 && d->replaceProcessEntry == nullptr) {
        return CaseResult::fail("the replacing flag is set but its entry is null");
    }
    if (d->inputCount < 0 || d->inputCount > PluginDriver::maxChannels || d->outputCount < 1 ||
        d->outputCount > PluginDriver::maxChannels || d->paramCount < 0 || d->paramCount > maxParameters ||
        d->programCount < 0 || d->programCount > maxParameters) {
        return CaseResult::fail("implausible counts: " + std::to_string(d->inputCount) + " in, " +
                                std::to_string(d->outputCount) + " out, " + std::to_string(d->paramCount) +
                                " parameters, " + std::to_string(d->programCount) + " programs");
    }
    if (a.descriptor() == b.descriptor() || a.descriptor()->owner == b.descriptor()->owner) {
        return CaseResult::fail("two instances share a descriptor or an owner");
    }
    std::string problem;
    for (int i = 0; i < a.parameters() && problem.empty(); ++i) {
        const float v = a.host().getParameter(i);
        if (!std::isfinite(v) || v < 0.0f || v > 1.0f) {
            problem =
                "parameter " + std::to_string(i) + " starts at " + std::to_string(v) + ", outside 0 to 1";
        }
        a.text(opParamName, i, problem);
        a.text(opParamUnit, i, problem);
        a.text(opParamValueText, i, problem);
    }
    for (int p = 0; p < a.programs() && problem.empty(); ++p) {
        a.host().dispatch(opSelectProgram, 0, p);
        if (a.host().dispatch(opCurrentProgram) != p) {
            problem = "program " + std::to_string(p) + " was selected but not reported current";
        }
        a.text(opProgramName, 0, problem);
    }
    if (!problem.empty()) {
        return CaseResult::fail(problem);
    }
    // A host that answers 0 to the version request gets no instance.
    HostedPlugin refused;
    refused.setVersionAnswer(0);
    if (refused.create(context.loader.entry(), error)) {
        return CaseResult::fail(
            "main created an instance although the host answered 0 to its version request");
    }
    const std::intptr_t closed = a.host().close();
    if (closed != 1) {
        return CaseResult::fail("the close request answered " + std::to_string(closed) + ", not 1");
    }
    return CaseResult::pass("entries, counts, names within 64 bytes, two independent instances, refusal "
                            "without a host version");
}

CaseResult editorRequests(CaseContext& context) {
    PluginDriver driver(context.loader);
    std::string error;
    if (!driver.create(error)) {
        return CaseResult::fail(error);
    }
    EditorRect* rect = nullptr;
    const std::intptr_t answer = driver.host().dispatch(opEditorRect, 0, 0, &rect);
    if ((driver.descriptor()->flags & flagHasEditor) == 0) {
        KeyRecord key{};
        if (answer != 0 || driver.host().dispatch(opEditorOpen, 0, 0, nullptr) != 0 ||
            driver.host().dispatch(opKeyDown, 'a', 0, &key) > 0 ||
            driver.host().dispatch(opKnobMode, 0, 1) != 0) {
            return CaseResult::fail(
                "without the editor flag, an editor request answered as if there were one");
        }
        driver.host().dispatch(opEditorIdle);
        driver.host().dispatch(opEditorClose);
        return CaseResult::pass("no editor flag; editor requests answer no editor");
    }
    if (answer == 0 || rect == nullptr) {
        return CaseResult::fail("the editor flag is set but request 13 gives no rectangle");
    }
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) {
        return CaseResult::fail("implausible editor rectangle " + std::to_string(width) + "x" +
                                std::to_string(height));
    }
    driver.host().dispatch(opEditorIdle);
    driver.host().dispatch(opEditorClose); // closing what was never opened must be harmless
    return CaseResult::pass("editor rectangle " + std::to_string(width) + "x" + std::to_string(height));
}

namespace {

std::string randomText(std::mt19937& rng) {
    static const char* const texts[] = {"",      "abc",  "3,5",    "1e999", "-1e999",
                                        "nan",   "inf",  "  42  ", "0x10",  "-0",
                                        "1e-50", "2.5e", ",",      "+-1",   "99999999999999999999"};
    if (randomInt(rng, 0, 2) > 0) {
        return texts[randomInt(rng, 0, static_cast<int>(std::size(texts)) - 1)];
    }
    std::string text(static_cast<std::size_t>(randomInt(rng, 0, 300)), ' ');
    for (char& c : text) {
        c = static_cast<char>(randomInt(rng, 1, 255));
    }
    return text;
}

std::vector<std::uint8_t> randomChunk(std::mt19937& rng, const std::vector<std::uint8_t>& saved) {
    static const int sizes[] = {0, 1, 4, 79, 80, 81, 83, 84, 85, 639, 640, 641, 671, 672, 673, 1000};
    std::vector<std::uint8_t> bytes;
    const int kind = randomInt(rng, 0, 3);
    if (kind == 0 && !saved.empty()) {
        bytes = saved;
    } else if (kind == 1 && !saved.empty()) {
        bytes = saved;
        for (int flips = randomInt(rng, 1, 8); flips > 0; --flips) {
            bytes[static_cast<std::size_t>(randomInt(rng, 0, static_cast<int>(bytes.size()) - 1))] ^=
                static_cast<std::uint8_t>(1u << randomInt(rng, 0, 7));
        }
    } else {
        const int size = kind == 2 ? sizes[randomInt(rng, 0, static_cast<int>(std::size(sizes)) - 1)]
                                   : randomInt(rng, 0, 2000);
        bytes.resize(static_cast<std::size_t>(size));
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(randomInt(rng, 0, 255));
        }
    }
    return bytes;
}

// One random request sequence on one instance: what a step needs to draw its request and describe it.
class RequestSequence {
public:
    RequestSequence(PluginDriver& plugin, std::mt19937& generator)
        : driver(plugin), rng(generator), ins(std::max(driver.inputs(), 1)),
          outs(std::max(driver.outputs(), 1)), params(driver.parameters()), programs(driver.programs()) {
        driver.start(44100.0f, block);
        saved = driver.save(false);
    }

    // Sends one random request; empty, or what went wrong. last() names the request.
    std::string step() {
        std::string problem;
        const int kind = randomInt(rng, 0, 19);
        const int index = randomInt(rng, -2, params + 2);
        switch (kind) {
        case 0:
        case 1:
            last = "set parameter " + std::to_string(index);
            driver.host().setParameter(index, randomValue(rng, true));
            break;
        case 2:
            last = "select program";
            driver.host().dispatch(opSelectProgram, 0, randomInt(rng, -2, programs + 2));
            break;
        case 3:
            renameProgram(problem);
            break;
        case 4:
            last = "texts of parameter " + std::to_string(index);
            driver.text(opParamName, index, problem);
            driver.text(opParamUnit, index, problem);
            driver.text(opParamValueText, index, problem);
            driver.text(opProgramName, 0, problem);
            break;
        case 5:
            last = "typed text for parameter " + std::to_string(index);
            driver.host().setParameterFromText(index, randomText(rng));
            break;
        case 6:
            last = "save chunk";
            saved = driver.save(randomInt(rng, 0, 1) == 1);
            break;
        case 7:
        case 8:
            loadChunk();
            break;
        case 9:
        case 10:
        case 11:
        case 12:
            changeSetUp(kind);
            break;
        case 13:
            last = "suspend and resume";
            driver.host().dispatch(opPower, 0, randomInt(rng, 0, 1));
            driver.host().dispatch(opPower, 0, 1);
            break;
        case 14:
            genericRequest(index);
            break;
        default:
            problem = process();
        }
        for (int i = 0; i < params && problem.empty(); ++i) {
            if (!std::isfinite(driver.host().getParameter(i))) {
                problem = "parameter " + std::to_string(i) + " reads non-finite";
            }
        }
        return problem;
    }

    const std::string& lastRequest() const { return last; }

private:
    void renameProgram(std::string& problem) {
        last = "rename program";
        std::string name = randomText(rng);
        std::vector<char> copy(name.begin(), name.end());
        copy.push_back('\0');
        driver.host().dispatch(opRenameProgram, 0, 0, copy.data());
        driver.text(opProgramName, 0, problem);
    }

    void loadChunk() {
        const bool programOnly = randomInt(rng, 0, 1) == 1;
        auto bytes = randomChunk(rng, saved);
        last = "load " + std::string(programOnly ? "program" : "bank") + " chunk of " +
               std::to_string(bytes.size()) + " bytes";
        driver.load(std::move(bytes), programOnly);
    }

    // Channel layout, rate and block size, good and bad; a valid block size is what processing uses next.
    void changeSetUp(int kind) {
        static const float rates[] = {8000.0f,   22050.0f,  44100.0f, 48000.0f, 96000.0f, 176400.0f,
                                      192000.0f, 768000.0f, 0.0f,     -1.0f,    NAN,      INFINITY};
        switch (kind) {
        case 9: {
            last = "channel layout";
            ChannelLayoutRecord layouts[2] = {{0, randomInt(rng, 1, std::max(ins, outs))},
                                              {0, randomInt(rng, 1, std::max(ins, outs))}};
            driver.host().dispatch(opChannelLayout, 0, 0, layouts);
            break;
        }
        case 10: {
            last = "block size and rate";
            const int size = randomInt(rng, -5, 4096);
            driver.host().dispatch(opBlockSizeAndRate, 0, size, nullptr,
                                   rates[randomInt(rng, 0, static_cast<int>(std::size(rates)) - 1)]);
            block = size >= 1 ? size : block;
            break;
        }
        case 11:
            last = "sample rate";
            driver.host().dispatch(opSampleRate, 0, 0, nullptr,
                                   rates[randomInt(rng, 0, static_cast<int>(std::size(rates)) - 1)]);
            break;
        default: {
            last = "block size";
            const int size = randomInt(rng, -5, 4096);
            driver.host().dispatch(opBlockSize, 0, size);
            block = size >= 1 ? size : block;
            break;
        }
        }
    }

    // A request of those a chorus has no use for, with a scratch buffer where one may be written.
    void genericRequest(int index) {
        static const int genericOpcodes[] = {9,  16, 17, 18, 20, 21, 22, 25,  26, 28,  29, 30, 31,
                                             32, 33, 34, 35, 36, 37, 38, 39,  40, 41,  44, 45, 46,
                                             47, 48, 49, 51, 52, 53, 54, 55,  56, 57,  58, 62, 63,
                                             64, 65, 66, 67, 68, 69, 70, 100, -1, 1000};
        last = "generic request";
        std::vector<std::uint8_t> scratch(PluginDriver::textBuffer, 0);
        const int opcode = genericOpcodes[randomInt(rng, 0, static_cast<int>(std::size(genericOpcodes)) - 1)];
        last = "request " + std::to_string(opcode);
        driver.host().dispatch(opcode, index, randomInt(rng, -1, 2), scratch.data(), randomValue(rng, true));
    }

    // Now and then twice the announced block size, which the plug-in must survive too.
    std::string process() {
        const int frames = randomInt(rng, 0, randomInt(rng, 0, 9) == 0 ? 2 * block : block);
        const bool replacing = driver.canReplace() && randomInt(rng, 0, 1) == 1;
        const bool inPlace = ins == outs && randomInt(rng, 0, 3) == 0;
        last = "process " + std::to_string(frames) + " frames" + (replacing ? " replacing" : " adding");
        GuardedBuffers input(ins, std::max(frames, 1));
        fillSignal(input, rng, frames);
        GuardedBuffers out(outs, std::max(frames, 1));
        return driver.process(input, out, frames, replacing, inPlace);
    }

    PluginDriver& driver;
    std::mt19937& rng;
    const int ins;
    const int outs;
    const int params;
    const int programs;
    int block = 1024;
    std::vector<std::uint8_t> saved;
    std::string last;
};

} // namespace

// Any request a host may send, with values good and bad; processing in between must stay inside its
// buffers and finite, texts inside their 64 bytes, parameters finite.
CaseResult randomRequests(CaseContext& context) {
    const int sequences = context.scaled(20);
    const int steps = 300;
    int requests = 0;
    for (int sequence = 0; sequence < sequences; ++sequence) {
        PluginDriver driver(context.loader);
        std::string error;
        if (!driver.create(error)) {
            return CaseResult::fail(error);
        }
        RequestSequence requester(driver, context.rng);
        for (int step = 0; step < steps; ++step, ++requests) {
            if (std::string problem = requester.step(); !problem.empty()) {
                return CaseResult::fail(problem + " after " + requester.lastRequest() + " (sequence " +
                                        std::to_string(sequence) + ", step " + std::to_string(step) + ")");
            }
        }
    }
    return CaseResult::pass(std::to_string(requests) + " random requests in " + std::to_string(sequences) +
                            " sequences");
}

} // namespace chorus::host

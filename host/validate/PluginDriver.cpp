#include "host/validate/PluginDriver.h"

#include "host/validate/ResourceCounter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace chorus::host {

namespace {

constexpr std::uint8_t fenceByte = 0xA5;
constexpr float denormal = 1.0e-40f;
constexpr float loud = 1000.0f;

} // namespace

int randomInt(std::mt19937& rng, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

float randomValue(std::mt19937& rng, bool badValues) {
    static const float specials[] = {0.0f,
                                     1.0f,
                                     0.5f,
                                     -0.0f,
                                     -1.0f,
                                     2.0f,
                                     1.0e30f,
                                     -1.0e30f,
                                     denormal,
                                     std::numeric_limits<float>::quiet_NaN(),
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity()};
    if (badValues && randomInt(rng, 0, 3) == 0) {
        return specials[randomInt(rng, 0, static_cast<int>(std::size(specials)) - 1)];
    }
    return std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
}

void fillSignal(GuardedBuffers& buffers, std::mt19937& rng, int frames) {
    const int kind = randomInt(rng, 0, 9);
    const float scale = kind == 0 ? loud : kind == 1 ? denormal : kind == 2 ? 0.0f : 1.0f;
    // A sine from a rotating phasor and xorshift noise: cheap enough for millions of frames per case.
    const float step = std::uniform_real_distribution<float>(0.001f, 0.3f)(rng);
    const float cosStep = std::cos(step);
    const float sinStep = std::sin(step);
    std::uint32_t noise = static_cast<std::uint32_t>(rng()) | 1u;
    for (int c = 0; c < buffers.channels(); ++c) {
        float* samples = buffers.channel(c);
        float re = 1.0f;
        float im = 0.0f;
        for (int f = 0; f < frames; ++f) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const float white = static_cast<float>(static_cast<std::int32_t>(noise)) * 4.656613e-10f;
            samples[f] = scale * (0.5f * im + 0.5f * white);
            const float nextRe = re * cosStep - im * sinStep;
            im = re * sinStep + im * cosStep;
            re = nextRe;
        }
    }
}

bool PluginDriver::create(std::string& error) {
    return plugin.create(loader.entry(), error);
}

int PluginDriver::inputs() const {
    return std::clamp(descriptor()->inputCount, 0, maxChannels);
}

int PluginDriver::outputs() const {
    return std::clamp(descriptor()->outputCount, 0, maxChannels);
}

int PluginDriver::parameters() const {
    return std::clamp(descriptor()->paramCount, 0, 1000);
}

int PluginDriver::programs() const {
    return std::clamp(descriptor()->programCount, 0, 1000);
}

bool PluginDriver::canReplace() const {
    return (descriptor()->flags & flagReplacing) != 0 && descriptor()->replaceProcessEntry != nullptr;
}

void PluginDriver::start(float rate, int blockSize) {
    plugin.dispatch(opSampleRate, 0, 0, nullptr, rate);
    plugin.dispatch(opBlockSize, 0, blockSize);
    plugin.dispatch(opPower, 0, 1);
}

std::vector<std::uint8_t> PluginDriver::save(bool programOnly) {
    void* data = nullptr;
    const std::intptr_t size = plugin.dispatch(opSaveState, programOnly ? 1 : 0, 0, &data);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return bytes != nullptr && size > 0 ? std::vector<std::uint8_t>(bytes, bytes + size)
                                        : std::vector<std::uint8_t>{};
}

std::int32_t PluginDriver::load(std::vector<std::uint8_t> bytes, bool programOnly) {
    return static_cast<std::int32_t>(plugin.dispatch(opLoadState, programOnly ? 1 : 0,
                                                     static_cast<std::intptr_t>(bytes.size()), bytes.data()));
}

std::vector<float> PluginDriver::parameterValues() {
    std::vector<float> values;
    for (int i = 0; i < parameters(); ++i) {
        values.push_back(plugin.getParameter(i));
    }
    return values;
}

std::string PluginDriver::text(std::int32_t opcode, std::int32_t index, std::string& problem, void* extra) {
    std::vector<char> buffer(textBuffer, static_cast<char>(fenceByte));
    if (extra != nullptr) {
        std::memcpy(buffer.data(), extra, std::strlen(static_cast<const char*>(extra)) + 1);
    }
    plugin.dispatch(opcode, index, 0, buffer.data());
    const auto end = std::find(buffer.begin(), buffer.begin() + nameLimit, '\0');
    if (end == buffer.begin() + nameLimit) {
        problem = "request " + std::to_string(opcode) + " index " + std::to_string(index) +
                  " wrote no terminator within " + std::to_string(nameLimit) + " bytes";
        return {};
    }
    if (extra == nullptr && std::any_of(buffer.begin() + nameLimit, buffer.end(),
                                        [](char c) { return c != static_cast<char>(fenceByte); })) {
        problem = "request " + std::to_string(opcode) + " index " + std::to_string(index) +
                  " wrote past byte " + std::to_string(nameLimit);
    }
    return std::string(buffer.begin(), end);
}

std::string PluginDriver::process(GuardedBuffers& in, GuardedBuffers& out, int frames, bool replacing,
                                  bool inPlace, bool countAllocations) {
    std::vector<std::vector<float>> before;
    if (!inPlace) {
        for (int c = 0; c < in.channels(); ++c) {
            before.emplace_back(in.channel(c), in.channel(c) + frames);
        }
    }
    GuardedBuffers& target = inPlace ? in : out;
    const auto all = [frames](const GuardedBuffers& buffers, auto test) {
        for (int c = 0; c < buffers.channels(); ++c) {
            if (!std::all_of(buffers.channel(c), buffers.channel(c) + frames, test)) {
                return false;
            }
        }
        return true;
    };
    const auto normalOrZero = [](float v) { return std::fpclassify(v) != FP_SUBNORMAL; };
    const bool finiteIn = all(in, [](float v) { return std::isfinite(v); });
    // Subnormal output is the module's own only when nothing it was given (an adding entry's output
    // included) was subnormal.
    const bool normalIn = all(in, normalOrZero) && (replacing || all(target, normalOrZero));
    const long long allocationsBefore = ResourceCounter::threadAllocations();
    ResourceCounter::countThisThread(countAllocations);
    plugin.process(in.pointers(), target.pointers(), frames, replacing);
    ResourceCounter::countThisThread(false);
    const long long allocations = ResourceCounter::threadAllocations() - allocationsBefore;
    const char* entry = replacing ? "replacing entry" : "adding entry";
    if (allocations > 0) {
        return std::to_string(allocations) + " allocation(s) inside the " + entry + " (" +
               std::to_string(frames) + " frames)";
    }
    if (std::string damage = in.damage(); !damage.empty()) {
        return std::string(entry) + ": input " + damage;
    }
    if (std::string damage = out.damage(); !inPlace && !damage.empty()) {
        return std::string(entry) + ": output " + damage;
    }
    for (int c = 0; c < static_cast<int>(before.size()) && frames > 0; ++c) {
        if (std::memcmp(before[static_cast<std::size_t>(c)].data(), in.channel(c),
                        static_cast<std::size_t>(frames) * sizeof(float)) != 0) {
            return std::string(entry) + " wrote into input channel " + std::to_string(c);
        }
    }
    if (finiteIn) {
        if (std::string where = target.firstNonFinite(frames); !where.empty()) {
            return std::string(entry) + ": non-finite output for finite input at " + where;
        }
    }
    if (normalIn) {
        if (std::string where = target.firstSubnormal(frames); !where.empty()) {
            return std::string(entry) + ": subnormal output for input without any at " + where;
        }
    }
    return {};
}

} // namespace chorus::host

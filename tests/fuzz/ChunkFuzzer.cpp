// Program and bank chunks of any size and content through the set-chunk request, then everything a host
// does next: get the chunks back, ask for names and display texts, switch programs and process audio.
#include "FuzzCheck.h"
#include "FuzzEffect.h"
#include "FuzzInput.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t valueCount = 5;
constexpr int32_t nameBytes = 64;
constexpr int32_t rowBytes = valueCount * 4 + nameBytes; // 84
constexpr int32_t oldRowBytes = 4 * 4 + nameBytes;       // 80: no Shape
constexpr int32_t rows = 8;
constexpr float stepsOf[valueCount] = {100.0f, 500.0f, 500.0f, 3.0f, 2.0f};
constexpr float oldLayoutShape = 0.5f;
constexpr int32_t maxAnySize = 1500;

float bigEndianFloat(const uint8_t* bytes) {
    const uint32_t bits = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) |
                          (uint32_t{bytes[2]} << 8) | uint32_t{bytes[3]};
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A stored normalised value from 0 to 1 comes back on the parameter's step grid, within half a step.
void checkLoadedRow(FuzzEffect& effect, const uint8_t* row) {
    for (int32_t i = 0; i < valueCount; ++i) {
        const float stored = bigEndianFloat(row + 4 * i);
        const float read = effect.getParam(i);
        if (stored >= 0.0f && stored <= 1.0f) {
            fuzzCheck(std::fabs(read - stored) <= 0.5f / stepsOf[i] + 1.0e-5f,
                      "a loaded value is not read back on its step grid");
            fuzzCheck(read >= -1.0e-6f && read <= 1.0f + 1.0e-6f,
                      "a loaded value in range reads out of range");
        }
    }
}

std::vector<uint8_t> saved(FuzzEffect& effect, bool programOnly) {
    void* chunk = nullptr;
    const intptr_t size = effect.dispatch(opSaveState, programOnly ? 1 : 0, 0, &chunk, 0.0f);
    const auto* bytes = static_cast<const uint8_t*>(chunk);
    return {bytes, bytes + (size > 0 ? size : 0)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    FuzzEffect effect;
    const uint8_t setup = input.byte();
    if ((setup & 1) != 0) {
        effect.dispatch(opPower, 0, 1, nullptr, 0.0f);
    }
    if ((setup & 2) != 0) {
        effect.dispatch(opSelectProgram, 0, input.intIn(0, rows - 1), nullptr, 0.0f);
    }
    const bool programOnly = (setup & 4) != 0;
    const int32_t rowCount = programOnly ? 1 : rows;
    const int layout = (setup >> 3) % 4;
    int32_t chunkSize = 0;
    switch (layout) {
    case 0:
        chunkSize = rowBytes * rowCount;
        break;
    case 1:
        chunkSize = oldRowBytes * rowCount;
        break;
    case 2:
        chunkSize = input.intIn(0, maxAnySize);
        break;
    default:
        chunkSize = static_cast<int32_t>(input.remaining());
        break;
    }
    // Exactly as many bytes as announced, so that any read beyond them is caught.
    std::vector<uint8_t> chunk = input.bytes(static_cast<size_t>(chunkSize));
    chunk.resize(static_cast<size_t>(chunkSize));
    const std::vector<uint8_t> original = chunk;
    const auto current = static_cast<int32_t>(effect.dispatch(opCurrentProgram, 0, 0, nullptr, 0.0f));
    const std::vector<uint8_t> before = saved(effect, false);

    const intptr_t answer = effect.dispatch(opLoadState, programOnly ? 1 : 0, chunkSize,
                                            chunk.empty() ? nullptr : chunk.data(), 0.0f);
    fuzzCheck(answer == 0, "the set-chunk request answers 0");
    fuzzCheck(chunk == original, "the effect wrote into the host's chunk");
    fuzzCheck(effect.dispatch(opCurrentProgram, 0, 0, nullptr, 0.0f) == current,
              "loading a chunk changed the current program");

    const std::vector<uint8_t> after = saved(effect, false);
    fuzzCheck(after.size() == static_cast<size_t>(rows * rowBytes), "bank chunk size");
    if (chunkSize == rowBytes * rowCount) {
        const uint8_t* row = programOnly ? chunk.data() : chunk.data() + current * rowBytes;
        checkLoadedRow(effect, row);
        // Names travel untouched, bytes after the terminator included.
        for (int32_t r = 0; r < rowCount; ++r) {
            const int32_t target = programOnly ? current : r;
            fuzzCheck(std::memcmp(after.data() + target * rowBytes + valueCount * 4,
                                  chunk.data() + r * rowBytes + valueCount * 4, nameBytes) == 0,
                      "a loaded name did not survive the round trip");
        }
    } else if (chunkSize == oldRowBytes * rowCount) {
        fuzzCheck(effect.getParam(4) == oldLayoutShape, "an old-layout chunk sets the sine shape");
    } else {
        fuzzCheck(after == before, "a chunk of another size changed the programs");
    }

    effect.checkChunks();
    effect.checkTexts();
    for (int32_t p = 0; p < rows; ++p) {
        effect.dispatch(opSelectProgram, 0, p, nullptr, 0.0f);
        effect.checkTexts();
    }
    effect.dispatch(opSelectProgram, 0, input.intIn(0, rows - 1), nullptr, 0.0f);
    effect.dispatch(opPower, 0, 1, nullptr, 0.0f);
    for (int block = 0; block < 3; ++block) {
        effect.processBlock(input, input.intIn(0, 2048), input.flag());
    }
    effect.checkTexts();
    return 0;
}

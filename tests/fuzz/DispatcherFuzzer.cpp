// A sequence of host requests decoded from the bytes: any opcode with any index, value and opt, a ptr to
// a buffer of the size a careful host would give, interleaved with parameter writes and reads, changes of
// the host's pin answers and processing blocks of any size in both modes.
#include "FuzzCheck.h"
#include "FuzzEffect.h"
#include "FuzzInput.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int32_t lastOpcodeTried = 72; // a few beyond the last request
constexpr size_t structBytes = 256;     // for requests whose ptr this plug-in does not use
constexpr size_t maxTextLength = 200;   // longer than every name field
constexpr int32_t maxChunkSize = 1500;
constexpr int32_t programChunkBytes = 84;
constexpr int32_t bankChunkBytes = 672;

int32_t decodeIndex(FuzzInput& input) {
    const uint8_t kind = input.byte();
    return kind < 200 ? input.intIn(-2, 9) : input.i32();
}

int32_t decodeValue(FuzzInput& input) {
    const uint8_t kind = input.byte();
    if (kind < 100) {
        return input.intIn(-1, 9);
    }
    if (kind < 200) {
        return input.intIn(0, 70000);
    }
    return input.i32();
}

// A writable, terminated text as a host would pass it in.
std::vector<char> decodeText(FuzzInput& input) {
    const std::string text = input.text(maxTextLength);
    return {text.c_str(), text.c_str() + text.size() + 1};
}

void request(FuzzEffect& effect, FuzzInput& input) {
    const uint8_t kind = input.byte();
    const int32_t opcode = kind < 250 ? kind % (lastOpcodeTried + 1) : input.i32();
    int32_t index = decodeIndex(input);
    int32_t value = decodeValue(input);
    const float opt = input.interestingFloat();
    const bool filled = input.flag();
    switch (opcode) {
    case opClose:
        return; // only at the end, by the fixture
    case opRenameProgram:
    case opParamFromText:
    case opCapability: {
        std::vector<char> text = decodeText(input);
        effect.dispatch(opcode, index, value, text.data(), opt);
        break;
    }
    case opProgramName:
    case opParamUnit:
    case opParamValueText:
    case opParamName:
    case opVendorName: {
        std::vector<char> text(FuzzEffect::textBytes, filled ? '\x7F' : '\0');
        effect.dispatch(opcode, index, value, text.data(), opt);
        fuzzCheck(terminatedWithin(text.data(), FuzzEffect::textBytes), "a text is not terminated");
        break;
    }
    case opEditorRect: {
        EditorRect* rect = nullptr;
        if (effect.dispatch(opcode, index, value, &rect, opt) != 0) {
            fuzzCheck(rect != nullptr, "an editor rectangle answered without a rectangle");
        }
        break;
    }
    case opEditorOpen:
        effect.dispatch(opcode, index, value, nullptr, opt); // no window to embed into
        break;
    case opSaveState: {
        void* chunk = nullptr;
        const intptr_t size = effect.dispatch(opcode, index, value, &chunk, opt);
        fuzzCheck(size == (index != 0 ? programChunkBytes : bankChunkBytes), "chunk size");
        std::vector<uint8_t> copy(static_cast<size_t>(size));
        std::memcpy(copy.data(), chunk, copy.size());
        break;
    }
    case opLoadState: {
        const int32_t sizes[] = {programChunkBytes, 80, bankChunkBytes, 640, input.intIn(0, maxChunkSize)};
        const int32_t size = sizes[input.byte() % std::size(sizes)];
        std::vector<uint8_t> chunk = input.bytes(static_cast<size_t>(size));
        chunk.resize(static_cast<size_t>(size));
        effect.dispatch(opcode, index, size, chunk.empty() ? nullptr : chunk.data(), opt);
        break;
    }
    case opChannelLayout: {
        // Two layout records, the host's input and output arrangement; the count sits at offset 4.
        ChannelLayoutRecord records[2] = {{input.i32(), decodeValue(input)},
                                          {input.i32(), decodeValue(input)}};
        effect.dispatch(opcode, index, 0, &records[1], opt);
        break;
    }
    case opVendorSpecific:
        if (input.flag()) {
            index = CHORUS_WHEEL_INDEX;
            value = CHORUS_WHEEL_VALUE;
        }
        [[fallthrough]];
    default: {
        std::vector<uint8_t> buffer(structBytes, filled ? uint8_t{0xA5} : uint8_t{0});
        effect.dispatch(opcode, index, value, input.flag() ? buffer.data() : nullptr, opt);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    FuzzEffect effect;
    while (!input.empty()) {
        switch (input.byte() % 8) {
        case 0:
        case 1:
        case 2:
        case 3:
            request(effect, input);
            break;
        case 4: {
            const int32_t index = decodeIndex(input);
            effect.setParam(index, input.interestingFloat());
            break;
        }
        case 5:
            effect.getParam(decodeIndex(input));
            break;
        case 6: {
            const uint8_t kind = input.byte();
            const int32_t frames =
                kind < 240 ? input.intIn(0, 1100) : input.intIn(-2, FuzzEffect::maxHostFrames);
            effect.processBlock(input, frames, (kind & 1) != 0);
            break;
        }
        default:
            FuzzEffect::setDisconnectedPins(input.u32());
            break;
        }
    }
    effect.checkTexts();
    effect.checkChunks();
    effect.dispatch(opPower, 0, 1, nullptr, 0.0f);
    effect.processBlock(input, 512, false);
    return 0;
}

#include "TestHost.h"

std::vector<RecordedCall> TestHost::calls;
std::function<intptr_t(const RecordedCall&)> TestHost::answer;

namespace {
intptr_t defaultAnswer(const RecordedCall& call) {
    return call.opcode == hostOpVersion ? 2400 : 0;
}
} // namespace

intptr_t CHORUS_CDECL TestHost::callback(EffectDescriptor* effect, int32_t opcode, int32_t index,
                                         intptr_t value, void* ptr, float opt) {
    const RecordedCall call{effect, opcode, index, value, ptr, opt};
    calls.push_back(call);
    return answer ? answer(call) : defaultAnswer(call);
}

void TestHost::reset() {
    calls.clear();
    answer = defaultAnswer;
}

std::vector<RecordedCall> TestHost::callsWith(int32_t opcode) {
    std::vector<RecordedCall> found;
    for (const RecordedCall& call : calls) {
        if (call.opcode == opcode) {
            found.push_back(call);
        }
    }
    return found;
}

#include "lv2/ModuleFacts.h"

#include "dsp/ChorusParameterSet.h"
#include "dsp/WaveShape.h"
#include "plugin/ChorusEffect.h"

#include <charconv>

namespace chorus::lv2 {

namespace {

intptr_t CHORUS_CDECL silentHost(EffectDescriptor*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == hostOpVersion ? 1 : 0;
}

std::string dispatchText(ChorusEffect& effect, int32_t opcode) {
    char text[PluginBase::textSize] = {};
    effect.dispatch(opcode, 0, 0, text, 0.0f);
    text[sizeof text - 1] = '\0';
    return text;
}

std::string wholeNumber(float value) {
    char text[16];
    const auto end = std::to_chars(text, text + sizeof text, static_cast<long>(value)).ptr;
    return {text, end};
}

} // namespace

ModuleFacts ModuleFacts::read() {
    ChorusEffect effect(silentHost);
    effect.initialise();
    ParameterSet& set = *effect.parameterSet();
    ModuleFacts facts;
    facts.vendor = dispatchText(effect, opVendorName);
    for (int i = 0; i < set.getCount(); ++i) {
        const ParameterRecord& record = *set.getRecord(i);
        ParameterFacts parameter{record.name,
                                 record.unit,
                                 record.minimum,
                                 record.maximum,
                                 record.defaultValue,
                                 record.step > 0.0f ? record.step : 0.0f,
                                 {}};
        const float steps = set.getStepCount(i);
        if (steps > 0.0f && steps <= maxListedSteps) {
            for (int s = 0; s <= static_cast<int>(steps); ++s) {
                const float value = record.minimum + static_cast<float>(s) * record.step;
                parameter.stepNames.push_back(i == paramShape
                                                  ? std::string(shapeNames.at(static_cast<size_t>(s)))
                                                  : wholeNumber(value));
            }
        }
        facts.parameters.push_back(std::move(parameter));
    }
    const auto selected = effect.dispatch(opCurrentProgram, 0, 0, nullptr, 0.0f);
    for (int32_t p = 0; p < effect.descriptor()->programCount; ++p) {
        effect.dispatch(opSelectProgram, 0, p, nullptr, 0.0f);
        ProgramFacts program{dispatchText(effect, opProgramName), {}};
        for (int i = 0; i < set.getCount(); ++i) {
            program.values.push_back(set.getRealValue(i));
        }
        facts.programs.push_back(std::move(program));
    }
    effect.dispatch(opSelectProgram, 0, selected, nullptr, 0.0f);
    return facts;
}

} // namespace chorus::lv2

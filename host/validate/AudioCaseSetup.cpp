#include "host/validate/AudioCaseSetup.h"

#include <cstdio>

namespace chorus::host {

namespace {

// The fractional rates: one below what most modules run at (refused or not, processing must stay safe),
// two that truncate differently from how they round.
const float allRates[] = {8000.0f,   11025.0f,  22050.0f,   32000.0f,   44100.0f,  48000.0f,
                          88200.0f,  96000.0f,  176400.0f,  192000.0f,  352800.0f, 384000.0f,
                          705600.0f, 768000.0f, 1234.5678f, 45678.901f, 123456.78f};
const float fewRates[] = {8000.0f, 44100.0f, 192000.0f, 768000.0f, 1234.5678f};

} // namespace

std::vector<float> audioCaseRates(const CaseContext& context) {
    if (context.options.level < 3) {
        return {std::begin(fewRates), std::end(fewRates)};
    }
    return {std::begin(allRates), std::end(allRates)};
}

float anyAudioCaseRate(std::mt19937& rng) {
    return allRates[randomInt(rng, 0, static_cast<int>(std::size(allRates)) - 1)];
}

std::string rateAndBlock(float rate, int block) {
    char text[64];
    std::snprintf(text, sizeof text, "at %.9g Hz, block %d", static_cast<double>(rate), block);
    return text;
}

bool createDrivers(CaseContext& context, std::size_t count, std::deque<PluginDriver>& drivers,
                   std::string& error) {
    for (std::size_t i = 0; i < count; ++i) {
        drivers.emplace_back(context.loader);
    }
    for (auto& driver : drivers) {
        if (!driver.create(error)) {
            return false;
        }
    }
    return true;
}

RandomSettings::RandomSettings(std::mt19937& rng, int programs, int parameters) {
    program = programs > 0 ? randomInt(rng, 0, programs - 1) : 0;
    for (int i = 0; i < parameters; ++i) {
        values.push_back(randomValue(rng, false));
        later.push_back(randomValue(rng, false));
    }
}

void RandomSettings::apply(PluginDriver& driver, const std::vector<float>& which) const {
    for (int i = 0; i < static_cast<int>(which.size()); ++i) {
        driver.host().setParameter(i, which[static_cast<std::size_t>(i)]);
    }
}

void RandomSettings::startAll(std::deque<PluginDriver>& drivers, float rate, int block) const {
    for (auto& d : drivers) {
        d.host().dispatch(opSelectProgram, 0, program);
        apply(d, values);
        d.start(rate, block);
    }
}

} // namespace chorus::host

#pragma once

// What the audio and processing cases share: the rates they run at, instances created together and the
// random settings every instance of one combination gets.
#include "host/validate/PluginDriver.h"
#include "host/validate/ValidatorCase.h"

#include <deque>
#include <random>
#include <string>
#include <vector>

namespace chorus::host {

// Every rate the audio cases run at, or a few of them below level 3.
std::vector<float> audioCaseRates(const CaseContext& context);
// One of every rate, drawn from rng.
float anyAudioCaseRate(std::mt19937& rng);
// "at R Hz, block B", for a failure message.
std::string rateAndBlock(float rate, int block);
// count instances of the module, all created (a deque: the drivers stay where they are made); false with
// the error of the first that was not.
bool createDrivers(CaseContext& context, std::size_t count, std::deque<PluginDriver>& drivers,
                   std::string& error);

// The same random settings for every instance of one combination.
struct RandomSettings {
    int program = 0;
    std::vector<float> values;
    std::vector<float> later; // applied half-way, so that ramps run during the check

    RandomSettings(std::mt19937& rng, int programs, int parameters);
    void apply(PluginDriver& driver, const std::vector<float>& which) const;
    // The program, the values, then rate and block size and resume, for every instance in turn.
    void startAll(std::deque<PluginDriver>& drivers, float rate, int block) const;
};

} // namespace chorus::host

#include "host/audio/DemoSignalStream.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace chorus::host {

namespace {

constexpr double noteSeconds = 0.3; // one eighth note at 100 beats per minute
constexpr int notesPerChord = 8;
constexpr float stringDamping = 0.996f; // loss per pass around a string
constexpr float pluckLevel = 0.32f;
constexpr float bassLevel = 0.16f;
constexpr double bassDecayPerSecond = 1.6;
constexpr double twoPi = 6.283185307179586;
constexpr size_t voices = 4;

// Am, F, C, G as MIDI notes: arpeggio pattern and bass root.
constexpr std::array<std::array<int, 4>, 4> chords = {
    {{57, 60, 64, 69}, {53, 57, 60, 65}, {48, 55, 60, 64}, {55, 59, 62, 67}}};
constexpr std::array<int, notesPerChord> pattern = {0, 1, 2, 3, 2, 1, 2, 3};

double midiToHz(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// A plucked string (a noise burst circulating in a damped delay line).
class PluckedString {
public:
    void pluck(double frequency, int sampleRate, uint32_t& seed) {
        const auto length = static_cast<size_t>(std::max(2.0, sampleRate / frequency));
        line.assign(length, 0.0f);
        for (float& sample : line) {
            seed = seed * 1664525u + 1013904223u;
            sample = static_cast<float>(seed >> 8) / 8388608.0f - 1.0f;
        }
        position = 0;
    }
    float next() {
        if (line.empty()) {
            return 0.0f;
        }
        const size_t following = (position + 1) % line.size();
        const float out = line[position];
        line[position] = 0.5f * (line[position] + line[following]) * stringDamping;
        position = following;
        return out;
    }

private:
    std::vector<float> line;
    size_t position = 0;
};

} // namespace

// Each string keeps its own delay line, sized once per pluck: a short signal's worth of memory however
// long the stream runs.
class DemoSignalStream::Strings {
public:
    std::array<PluckedString, voices> voice;
};

DemoSignalStream::DemoSignalStream(int sampleRate, double seconds) : strings(std::make_unique<Strings>()) {
    channelCount = 2;
    rate = sampleRate;
    frameCount = static_cast<long long>(std::max(0.0, seconds) * sampleRate);
    noteFrames = std::max<long long>(1, static_cast<long long>(noteSeconds * sampleRate));
}

DemoSignalStream::~DemoSignalStream() = default;

bool DemoSignalStream::read(float* interleaved, int count, std::string& error) {
    if (count < 0 || count > frameCount - position) {
        error = "the demo signal has " + std::to_string(frameCount - position) + " frames left, not " +
                std::to_string(count);
        return false;
    }
    for (int i = 0; i < count; ++i, ++position) {
        const long long frame = position;
        const long long note = frame / noteFrames;
        const long long chordIndex = (note / notesPerChord) % static_cast<long long>(chords.size());
        const auto& chord = chords[static_cast<size_t>(chordIndex)];
        if (frame % noteFrames == 0) {
            const int midi = chord[static_cast<size_t>(pattern[static_cast<size_t>(note % notesPerChord)])];
            strings->voice[static_cast<size_t>(note) % voices].pluck(midiToHz(midi), rate, seed);
        }
        float left = 0.0f;
        float right = 0.0f;
        for (size_t v = 0; v < voices; ++v) {
            const float sample = strings->voice[v].next() * pluckLevel;
            // Alternate voices lean left and right.
            left += sample * (v % 2 == 0 ? 0.8f : 0.45f);
            right += sample * (v % 2 == 0 ? 0.45f : 0.8f);
        }
        const double chordTime =
            static_cast<double>(frame - (note / notesPerChord) * notesPerChord * noteFrames) / rate;
        const double bassPhase = twoPi * midiToHz(chord[0] - 12) * static_cast<double>(frame) / rate;
        const auto bass =
            static_cast<float>(bassLevel * std::exp(-bassDecayPerSecond * chordTime) * std::sin(bassPhase));
        interleaved[2 * i] = left + bass;
        interleaved[2 * i + 1] = right + bass;
    }
    return true;
}

} // namespace chorus::host

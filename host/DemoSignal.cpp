#include "host/DemoSignal.h"

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

AudioFile DemoSignal::generate(int sampleRate, double seconds) {
    AudioFile file;
    file.channels = 2;
    file.sampleRate = sampleRate;
    const auto frames = static_cast<long long>(std::max(0.0, seconds) * sampleRate);
    file.samples.assign(static_cast<size_t>(frames) * 2, 0.0f);

    constexpr size_t voices = 4;
    std::array<PluckedString, voices> strings;
    uint32_t seed = 12345u;
    const auto noteFrames = static_cast<long long>(noteSeconds * sampleRate);
    for (long long frame = 0; frame < frames; ++frame) {
        const long long note = frame / noteFrames;
        const long long chordIndex = (note / notesPerChord) % static_cast<long long>(chords.size());
        const auto& chord = chords[static_cast<size_t>(chordIndex)];
        if (frame % noteFrames == 0) {
            const int midi = chord[static_cast<size_t>(pattern[static_cast<size_t>(note % notesPerChord)])];
            strings[static_cast<size_t>(note) % voices].pluck(midiToHz(midi), sampleRate, seed);
        }
        float left = 0.0f;
        float right = 0.0f;
        for (size_t v = 0; v < voices; ++v) {
            const float sample = strings[v].next() * pluckLevel;
            // Alternate voices lean left and right.
            left += sample * (v % 2 == 0 ? 0.8f : 0.45f);
            right += sample * (v % 2 == 0 ? 0.45f : 0.8f);
        }
        const double chordTime =
            static_cast<double>(frame - (note / notesPerChord) * notesPerChord * noteFrames) / sampleRate;
        const double bassPhase = twoPi * midiToHz(chord[0] - 12) * static_cast<double>(frame) / sampleRate;
        const auto bass =
            static_cast<float>(bassLevel * std::exp(-bassDecayPerSecond * chordTime) * std::sin(bassPhase));
        file.samples[static_cast<size_t>(frame) * 2] = left + bass;
        file.samples[static_cast<size_t>(frame) * 2 + 1] = right + bass;
    }
    return file;
}

AudioFile DemoSignal::toMono(const AudioFile& stereo) {
    AudioFile mono;
    mono.channels = 1;
    mono.sampleRate = stereo.sampleRate;
    mono.samples.resize(static_cast<size_t>(stereo.frames()));
    for (long long f = 0; f < stereo.frames(); ++f) {
        float sum = 0.0f;
        for (int c = 0; c < stereo.channels; ++c) {
            sum += stereo.sample(f, c);
        }
        mono.samples[static_cast<size_t>(f)] = sum / static_cast<float>(stereo.channels);
    }
    return mono;
}

} // namespace chorus::host

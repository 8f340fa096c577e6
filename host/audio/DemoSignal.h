#pragma once

#include "host/audio/AudioFile.h"

namespace chorus::host {

// A built-in stereo test signal: plucked-string arpeggios over a four-chord progression with a soft bass,
// the kind of material a chorus is made for. Deterministic: the same samples on every machine.
class DemoSignal {
public:
    static constexpr double defaultSeconds = 12.0;

    static AudioFile generate(int sampleRate, double seconds);
    // The average of the channels.
    static AudioFile toMono(const AudioFile& stereo);
};

} // namespace chorus::host

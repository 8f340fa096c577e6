#pragma once

#include "host/audio/AudioReader.h"

#include <cstdint>
#include <memory>

namespace chorus::host {

// The demo signal made block by block as it is read, so any length costs the same memory.
class DemoSignalStream final : public AudioReader {
public:
    DemoSignalStream(int sampleRate, double seconds);
    ~DemoSignalStream() override;
    DemoSignalStream(const DemoSignalStream&) = delete;
    DemoSignalStream& operator=(const DemoSignalStream&) = delete;

    bool read(float* interleaved, int count, std::string& error) override;

private:
    class Strings;
    std::unique_ptr<Strings> strings;
    long long noteFrames = 1;
    long long position = 0;
    uint32_t seed = 12345u;
};

} // namespace chorus::host

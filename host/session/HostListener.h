#pragma once

#include <cstdint>

namespace chorus::host {

// Told of each host request a plug-in makes, on the thread that makes it, after the host has answered.
class HostListener {
public:
    virtual ~HostListener() = default;
    virtual void hostRequest(int32_t opcode, int32_t index, float opt) = 0;
};

} // namespace chorus::host

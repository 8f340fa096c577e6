#include "host/validate/ResourceCounter.h"

namespace chorus::host {

std::string ResourceCounter::changes(const Snapshot& before, const Snapshot& after) {
    std::string text;
    const auto compare = [&text](const char* what, long long x, long long y) {
        if (x != y) {
            text += (text.empty() ? "" : ", ") + std::string(what) + " " + std::to_string(x) + " -> " +
                    std::to_string(y);
        }
    };
    compare("live allocations", before.liveBlocks, after.liveBlocks);
    compare("GDI objects", before.gdiObjects, after.gdiObjects);
    compare("window DCs", before.deviceContexts, after.deviceContexts);
    compare("module windows", before.windows, after.windows);
    compare("process windows", before.processWindows, after.processWindows);
    compare("kernel handles", before.kernelHandles, after.kernelHandles);
    return text;
}

} // namespace chorus::host

#pragma once

#include <string>

namespace chorus::host {

// Counts, from the host's side, what a loaded module allocates and holds. On Windows the module's own
// imports of the C runtime's allocator, of the GDI object and device-context functions, of window creation
// and of kernel handle creation are redirected through counting wrappers (GetGuiResources answers 0 under
// Wine, so GDI objects are counted at the calls that make and free them); top-level windows of the process
// are counted by enumeration. Natively chorus-host replaces operator new and delete, which every allocation
// of a C++ module goes through; the GUI counts are not available there (-1).
class ResourceCounter {
public:
    struct Snapshot {
        long long liveBlocks = -1;     // allocations not yet freed
        long long gdiObjects = -1;     // GDI objects made and not deleted
        long long deviceContexts = -1; // window DCs got and not released
        long long windows = -1;        // windows made by the module and not destroyed
        long long processWindows = -1; // top-level windows of this process
        long long kernelHandles = -1;  // kernel handles made by the module and not closed
    };

    // Starts counting for the module that holds this address; answers how it counts, or an error text
    // starting with "cannot".
    static std::string install(const void* moduleAddress);
    static Snapshot snapshot();
    // What grew or shrank between two snapshots, as text; empty when nothing did.
    static std::string changes(const Snapshot& before, const Snapshot& after);
    // Allocations made on the calling thread while counting was switched on for it.
    static void countThisThread(bool on);
    static long long threadAllocations();
};

} // namespace chorus::host

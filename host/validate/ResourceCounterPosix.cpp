#include "host/validate/ResourceCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace chorus::host {

namespace {

std::atomic<long long> live{0};
thread_local bool counting = false;
thread_local long long counted = 0;

void* allocate(std::size_t size) noexcept {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) {
        live.fetch_add(1, std::memory_order_relaxed);
        if (counting) {
            ++counted;
        }
    }
    return block;
}

void release(void* block) noexcept {
    if (block != nullptr) {
        live.fetch_sub(1, std::memory_order_relaxed);
        std::free(block);
    }
}

} // namespace

std::string ResourceCounter::install(const void*) {
    return "allocations counted through chorus-host's own operator new and delete";
}

ResourceCounter::Snapshot ResourceCounter::snapshot() {
    Snapshot s;
    s.liveBlocks = live.load(std::memory_order_relaxed);
    return s;
}

void ResourceCounter::countThisThread(bool on) {
    counting = on;
}

long long ResourceCounter::threadAllocations() {
    return counted;
}

} // namespace chorus::host

// The replacements every new and delete of the process, the module's included, resolve to (chorus-host
// exports them so that a loaded module binds to them).
void* operator new(std::size_t size) {
    if (void* block = chorus::host::allocate(size)) {
        return block;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return chorus::host::allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return chorus::host::allocate(size);
}
void operator delete(void* block) noexcept {
    chorus::host::release(block);
}
void operator delete[](void* block) noexcept {
    chorus::host::release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    chorus::host::release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    chorus::host::release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    chorus::host::release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    chorus::host::release(block);
}

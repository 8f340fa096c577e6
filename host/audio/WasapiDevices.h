#pragma once

// The sound system's devices on Windows: COM references and scopes, and the output endpoints by the names
// --device takes. Included only by the Windows back end, so the platform's headers are in order here.
// clang-format off
#include <windows.h>
#include <mmdeviceapi.h>
// clang-format on

#include "host/audio/AudioOutput.h"

#include <cstdio>
#include <string>
#include <vector>

namespace chorus::host {

// One COM reference, released when it goes.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    T* operator->() const noexcept { return pointer; }
    T* get() const noexcept { return pointer; }
    T** put() noexcept {
        reset();
        return &pointer;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }
    void reset() noexcept {
        if (pointer != nullptr) {
            pointer->Release();
            pointer = nullptr;
        }
    }

private:
    T* pointer = nullptr;
};

// COM for the calling thread, for one scope.
class ComScope {
public:
    ComScope() : result(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result)) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool ok() const noexcept { return SUCCEEDED(result); }

private:
    HRESULT result;
};

// An error code as text for messages.
std::string hex(HRESULT result);
// UTF-16 text as UTF-8.
std::string narrow(const wchar_t* wide);

// The output device for a --device text: empty for the default, else a device's name as listed, else a
// number in the list of active outputs or part of a device's name.
bool findDevice(IMMDeviceEnumerator& devices, const std::string& wanted, ComRef<IMMDevice>& device,
                std::string& name, std::string& error);
// The active outputs with their names and the default marked, on the calling thread (COM started here).
bool listOutputs(std::vector<AudioOutput::Device>& list, std::string& error);

} // namespace chorus::host

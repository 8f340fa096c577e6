#include "host/audio/WasapiDevices.h"

// clang-format off
#include <initguid.h> // the property key GUIDs below are defined here, not in a library
#include <functiondiscoverykeys_devpkey.h>
// clang-format on

#include <thread>

namespace chorus::host {

std::string hex(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return text;
}

std::string narrow(const wchar_t* wide) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) {
        return {};
    }
    std::string text(static_cast<std::size_t>(bytes - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), bytes, nullptr, nullptr);
    return text;
}

namespace {

std::string friendlyName(IMMDevice& device) {
    ComRef<IPropertyStore> store;
    if (FAILED(device.OpenPropertyStore(STGM_READ, store.put()))) {
        return {};
    }
    PROPVARIANT value;
    PropVariantInit(&value);
    std::string name;
    if (SUCCEEDED(store->GetValue(PKEY_Device_FriendlyName, &value)) && value.vt == VT_LPWSTR) {
        name = narrow(value.pwszVal);
    }
    PropVariantClear(&value);
    return name;
}

std::string deviceId(IMMDevice& device) {
    LPWSTR id = nullptr;
    if (FAILED(device.GetId(&id)) || id == nullptr) {
        return {};
    }
    std::string text = narrow(id);
    CoTaskMemFree(id);
    return text;
}

// The active outputs; false with a message when there are none.
bool activeOutputs(IMMDeviceEnumerator& devices, ComRef<IMMDeviceCollection>& all, UINT& count,
                   std::string& error) {
    if (FAILED(devices.EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, all.put())) ||
        FAILED(all->GetCount(&count)) || count == 0) {
        error = "no sound device: the system has no audio output";
        return false;
    }
    return true;
}

} // namespace

bool findDevice(IMMDeviceEnumerator& devices, const std::string& wanted, ComRef<IMMDevice>& device,
                std::string& name, std::string& error) {
    ComRef<IMMDeviceCollection> all;
    UINT count = 0;
    if (!activeOutputs(devices, all, count, error)) {
        return false;
    }
    if (wanted.empty()) {
        if (FAILED(devices.GetDefaultAudioEndpoint(eRender, eConsole, device.put()))) {
            error = "no sound device: the system has no default audio output";
            return false;
        }
        name = friendlyName(*device.get());
        return true;
    }
    // A listed name is taken whole first: it may be part of another device's name.
    for (const bool whole : {true, false}) {
        for (UINT i = 0; i < count; ++i) {
            if (FAILED(all->Item(i, device.put()))) {
                continue;
            }
            name = friendlyName(*device.get());
            if (whole ? name == wanted
                      : wanted == std::to_string(i) || name.find(wanted) != std::string::npos) {
                return true;
            }
        }
    }
    device.reset();
    name.clear();
    error = "no sound device named " + wanted + "; `chorus-host play --list-devices` lists them";
    return false;
}

bool listOutputs(std::vector<AudioOutput::Device>& list, std::string& error) {
    ComScope com;
    ComRef<IMMDeviceEnumerator> devices;
    ComRef<IMMDeviceCollection> all;
    UINT count = 0;
    if (!com.ok()) {
        error = "cannot start COM for the device list";
        return false;
    }
    const HRESULT result = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                            __uuidof(IMMDeviceEnumerator), devices.putVoid());
    if (FAILED(result)) {
        error = "no sound system: the audio device list is not there (" + hex(result) + ")";
        return false;
    }
    if (!activeOutputs(*devices.get(), all, count, error)) {
        return false;
    }
    ComRef<IMMDevice> device;
    std::string defaultId;
    if (SUCCEEDED(devices->GetDefaultAudioEndpoint(eRender, eConsole, device.put()))) {
        defaultId = deviceId(*device.get());
    }
    for (UINT i = 0; i < count; ++i) {
        if (SUCCEEDED(all->Item(i, device.put()))) {
            list.push_back(
                {friendlyName(*device.get()), !defaultId.empty() && deviceId(*device.get()) == defaultId});
        }
    }
    return true;
}

// On a thread of its own, as the device's COM objects are: the caller's apartment is never touched.
bool AudioOutput::listDevices(std::vector<Device>& devices, std::string& error) {
    devices.clear();
    bool ok = false;
    std::thread([&] { ok = listOutputs(devices, error); }).join();
    return ok;
}

} // namespace chorus::host

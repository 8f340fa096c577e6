// The sound device on Windows: a shared-mode audio session of the system's audio engine, fed by a thread of
// our own. Chosen over the wave-out API because it lets us set the engine's own buffer: under load the
// wave-out layer's small internal buffer ran dry although ours were full. Every COM object lives and dies
// on that thread, so the caller's apartment (an editor's window thread, say) is never touched.
#include "host/audio/AudioOutput.h"
#include "host/audio/AudioSource.h"
#include "host/audio/WasapiDevices.h"

// clang-format off
#include <windows.h>
#include <initguid.h> // the property key and format GUIDs below are defined here, not in a library
#include <audioclient.h>
#include <avrt.h>
#include <mmdeviceapi.h>
#include <mmreg.h>
#include <ksmedia.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <future>
#include <thread>

namespace chorus::host {

namespace {

constexpr int queuedBlocks = 3;                     // blocks the engine's buffer holds: the latency
constexpr REFERENCE_TIME unitsPerSecond = 10000000; // REFERENCE_TIME counts 100 ns
constexpr DWORD stallTimeoutMs = 2000;              // no buffer event for this long: the device is gone
constexpr DWORD drainPollMs = 5;

// A handle closed when it goes.
class EventHandle {
public:
    EventHandle() : handle(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~EventHandle() {
        if (handle != nullptr) {
            CloseHandle(handle);
        }
    }
    EventHandle(const EventHandle&) = delete;
    EventHandle& operator=(const EventHandle&) = delete;
    HANDLE get() const noexcept { return handle; }

private:
    HANDLE handle;
};

// The "Pro Audio" scheduling class for the calling thread, where the system has it.
class ProAudioScope {
public:
    ProAudioScope() {
        DWORD index = 0;
        task = AvSetMmThreadCharacteristicsA("Pro Audio", &index);
        if (task == nullptr) {
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
        }
    }
    ~ProAudioScope() {
        if (task != nullptr) {
            AvRevertMmThreadCharacteristics(task);
        }
    }
    ProAudioScope(const ProAudioScope&) = delete;
    ProAudioScope& operator=(const ProAudioScope&) = delete;

private:
    HANDLE task = nullptr;
};

// Interleaved 32-bit float stereo at the source's rate: what an AudioSource writes, so no conversion is ours.
WAVEFORMATEXTENSIBLE floatStereo(int rate) {
    WAVEFORMATEXTENSIBLE format{};
    format.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    format.Format.nChannels = AudioSource::channels;
    format.Format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.Format.wBitsPerSample = 32;
    format.Format.nBlockAlign = static_cast<WORD>(AudioSource::channels * sizeof(float));
    format.Format.nAvgBytesPerSec = format.Format.nSamplesPerSec * format.Format.nBlockAlign;
    format.Format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
    format.Samples.wValidBitsPerSample = 32;
    format.dwChannelMask = SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT;
    format.SubFormat = KSDATAFORMAT_SUBTYPE_IEEE_FLOAT;
    return format;
}

} // namespace

class AudioOutput::Platform final : public AudioOutput::Backend {
public:
    using Backend::Backend;

    int blockFrames = 0;
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<bool> draining{false};
    EventHandle wake; // the engine's "room in the buffer" event; also set to end the thread

    ~Platform() override { close(); }

    bool open(const std::string& wanted, int bufferFrames, std::string& name, std::string& error) override {
        if (wake.get() == nullptr) {
            error = "cannot create the audio thread's event";
            return false;
        }
        blockFrames = bufferFrames;
        running.store(true, std::memory_order_release);
        std::promise<std::string> opened; // empty: started; else why not
        std::future<std::string> result = opened.get_future();
        thread = std::thread([this, wanted, &opened, &name] { run(wanted, name, opened); });
        error = result.get();
        if (!error.empty()) {
            close();
            return false;
        }
        return true;
    }

    // The audio thread: opens the device, reports to open(), then refills the engine's buffer a whole block
    // at a time whenever it has room for one, so the plug-in gets blocks of the size it was told.
    void run(const std::string& wanted, std::string& name, std::promise<std::string>& opened) {
        ComScope com;
        ComRef<IMMDeviceEnumerator> devices;
        ComRef<IMMDevice> device;
        ComRef<IAudioClient> client;
        ComRef<IAudioRenderClient> render;
        UINT32 capacity = 0;
        std::string error = setUp(com, wanted, devices, device, client, render, capacity, name);
        if (!error.empty()) {
            running.store(false, std::memory_order_release);
            opened.set_value(error);
            return;
        }
        ProAudioScope priority;
        const auto block = static_cast<UINT32>(blockFrames);
        int silentBlocks = leadInBlocks(source.sampleRate(), blockFrames);
        bool primed = false;
        auto refill = [&] {
            UINT32 padding = 0;
            if (FAILED(client->GetCurrentPadding(&padding))) {
                return false;
            }
            if (primed && padding == 0) {
                status.underruns.fetch_add(1, std::memory_order_relaxed); // everything queued had played
            }
            while (capacity - padding >= block) {
                BYTE* data = nullptr;
                if (FAILED(render->GetBuffer(block, &data))) {
                    return false;
                }
                if (silentBlocks > 0) {
                    --silentBlocks;
                    render->ReleaseBuffer(block, AUDCLNT_BUFFERFLAGS_SILENT);
                } else {
                    source.render(reinterpret_cast<float*>(data), blockFrames);
                    render->ReleaseBuffer(block, 0);
                }
                padding += block;
            }
            primed = true;
            return true;
        };
        if (!refill() || FAILED(client->Start())) {
            running.store(false, std::memory_order_release);
            opened.set_value("the sound device " + name + " would not start");
            return;
        }
        opened.set_value({});

        while (running.load(std::memory_order_acquire)) {
            if (WaitForSingleObject(wake.get(), stallTimeoutMs) != WAIT_OBJECT_0) {
                status.lost.store(true, std::memory_order_release); // the device stopped asking
                break;
            }
            if (!running.load(std::memory_order_acquire)) {
                break;
            }
            if (draining.load(std::memory_order_acquire)) {
                UINT32 padding = 0;
                while (running.load(std::memory_order_acquire) &&
                       SUCCEEDED(client->GetCurrentPadding(&padding)) && padding > 0) {
                    Sleep(drainPollMs);
                }
                running.store(false, std::memory_order_release);
                break;
            }
            if (!refill()) {
                status.lost.store(true, std::memory_order_release); // unplugged, or its server ended
                break;
            }
        }
        client->Stop();
    }

    std::string setUp(const ComScope& com, const std::string& wanted, ComRef<IMMDeviceEnumerator>& devices,
                      ComRef<IMMDevice>& device, ComRef<IAudioClient>& client,
                      ComRef<IAudioRenderClient>& render, UINT32& capacity, std::string& name) {
        if (!com.ok()) {
            return "cannot start COM on the audio thread";
        }
        HRESULT result = CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                          __uuidof(IMMDeviceEnumerator), devices.putVoid());
        if (FAILED(result)) {
            return "no sound system: the audio device list is not there (" + hex(result) + ")";
        }
        std::string error;
        if (!findDevice(*devices.get(), wanted, device, name, error)) {
            return error;
        }
        result = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, client.putVoid());
        if (FAILED(result)) {
            return "cannot open the sound device " + name + " (" + hex(result) + ")";
        }
        const int rate = source.sampleRate();
        WAVEFORMATEXTENSIBLE format = floatStereo(rate);
        // The engine's buffer holds queuedBlocks blocks; it may round that up to its period.
        const REFERENCE_TIME duration =
            static_cast<REFERENCE_TIME>(blockFrames) * queuedBlocks * unitsPerSecond / rate;
        // The engine converts our rate to the device's; without that flag older systems take only the mix
        // rate.
        const DWORD flags = AUDCLNT_STREAMFLAGS_EVENTCALLBACK | AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM |
                            AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY;
        result = client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, duration, 0,
                                    reinterpret_cast<WAVEFORMATEX*>(&format), nullptr);
        if (FAILED(result)) {
            return "the sound device " + name + " refuses 32-bit float stereo at " + std::to_string(rate) +
                   " Hz (" + hex(result) + ")";
        }
        if (FAILED(client->SetEventHandle(wake.get())) || FAILED(client->GetBufferSize(&capacity)) ||
            FAILED(client->GetService(__uuidof(IAudioRenderClient), render.putVoid()))) {
            return "the sound device " + name + " cannot be fed";
        }
        if (capacity < static_cast<UINT32>(blockFrames)) {
            return "the sound device " + name + " holds only " + std::to_string(capacity) +
                   " frames, less than a block of " + std::to_string(blockFrames);
        }
        return {};
    }

    // Stops refilling and lets what is queued play out; the audio thread ends once the engine is empty.
    void drain() override {
        draining.store(true, std::memory_order_release);
        SetEvent(wake.get());
        const int rate = source.sampleRate() > 0 ? source.sampleRate() : 1;
        const auto queuedMs =
            static_cast<DWORD>(static_cast<long long>(blockFrames) * queuedBlocks * 1000 / rate);
        const ULONGLONG limit = GetTickCount64() + 2 * queuedMs + stallTimeoutMs;
        while (running.load(std::memory_order_acquire) && GetTickCount64() < limit) {
            Sleep(drainPollMs);
        }
    }

    void close() {
        running.store(false, std::memory_order_release);
        if (wake.get() != nullptr) {
            SetEvent(wake.get());
        }
        if (thread.joinable()) {
            thread.join();
        }
    }
};

std::unique_ptr<AudioOutput::Backend> AudioOutput::makeBackend(AudioSource& source, Status& status) {
    return std::make_unique<Platform>(source, status);
}

} // namespace chorus::host

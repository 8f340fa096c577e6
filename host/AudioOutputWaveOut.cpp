// The sound device on Windows: the multimedia wave-out API, fed by a thread of our own that wakes on the
// device's "buffer done" event, renders the next block from the LiveSource and queues it again.
#include "host/AudioOutput.h"
#include "host/LiveSource.h"

// windows.h must come before mmsystem.h.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

namespace chorus::host {

namespace {

constexpr int queuedBlocks = 3; // buffers the device holds: the latency
constexpr DWORD wakeTimeoutMs = 100;
constexpr float pcmScale = 32767.0f;
constexpr auto drainPoll = std::chrono::milliseconds(5);

std::string deviceError(MMRESULT result) {
    char text[MAXERRORLENGTH] = "";
    waveOutGetErrorTextA(result, text, sizeof text);
    return text;
}

// The device number for a --device text: a number, or (part of) a device's name; WAVE_MAPPER for none.
bool findDevice(const std::string& wanted, UINT& id, std::string& name, std::string& error) {
    const UINT count = waveOutGetNumDevs();
    if (count == 0) {
        error = "no sound device: the system has no wave output";
        return false;
    }
    for (UINT i = 0; i < count; ++i) {
        WAVEOUTCAPSA caps{};
        if (waveOutGetDevCapsA(i, &caps, sizeof caps) != MMSYSERR_NOERROR) {
            continue;
        }
        const std::string deviceName = caps.szPname;
        if ((wanted.empty() && i == 0) || wanted == std::to_string(i) ||
            (!wanted.empty() && deviceName.find(wanted) != std::string::npos)) {
            id = wanted.empty() ? WAVE_MAPPER : i;
            name = deviceName;
            return true;
        }
    }
    error = wanted.empty() ? "no sound device" : "no sound device named " + wanted;
    return false;
}

} // namespace

struct AudioOutput::Backend {
    HWAVEOUT device = nullptr;
    HANDLE wake = nullptr;
    LiveSource* source = nullptr;
    std::atomic<long long>* underruns = nullptr;
    int blockFrames = 0;
    std::vector<float> scratch;
    std::vector<std::vector<std::int16_t>> pcm;
    std::vector<WAVEHDR> headers;
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<bool> draining{false};

    ~Backend() { close(); }

    void fill(WAVEHDR& header, std::vector<std::int16_t>& samples) {
        source->render(scratch.data(), blockFrames);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const float s = std::clamp(scratch[i], -1.0f, 1.0f) * pcmScale;
            samples[i] = static_cast<std::int16_t>(std::lrint(s));
        }
        header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
        waveOutWrite(device, &header, sizeof header);
    }

    // The real-time part: refills each buffer the device is done with, in queue order.
    void run() {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
        std::size_t next = 0;
        while (running.load(std::memory_order_acquire)) {
            WaitForSingleObject(wake, wakeTimeoutMs);
            const auto done =
                static_cast<std::size_t>(std::count_if(headers.begin(), headers.end(), [](const WAVEHDR& h) {
                    return (h.dwFlags & WHDR_DONE) != 0;
                }));
            if (draining.load(std::memory_order_relaxed)) {
                continue; // what is queued plays out; nothing more is added
            }
            if (done == headers.size()) {
                underruns->fetch_add(1, std::memory_order_relaxed); // nothing was left to play
            }
            while (running.load(std::memory_order_relaxed) && (headers[next].dwFlags & WHDR_DONE) != 0) {
                fill(headers[next], pcm[next]);
                next = (next + 1) % headers.size();
            }
        }
    }

    bool open(const std::string& wanted, int bufferFrames, std::string& name, std::string& error) {
        UINT id = WAVE_MAPPER;
        if (!findDevice(wanted, id, name, error)) {
            return false;
        }
        wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (wake == nullptr) {
            error = "cannot create the audio thread's event";
            return false;
        }
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = LiveSource::channels;
        format.nSamplesPerSec = static_cast<DWORD>(source->sampleRate());
        format.wBitsPerSample = 16;
        format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
        format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
        const MMRESULT opened =
            waveOutOpen(&device, id, &format, reinterpret_cast<DWORD_PTR>(wake), 0, CALLBACK_EVENT);
        if (opened != MMSYSERR_NOERROR) {
            device = nullptr;
            error = "cannot open the sound device " + name + ": " + deviceError(opened);
            return false;
        }
        blockFrames = bufferFrames;
        const auto samples = static_cast<std::size_t>(bufferFrames) * LiveSource::channels;
        scratch.assign(samples, 0.0f);
        pcm.assign(queuedBlocks, std::vector<std::int16_t>(samples, 0));
        headers.assign(queuedBlocks, WAVEHDR{});
        for (std::size_t i = 0; i < headers.size(); ++i) {
            headers[i].lpData = reinterpret_cast<LPSTR>(pcm[i].data());
            headers[i].dwBufferLength = static_cast<DWORD>(samples * sizeof(std::int16_t));
            waveOutPrepareHeader(device, &headers[i], sizeof headers[i]);
        }
        for (std::size_t i = 0; i < headers.size(); ++i) {
            fill(headers[i], pcm[i]);
        }
        running.store(true, std::memory_order_release);
        thread = std::thread([this] { run(); });
        return true;
    }

    // Stops refilling and waits until the device is done with every buffer (or the queue's time has
    // passed twice over, should the device stall).
    void drain() {
        draining.store(true, std::memory_order_relaxed);
        const int rate = source->sampleRate() > 0 ? source->sampleRate() : 1;
        const auto limit =
            std::chrono::steady_clock::now() +
            2 * std::chrono::milliseconds(static_cast<long long>(blockFrames) * queuedBlocks * 1000 / rate);
        auto allDone = [this] {
            return std::all_of(headers.begin(), headers.end(),
                               [](const WAVEHDR& h) { return (h.dwFlags & WHDR_DONE) != 0; });
        };
        while (!allDone() && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(drainPoll);
        }
    }

    void close() {
        running.store(false, std::memory_order_release);
        if (wake != nullptr) {
            SetEvent(wake);
        }
        if (thread.joinable()) {
            thread.join();
        }
        if (device != nullptr) {
            waveOutReset(device);
            for (auto& header : headers) {
                waveOutUnprepareHeader(device, &header, sizeof header);
            }
            waveOutClose(device);
            device = nullptr;
        }
        if (wake != nullptr) {
            CloseHandle(wake);
            wake = nullptr;
        }
    }
};

AudioOutput::AudioOutput() = default;

AudioOutput::~AudioOutput() {
    stop();
}

bool AudioOutput::start(const std::string& device, int bufferFrames, LiveSource& source, std::string& error) {
    stop();
    backend = std::make_unique<Backend>();
    backend->source = &source;
    backend->underruns = &underrunCount;
    if (!backend->open(device, bufferFrames, name, error)) {
        backend.reset();
        return false;
    }
    return true;
}

void AudioOutput::drain() {
    if (backend != nullptr) {
        backend->drain();
    }
    stop();
}

void AudioOutput::stop() {
    backend.reset();
}

} // namespace chorus::host

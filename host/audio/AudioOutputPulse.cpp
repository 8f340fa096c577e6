// The sound device on Linux: a PulseAudio playback stream whose write requests, on PulseAudio's own
// threaded main loop, pull the sound from the AudioSource. The asynchronous API rather than the simple one
// because only it reports underruns (and lets the device say how much it wants, when it wants it).
#include "host/audio/AudioOutput.h"
#include "host/audio/AudioSource.h"

#include <algorithm>
#include <memory>
#include <pulse/pulseaudio.h>

namespace chorus::host {

namespace {

constexpr std::size_t frameBytes = sizeof(float) * AudioSource::channels;
constexpr std::uint32_t queuedBlocks = 3; // blocks the server holds: the target latency
constexpr const char* listHint = "; `chorus-host play --list-devices` lists them";

// The threaded main loop's lock for one scope.
class LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop* mainloop) : loop(mainloop) { pa_threaded_mainloop_lock(loop); }
    ~LoopLock() { pa_threaded_mainloop_unlock(loop); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* loop;
};

// A connection of our own for a question to the server, on a main loop this thread runs.
struct MainLoopFree {
    void operator()(pa_mainloop* loop) const noexcept { pa_mainloop_free(loop); }
};
struct ContextEnd {
    void operator()(pa_context* context) const noexcept {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};

// Runs the loop until the operation is done; false when the connection failed first.
bool finish(pa_mainloop* loop, pa_context* context, pa_operation* operation) {
    if (operation == nullptr) {
        return false;
    }
    bool ok = true;
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context)) || pa_mainloop_iterate(loop, 1, nullptr) < 0) {
            ok = false;
            break;
        }
    }
    pa_operation_unref(operation);
    return ok;
}

} // namespace

bool AudioOutput::listDevices(std::vector<Device>& devices, std::string& error) {
    devices.clear();
    std::unique_ptr<pa_mainloop, MainLoopFree> loop(pa_mainloop_new());
    std::unique_ptr<pa_context, ContextEnd> context;
    if (loop != nullptr) {
        context.reset(pa_context_new(pa_mainloop_get_api(loop.get()), "chorus-host"));
    }
    if (context == nullptr) {
        error = "cannot start the sound server connection";
        return false;
    }
    if (pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        while (PA_CONTEXT_IS_GOOD(pa_context_get_state(context.get())) &&
               pa_context_get_state(context.get()) != PA_CONTEXT_READY) {
            if (pa_mainloop_iterate(loop.get(), 1, nullptr) < 0) {
                break;
            }
        }
    }
    if (pa_context_get_state(context.get()) != PA_CONTEXT_READY) {
        error = std::string("no sound device: cannot reach a PulseAudio server (") +
                pa_strerror(pa_context_errno(context.get())) + ")";
        return false;
    }
    std::string defaultSink;
    const auto serverInfo = [](pa_context*, const pa_server_info* info, void* name) {
        if (info != nullptr && info->default_sink_name != nullptr) {
            *static_cast<std::string*>(name) = info->default_sink_name;
        }
    };
    const auto sinkInfo = [](pa_context*, const pa_sink_info* info, int last, void* list) {
        if (last == 0 && info != nullptr && info->name != nullptr) {
            static_cast<std::vector<Device>*>(list)->push_back({info->name, false});
        }
    };
    if (!finish(loop.get(), context.get(),
                pa_context_get_server_info(context.get(), serverInfo, &defaultSink)) ||
        !finish(loop.get(), context.get(),
                pa_context_get_sink_info_list(context.get(), sinkInfo, &devices))) {
        error = "the sound server did not answer for its devices";
        return false;
    }
    for (Device& device : devices) {
        device.isDefault = device.name == defaultSink;
    }
    return true;
}

class AudioOutput::Platform final : public AudioOutput::Backend {
public:
    using Backend::Backend;

    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    std::atomic<bool> draining{false};
    long long silentFrames = 0; // lead-in still to play; touched only on PulseAudio's thread once started

    ~Platform() override { close(); }

    // A connection or stream that fails after open() is a device gone; close() removes these callbacks
    // before it ends either, so its own endings are not reported.
    static void contextChanged(pa_context* c, void* self) {
        auto* backend = static_cast<Platform*>(self);
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(c))) {
            backend->status.lost.store(true, std::memory_order_release);
        }
        pa_threaded_mainloop_signal(backend->loop, 0);
    }
    static void streamChanged(pa_stream* s, void* self) {
        auto* backend = static_cast<Platform*>(self);
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(s))) {
            backend->status.lost.store(true, std::memory_order_release);
        }
        pa_threaded_mainloop_signal(backend->loop, 0);
    }
    // The real-time part: runs on PulseAudio's thread whenever the server wants more.
    static void writeWanted(pa_stream* s, std::size_t requested, void* self) {
        auto* backend = static_cast<Platform*>(self);
        if (backend->draining.load(std::memory_order_relaxed)) {
            return;
        }
        // The server's buffers hold at most one memory tile each: a large request takes several.
        while (requested >= frameBytes) {
            void* data = nullptr;
            std::size_t bytes = requested;
            if (pa_stream_begin_write(s, &data, &bytes) < 0 || data == nullptr) {
                return;
            }
            const auto frames = static_cast<int>(bytes / frameBytes);
            if (frames == 0) {
                pa_stream_cancel_write(s);
                return;
            }
            const auto silent = static_cast<int>(std::min<long long>(backend->silentFrames, frames));
            std::fill_n(static_cast<float*>(data), static_cast<std::size_t>(silent) * AudioSource::channels,
                        0.0f);
            backend->silentFrames -= silent;
            backend->source.render(static_cast<float*>(data) +
                                       static_cast<std::size_t>(silent) * AudioSource::channels,
                                   frames - silent);
            const std::size_t written = static_cast<std::size_t>(frames) * frameBytes;
            pa_stream_write(s, data, written, nullptr, 0, PA_SEEK_RELATIVE);
            requested -= written;
        }
    }
    static void operationDone(pa_stream*, int, void* self) {
        pa_threaded_mainloop_signal(static_cast<Platform*>(self)->loop, 0);
    }
    static void ranDry(pa_stream*, void* self) {
        static_cast<Platform*>(self)->status.underruns.fetch_add(1, std::memory_order_relaxed);
    }

    std::string failure(const std::string& what) const {
        const int code = context != nullptr ? pa_context_errno(context) : PA_ERR_UNKNOWN;
        return what + " (" + pa_strerror(code) + ")";
    }

    bool open(const std::string& device, int bufferFrames, std::string& name, std::string& error) override {
        loop = pa_threaded_mainloop_new();
        if (loop == nullptr || pa_threaded_mainloop_start(loop) < 0) {
            error = "cannot start the sound server connection";
            return false;
        }
        LoopLock lock(loop);
        context = pa_context_new(pa_threaded_mainloop_get_api(loop), "chorus-host");
        if (context == nullptr) {
            error = "cannot start the sound server connection";
            return false;
        }
        pa_context_set_state_callback(context, contextChanged, this);
        // No server is started behind the user's back: without one there is no device.
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            error = failure("no sound device: cannot reach a PulseAudio server");
            return false;
        }
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY) {
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(state)) {
                error = failure("no sound device: cannot reach a PulseAudio server");
                return false;
            }
            pa_threaded_mainloop_wait(loop);
        }
        const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(source.sampleRate()),
                                  static_cast<std::uint8_t>(AudioSource::channels)};
        stream = pa_stream_new(context, "chorus-host play", &spec, nullptr);
        if (stream == nullptr) {
            error = failure("the sound server refused the stream");
            return false;
        }
        pa_stream_set_state_callback(stream, streamChanged, this);
        pa_stream_set_write_callback(stream, writeWanted, this);
        pa_stream_set_underflow_callback(stream, ranDry, this);
        silentFrames = static_cast<long long>(leadInBlocks(source.sampleRate(), bufferFrames)) * bufferFrames;
        const auto blockBytes =
            static_cast<std::uint32_t>(static_cast<std::size_t>(bufferFrames) * frameBytes);
        pa_buffer_attr attributes{};
        attributes.maxlength = static_cast<std::uint32_t>(-1);
        attributes.tlength = blockBytes * queuedBlocks;
        attributes.prebuf = static_cast<std::uint32_t>(-1);
        attributes.minreq = blockBytes;
        attributes.fragsize = static_cast<std::uint32_t>(-1);
        const char* sink = device.empty() ? nullptr : device.c_str();
        if (pa_stream_connect_playback(stream, sink, &attributes, PA_STREAM_ADJUST_LATENCY, nullptr,
                                       nullptr) < 0) {
            error = failure("cannot open the sound device " + (device.empty() ? "(default)" : device));
            return false;
        }
        for (;;) {
            const pa_stream_state_t state = pa_stream_get_state(stream);
            if (state == PA_STREAM_READY) {
                break;
            }
            if (!PA_STREAM_IS_GOOD(state)) {
                error = device.empty() ? failure("no sound device")
                                       : failure("no sound device named " + device) + listHint;
                return false;
            }
            pa_threaded_mainloop_wait(loop);
        }
        const char* opened = pa_stream_get_device_name(stream);
        name = opened != nullptr ? opened : "default";
        return true;
    }

    // Stops feeding the stream and waits until the server has played what it holds.
    void drain() override {
        draining.store(true, std::memory_order_relaxed);
        LoopLock lock(loop);
        if (stream == nullptr) {
            return;
        }
        // Running dry is what draining ends in: it is no underrun.
        pa_stream_set_underflow_callback(stream, nullptr, nullptr);
        pa_operation* operation = pa_stream_drain(stream, operationDone, this);
        if (operation == nullptr) {
            return;
        }
        while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
            pa_threaded_mainloop_wait(loop);
        }
        pa_operation_unref(operation);
    }

    void close() {
        if (loop == nullptr) {
            return;
        }
        {
            LoopLock lock(loop);
            if (stream != nullptr) {
                pa_stream_set_write_callback(stream, nullptr, nullptr);
                pa_stream_set_underflow_callback(stream, nullptr, nullptr);
                pa_stream_set_state_callback(stream, nullptr, nullptr);
                pa_stream_disconnect(stream);
                pa_stream_unref(stream);
                stream = nullptr;
            }
            if (context != nullptr) {
                pa_context_set_state_callback(context, nullptr, nullptr);
                pa_context_disconnect(context);
                pa_context_unref(context);
                context = nullptr;
            }
        }
        pa_threaded_mainloop_stop(loop);
        pa_threaded_mainloop_free(loop);
        loop = nullptr;
    }
};

std::unique_ptr<AudioOutput::Backend> AudioOutput::makeBackend(AudioSource& source, Status& status) {
    return std::make_unique<Platform>(source, status);
}

} // namespace chorus::host

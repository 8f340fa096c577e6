#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace chorus::host {

class AudioSource;

// The sound device of the platform, fed by an AudioSource from the device's own real-time thread: PulseAudio
// natively, the audio engine's shared mode (WASAPI) on Windows. One stream of interleaved stereo at the
// source's rate.
class AudioOutput {
public:
    static constexpr int defaultBufferFrames = 1024;
    static constexpr int minBufferFrames = 64;
    static constexpr int maxBufferFrames = 65536;

    // An output the system has, by the name start() takes.
    struct Device {
        std::string name;
        bool isDefault = false;
    };
    // The system's outputs; false with a message when there is no sound system to ask.
    static bool listDevices(std::vector<Device>& devices, std::string& error);

    // The device block: the one asked for, else (0) the default.
    static int blockFrames(int requested) noexcept { return requested > 0 ? requested : defaultBufferFrames; }

    AudioOutput();
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Opens the device (empty: the system's default) for the source, with a device buffer of about
    // bufferFrames frames, and starts it. False with a message when there is no such device or it refuses
    // the stream. The source must outlive the output, or stop() must come first.
    bool start(const std::string& device, int bufferFrames, AudioSource& source, std::string& error);
    // Lets what is queued play out (at most about one buffer's time more), then closes the stream.
    void drain();
    // Closes the stream at once; the source is not called afterwards. Safe to call twice.
    void stop();

    // Whole blocks of silence played before the source's first: what a device or sound server drops while
    // its stream starts up (measured: up to 0.15 s through a sound server's monitor) is then silence.
    static int leadInBlocks(int sampleRate, int blockFrames) noexcept;

    // How many times the device ran dry before the next block was there.
    long long underruns() const noexcept { return status.underruns.load(std::memory_order_relaxed); }
    // The device went away while playing (unplugged, its server ended): nothing more will be heard.
    bool lost() const noexcept { return status.lost.load(std::memory_order_acquire); }
    // The device actually opened, as the system names it.
    const std::string& deviceName() const noexcept { return name; }

private:
    // What the device's thread reports.
    struct Status {
        std::atomic<long long> underruns{0};
        std::atomic<bool> lost{false};
    };
    // The device's side, fed from the device's own thread.
    class Backend {
    public:
        Backend(AudioSource& fed, Status& reported) : source(fed), status(reported) {}
        virtual ~Backend() = default;
        Backend(const Backend&) = delete;
        Backend& operator=(const Backend&) = delete;
        // Opens and starts the device; false with a message when it cannot.
        virtual bool open(const std::string& device, int bufferFrames, std::string& name,
                          std::string& error) = 0;
        // Lets what is queued play out.
        virtual void drain() = 0;

    protected:
        AudioSource& source;
        Status& status;
    };
    // The platform's Backend: each back-end file defines it and makeBackend.
    class Platform;
    static std::unique_ptr<Backend> makeBackend(AudioSource& source, Status& status);

    std::unique_ptr<Backend> backend;
    Status status;
    std::string name;
};

} // namespace chorus::host
